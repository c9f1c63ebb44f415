#include "utility/vantrel_wrapper.h"

#include <memory>

#include "interop/util.h"
#include "utility/forward.h"

using tarvo::bridge::AsFlag;
using tarvo::interop::Util;

VantrelWrapper::VantrelWrapper() = default;
VantrelWrapper::VantrelWrapper(const VantrelWrapper& other) = default;
VantrelWrapper::VantrelWrapper(VantrelWrapper&& other) = default;
VantrelWrapper& VantrelWrapper::operator=(const VantrelWrapper& other) = default;
VantrelWrapper& VantrelWrapper::operator=(VantrelWrapper&& other) = default;
VantrelWrapper::~VantrelWrapper() = default;

// Slot 0. A failing constructor leaves the reference as it was.
void VantrelWrapper::LoadObject() {
  backend_ = std::make_shared<tarvo::backend::Vantrel>();
}

// Slot 1. Needs no backend: any wrapper releases any list.
void VantrelWrapper::Destroy(std::vector<std::string*>* list) {
  tarvo::interop::DestroyStringList(list);
}

// Slots 2 to 4: the test hooks reach non-virtual backend members, but still need a bound object.
bool VantrelWrapper::Test(std::string message) {
  const tarvo::runtime::Text text = tarvo::interop::ToBackendText(message);
  backend_.get("Test").TestMessageBox(text);
  return true;
}

void VantrelWrapper::TestSet(std::string message) {
  tarvo::runtime::Text text = tarvo::interop::ToBackendText(message);
  backend_.get("TestSet").TestString = std::move(text);
}

std::string VantrelWrapper::TestGet() {
  return Util::SystemToStdString(backend_.get("TestGet").TestString);
}

// Slots 5 to 24: one backend call each, arguments in the interface's order.
// clang-format off
void VantrelWrapper::Xsl2Xslx(std::string fromFName, std::string toFName) {
  FORWARD(Xsl2Xslx, fromFName, toFName);
}
std::string VantrelWrapper::EcryptString(std::string plainText, std::string key) {
  return Util::SystemToStdString(FORWARD(EcryptString, plainText, key));
}
std::string VantrelWrapper::DcryptString(std::string encrypted, std::string key) {
  return Util::SystemToStdString(FORWARD(DcryptString, encrypted, key));
}
int VantrelWrapper::Copy(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                         std::string sourcePathFileName, std::string targetPathFileName, int copyAction) {
  return AsFlag(FORWARD(Copy, modelPath, analyticsPath, isAbsolute, sourcePathFileName, targetPathFileName, copyAction));
}
int VantrelWrapper::CopySimple(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                               std::string sourcePathFileName, std::string targetPathFileName) {
  return AsFlag(FORWARD(CopySimple, modelPath, analyticsPath, isAbsolute, sourcePathFileName, targetPathFileName));
}
int VantrelWrapper::CopySimpleKerno(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                                    std::string sourcePathFileName, std::string targetPathFileName) {
  return AsFlag(FORWARD(CopySimpleKerno, modelPath, analyticsPath, isAbsolute, sourcePathFileName, targetPathFileName));
}
int VantrelWrapper::Delete(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                           std::string targetPathFileName) {
  return AsFlag(FORWARD(Delete, modelPath, analyticsPath, isAbsolute, targetPathFileName));
}
int VantrelWrapper::Rename(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                           std::string sourcePathFileName, std::string targetPathFileName) {
  return AsFlag(FORWARD(Rename, modelPath, analyticsPath, isAbsolute, sourcePathFileName, targetPathFileName));
}
std::string VantrelWrapper::Open(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                                 std::string targetPathFileName, int openAction) {
  return Util::SystemToStdString(FORWARD(Open, modelPath, analyticsPath, isAbsolute, targetPathFileName, openAction));
}
std::vector<std::string*>* VantrelWrapper::GetFileList(std::string targetPath, bool isAbsolute, std::string filter) {
  // The list is made only once the backend has answered.
  return tarvo::interop::NewStringList("GetFileList",
                                       FORWARD(GetFileList, targetPath, isAbsolute, filter).get());
}
bool VantrelWrapper::CloseExcel(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                                std::string moniker) {
  return FORWARD(CloseExcel, modelPath, analyticsPath, isAbsolute, moniker);
}
bool VantrelWrapper::CloseAnalyticsFiles(std::string modelPath, std::string analyticsPath, bool isAbsolute) {
  return FORWARD(CloseAnalyticsFiles, modelPath, analyticsPath, isAbsolute);
}
std::string VantrelWrapper::LoadText(std::string pathFileName) {
  return Util::SystemToStdString(FORWARD(LoadText, pathFileName));
}
bool VantrelWrapper::IsMsOleDbSqlInstalled() { return FORWARD(IsMsOleDbSqlInstalled); }
bool VantrelWrapper::IsBrevikInstalled() { return FORWARD(IsBrevikInstalled); }
int VantrelWrapper::OpenAndWait(std::string pathFilename, std::string params) {
  return FORWARD(OpenAndWait, pathFilename, params);
}
std::string VantrelWrapper::GetEnvUserName() { return Util::SystemToStdString(FORWARD(GetEnvUserName)); }
std::string VantrelWrapper::GetEnvUserDomain() { return Util::SystemToStdString(FORWARD(GetEnvUserDomain)); }
std::string VantrelWrapper::GetEnvMachineDomain() { return Util::SystemToStdString(FORWARD(GetEnvMachineDomain)); }
std::string VantrelWrapper::GetEnvMachineName() { return Util::SystemToStdString(FORWARD(GetEnvMachineName)); }
// clang-format on

// Slot 25. The characters are copied before the backend is touched; a null pointer fails here.
std::string VantrelWrapper::CaesarCipher12Net(const char* inText, bool bEncrypt) {
  const std::string text = tarvo::interop::CopyCharacters("CaesarCipher12Net", "inText", inText);
  return Util::SystemToStdString(FORWARD(CaesarCipher12Net, text, bEncrypt));
}

// Slot 26. Both arrays are copied before the call; the caller's arrays are only read, and dY and
// dYbydX are the caller's own variables, written by the backend alone.
int VantrelWrapper::Interpolate(double* xArray, double* yArray, int nCount, double dX, double& dY,
                                double& dYbydX) {
  tarvo::runtime::Array<double> x = tarvo::interop::CopyToArray("Interpolate", "xArray", xArray, nCount);
  tarvo::runtime::Array<double> y = tarvo::interop::CopyToArray("Interpolate", "yArray", yArray, nCount);
  return backend_.get("Interpolate").Interpolate(x, y, nCount, dX, dY, dYbydX);
}
