// Xsl2Xslx with the real converter: a legacy workbook made by LibreOffice from a CSV file, converted,
// and read back by LibreOffice again.
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/vantrel/files_fixture.h"

extern char** environ;

namespace tarvo::test {
namespace {

class Xsl2XslxTest : public VantrelFilesTest {
 protected:
  // LibreOffice run by the test itself, with a profile of its own. UTF-8, comma-separated CSV both
  // ways (filter options 44,34,76).
  int Soffice(const std::string& convertTo, const std::string& source, const std::string& outdir) {
    const std::vector<std::string> command = {"soffice",
                                              "-env:UserInstallation=file://" + model.path() + "/profile",
                                              "--headless",
                                              "--norestore",
                                              "--infilter=CSV:44,34,76",
                                              "--convert-to",
                                              convertTo,
                                              "--outdir",
                                              outdir,
                                              source};
    std::vector<char*> argv;
    for (const std::string& word : command) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (::posix_spawnp(&pid, "soffice", nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(Xsl2XslxTest, ConvertsALegacyWorkbookThatReadsBackWithTheSameCells) {
  const std::string cells = "name,count,price\n\xC3\x84pfel,3,1.25\npears,12,0.5\n";  // "Äpfel"
  WriteFile(model / "table.csv", cells);
  ASSERT_EQ(Soffice("xls", model / "table.csv", model.path()), 0);
  ASSERT_EQ(ReadFile(model / "table.xls").value_or("").substr(0, 4), "\xD0\xCF\x11\xE0")
      << "not a legacy workbook";
  WriteFile(model / "result.xlsx", "an older result");

  vantrel().Xsl2Xslx(model / "table.xls", model / "result.xlsx");

  ASSERT_EQ(ReadFile(model / "result.xlsx").value_or("").substr(0, 2), "PK") << "not an xlsx workbook";
  std::filesystem::create_directory(model / "back");
  ASSERT_EQ(Soffice("csv:Text - txt - csv (StarCalc):44,34,76", model / "result.xlsx", model / "back"), 0);
  EXPECT_EQ(ReadFile(model / "back/result.csv"), cells);
}

TEST_F(Xsl2XslxTest, AMissingSourceIsNamed) {
  try {
    vantrel().Xsl2Xslx(model / "missing.xls", model / "out.xlsx");
    ADD_FAILURE() << "no exception";
  } catch (const std::system_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Vantrel::Xsl2Xslx: missing source '" + model / "missing.xls" + "': No such file or directory");
  }
  EXPECT_FALSE(ReadFile(model / "out.xlsx"));
}

class ConverterOnPathTest : public Xsl2XslxTest {
 protected:
  void SetUp() override {
    Xsl2XslxTest::SetUp();
    if (const char* path = std::getenv("PATH")) savedPath_ = path;
    std::filesystem::create_directory(model / "bin");
    ::setenv("PATH", (model / "bin").c_str(), 1);
    WriteFile(model / "book.xls", "legacy");
    WriteFile(model / "out.xlsx", "previous");
  }
  void TearDown() override {
    ::setenv("PATH", savedPath_.c_str(), 1);
    Xsl2XslxTest::TearDown();
  }

  // Runs Xsl2Xslx and answers its error message.
  std::string Failure() {
    try {
      vantrel().Xsl2Xslx(model / "book.xls", model / "out.xlsx");
    } catch (const std::runtime_error& error) {
      return error.what();
    }
    return "no exception";
  }

 private:
  std::string savedPath_;
};

TEST_F(ConverterOnPathTest, NoConverterIsSaidSo) {
  EXPECT_THAT(Failure(), ::testing::StartsWith(
                             "Vantrel::Xsl2Xslx: no converter: soffice (LibreOffice) is not on the PATH"));
  EXPECT_EQ(ReadFile(model / "out.xlsx"), "previous");
}

TEST_F(ConverterOnPathTest, AFailedConversionIsSaidSoWithTheConvertersWords) {
  std::filesystem::create_symlink(STAND_IN_PROGRAM, model / "bin/soffice");
  EXPECT_EQ(Failure(),
            "Vantrel::Xsl2Xslx: converting '" + model / "book.xls" +
                "' failed: soffice ended with 3 (soffice said: Error: source file could not be loaded)");
  EXPECT_EQ(ReadFile(model / "out.xlsx"), "previous");
  EXPECT_TRUE(NoChildProcessLeft());
}

}  // namespace
}  // namespace tarvo::test
