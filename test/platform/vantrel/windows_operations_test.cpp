// The Windows versions of the Vantrel stand-in's system operations, end to end through the wrapper:
// processes through CreateProcessW, identity from the Windows API, confined names with Windows
// paths, and the operations that say they are not supported here.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "BridgeErrors.h"
#include "IVantrelWrapper.h"

namespace {

class WindowsOperations : public ::testing::Test {
 protected:
  void SetUp() override {
    wrapper->LoadObject();
    folder =
        std::filesystem::temp_directory_path() / ("vantrel-win-" + std::to_string(std::random_device()()));
    std::filesystem::create_directories(folder / "model");
    std::ofstream(folder / "model" / "case.dat") << "data";
  }
  void TearDown() override {
    IVantrelWrapper::Destroy(wrapper);
    std::filesystem::remove_all(folder);
  }
  std::string model() const { return (folder / "model").string(); }

  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
  std::filesystem::path folder;
};

TEST_F(WindowsOperations, OpenAndWaitRunsAProgramAndReturnsItsExitCode) {
  EXPECT_EQ(wrapper->OpenAndWait("cmd.exe", "/c exit 7"), 7);
  EXPECT_EQ(wrapper->OpenAndWait("cmd.exe", "/c exit 0"), 0);
  try {
    wrapper->OpenAndWait("no-such-program-here.exe", "");
    ADD_FAILURE() << "a missing program was started";
  } catch (const std::system_error& error) {
    EXPECT_NE(std::string(error.what()).find("Vantrel::OpenAndWait: cannot start 'no-such-program-here.exe'"),
              std::string::npos)
        << error.what();
  }
}

TEST_F(WindowsOperations, IdentityComesFromTheWindowsApi) {
  wchar_t name[256];
  DWORD size = 256;
  ASSERT_TRUE(GetComputerNameExW(ComputerNameNetBIOS, name, &size));
  EXPECT_EQ(wrapper->GetEnvMachineName(), std::string(name, name + size));
  EXPECT_FALSE(wrapper->GetEnvUserName().empty());
}

TEST_F(WindowsOperations, CopiesStayInsideTheModelFolderWhateverTheSeparator) {
  EXPECT_EQ(wrapper->CopySimple(model(), "", false, "case.dat", "sub\\..\\copy.dat"), 1);
  EXPECT_TRUE(std::filesystem::exists(folder / "model" / "copy.dat"));
  EXPECT_EQ(wrapper->Copy(model(), "", false, "case.dat", "copy.dat", 1), 0);  // keeps the existing copy
  for (const char* outside : {"..\\escaped.dat", "../escaped.dat", "C:\\escaped.dat", "\\escaped.dat"}) {
    EXPECT_EQ(wrapper->CopySimple(model(), "", false, "case.dat", outside), 0) << outside;
  }
  EXPECT_FALSE(std::filesystem::exists(folder / "escaped.dat"));
  // Nothing but the two files: no staging file was left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder / "model"), {}), 2);
}

TEST_F(WindowsOperations, OperationsWithoutAWindowsCounterpartSaySo) {
  EXPECT_THROW(wrapper->Xsl2Xslx(model() + "\\a.xls", model() + "\\a.xlsx"), tarvo::NotSupportedError);
  EXPECT_THROW(wrapper->EcryptString("text", "key"), tarvo::NotSupportedError);
  EXPECT_THROW(wrapper->DcryptString("v1:AAAA", "key"), tarvo::NotSupportedError);
}

}  // namespace
