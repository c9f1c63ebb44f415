// Vantrel: the utility backend that IVantrelWrapper forwards to.
//
// Every operation takes backend text and plain values and answers with backend text, a flag, a
// number or an array. Failures are raised as exceptions. The object's state is the TestString
// property and the document viewers that Open started, which CloseExcel and CloseAnalyticsFiles
// end; everything else an operation needs comes from its arguments.
#ifndef TARVO_VANTREL_VANTREL_H
#define TARVO_VANTREL_VANTREL_H

#include <memory>

#include "platform_export.h"
#include "runtime/array.h"
#include "runtime/object.h"
#include "runtime/text.h"

namespace tarvo::backend {

using runtime::Array;
using runtime::Text;

class DocumentViewers;

class TARVO_PLATFORM_API Vantrel : public runtime::Object {
 public:
  Vantrel();
  ~Vantrel() override;

  // Files and documents.
  virtual bool Copy(const Text& modelPath, const Text& analyticsPath, bool isAbsolute,
                    const Text& sourcePathFileName, const Text& targetPathFileName, int copyAction);
  virtual bool CopySimple(const Text& modelPath, const Text& analyticsPath, bool isAbsolute,
                          const Text& sourcePathFileName, const Text& targetPathFileName);
  virtual bool CopySimpleKerno(const Text& modelPath, const Text& analyticsPath, bool isAbsolute,
                               const Text& sourcePathFileName, const Text& targetPathFileName);
  virtual bool Delete(const Text& modelPath, const Text& analyticsPath, bool isAbsolute,
                      const Text& targetPathFileName);
  virtual bool Rename(const Text& modelPath, const Text& analyticsPath, bool isAbsolute,
                      const Text& sourcePathFileName, const Text& targetPathFileName);
  virtual Text Open(const Text& modelPath, const Text& analyticsPath, bool isAbsolute,
                    const Text& targetPathFileName, int openAction);
  virtual Array<Text> GetFileList(const Text& targetPath, bool isAbsolute, const Text& filter);
  virtual bool CloseExcel(const Text& modelPath, const Text& analyticsPath, bool isAbsolute,
                          const Text& moniker);
  virtual bool CloseAnalyticsFiles(const Text& modelPath, const Text& analyticsPath, bool isAbsolute);
  virtual Text LoadText(const Text& pathFileName);
  virtual int OpenAndWait(const Text& pathFilename, const Text& params);
  virtual void Xsl2Xslx(const Text& fromFName, const Text& toFName);

  // Environment, probes, text transforms and interpolation.
  virtual Text EcryptString(const Text& plainText, const Text& key);
  virtual Text DcryptString(const Text& encrypted, const Text& key);
  virtual bool IsMsOleDbSqlInstalled();
  virtual bool IsBrevikInstalled();
  virtual Text GetEnvUserName();
  virtual Text GetEnvUserDomain();
  virtual Text GetEnvMachineDomain();
  virtual Text GetEnvMachineName();
  virtual Text CaesarCipher12Net(const Text& inText, bool bEncrypt);
  // x and y are passed by reference: the backend may replace them, and callers do not read them back.
  virtual int Interpolate(Array<double>& x, Array<double>& y, int nCount, double dX, double& dY,
                          double& dYbydX);

  // Test hooks: not virtual.
  void TestMessageBox(const Text& message);
  Text TestString{std::u16string()};

 private:
  std::unique_ptr<DocumentViewers> viewers_;
};

}  // namespace tarvo::backend

#endif  // TARVO_VANTREL_VANTREL_H
