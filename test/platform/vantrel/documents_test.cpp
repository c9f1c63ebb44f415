// Open, CloseExcel and CloseAnalyticsFiles with a stand-in viewer named by VANTREL_VIEWER.
#include <signal.h>
#include <stdlib.h>

#include <chrono>
#include <stdexcept>
#include <string>
#include <system_error>
#include <thread>

#include "platform/vantrel/files_fixture.h"

namespace tarvo::test {
namespace {

class DocumentsTest : public VantrelFilesTest {
 protected:
  void SetUp() override {
    VantrelFilesTest::SetUp();
    UseViewer(std::string(STAND_IN_PROGRAM) + " view");
    analytics = std::filesystem::canonical(model.path()).string();
    std::filesystem::create_directory(analytics + "/reports");
    for (const char* name : {"book.xlsx", "other.xls", "report.pdf", "reports/deep.ods"}) {
      WriteFile(analytics + "/" + name, name);
    }
  }
  void TearDown() override {
    ::unsetenv("VANTREL_VIEWER");
    VantrelFilesTest::TearDown();
  }

  static void UseViewer(const std::string& command) { ::setenv("VANTREL_VIEWER", command.c_str(), 1); }

  // The pid the stand-in viewer of `document` wrote on start-up.
  static pid_t ViewerOf(const std::string& document) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (std::chrono::steady_clock::now() < deadline) {
      if (const auto pid = ReadFile(document + ".viewer-pid")) return static_cast<pid_t>(std::stol(*pid));
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ADD_FAILURE() << "no viewer started for " << document;
    return -1;
  }

  // Running, or ended but not reaped: either way still there.
  static bool Exists(pid_t pid) { return pid > 0 && ::kill(pid, 0) == 0; }

  std::string Open(const std::string& name, int action = 0) {
    return vantrel().Open("", analytics, false, name, action);
  }

  std::string analytics;
};

TEST_F(DocumentsTest, ResolvingAloneReturnsTheFullPathAndStartsNothingAndOtherActionsAreRefused) {
  EXPECT_EQ(Open("reports/../book.xlsx", 1), analytics + "/book.xlsx");
  EXPECT_EQ(vantrel().Open("", "/elsewhere", true, analytics + "/./book.xlsx", 1), analytics + "/book.xlsx");
  EXPECT_EQ(Open("missing.xlsx", 1), "");
  EXPECT_EQ(Open("missing.xlsx", 0), "");
  EXPECT_FALSE(ReadFile(analytics + "/book.xlsx.viewer-pid"));
  EXPECT_TRUE(NoChildProcessLeft());
  try {
    Open("book.xlsx", -1);
    ADD_FAILURE() << "no exception";
  } catch (const std::invalid_argument& error) {
    EXPECT_THAT(error.what(), ::testing::StartsWith("Vantrel::Open: openAction -1 "));
  }
}

TEST_F(DocumentsTest, CloseExcelEndsTheViewersOfSpreadsheetsByNameOrFullPath) {
  EXPECT_EQ(Open("book.xlsx"), analytics + "/book.xlsx");
  Open("other.xls");
  Open("report.pdf");
  const pid_t book = ViewerOf(analytics + "/book.xlsx");
  const pid_t other = ViewerOf(analytics + "/other.xls");
  const pid_t report = ViewerOf(analytics + "/report.pdf");
  ASSERT_TRUE(Exists(book) && Exists(other) && Exists(report));

  EXPECT_TRUE(vantrel().CloseExcel("", analytics, false, "book.xlsx"));
  EXPECT_FALSE(Exists(book));
  EXPECT_TRUE(Exists(other));
  EXPECT_FALSE(vantrel().CloseExcel("", analytics, false, "book.xlsx"));
  EXPECT_FALSE(vantrel().CloseExcel("", analytics, false, "report.pdf")) << "not a spreadsheet";
  EXPECT_TRUE(vantrel().CloseExcel("", "", true, analytics + "/other.xls"));
  EXPECT_FALSE(Exists(other));
  EXPECT_TRUE(Exists(report));

  EXPECT_TRUE(vantrel().CloseAnalyticsFiles("", analytics, false));
  EXPECT_FALSE(Exists(report));
  EXPECT_TRUE(NoChildProcessLeft());
}

TEST_F(DocumentsTest, CloseAnalyticsFilesEndsOnlyWhatLiesUnderTheFolder) {
  TempFolder elsewhere;
  WriteFile(elsewhere / "outside.xlsx", "x");
  Open("reports/deep.ods");
  Open("book.xlsx");
  vantrel().Open("", analytics, true, elsewhere / "outside.xlsx", 0);
  const pid_t deep = ViewerOf(analytics + "/reports/deep.ods");
  const pid_t book = ViewerOf(analytics + "/book.xlsx");
  const pid_t outside = ViewerOf(elsewhere / "outside.xlsx");

  EXPECT_TRUE(vantrel().CloseAnalyticsFiles("", analytics + "/reports/", false));
  EXPECT_FALSE(Exists(deep));
  EXPECT_TRUE(Exists(book));
  EXPECT_TRUE(vantrel().CloseAnalyticsFiles("", analytics, false));
  EXPECT_FALSE(Exists(book));
  EXPECT_TRUE(Exists(outside));
  EXPECT_TRUE(vantrel().CloseAnalyticsFiles("", elsewhere.path(), false));
  EXPECT_FALSE(Exists(outside));
  EXPECT_TRUE(NoChildProcessLeft());
}

TEST_F(DocumentsTest, AViewerThatIgnoresThePoliteRequestIsForced) {
  UseViewer(std::string(STAND_IN_PROGRAM) + " view --ignore-term");
  Open("book.xlsx");
  const pid_t book = ViewerOf(analytics + "/book.xlsx");
  EXPECT_TRUE(vantrel().CloseExcel("", analytics, false, "book.xlsx"));
  EXPECT_FALSE(Exists(book));
  EXPECT_TRUE(NoChildProcessLeft());
}

// Like an opener that passes the document to a program already running: nothing is left to close,
// and the ended opener is reaped rather than left as a zombie.
TEST_F(DocumentsTest, AViewerThatHandedTheDocumentOnHasNothingToClose) {
  UseViewer(std::string(STAND_IN_PROGRAM) + " view --hand-off");
  Open("book.xlsx");
  const pid_t book = ViewerOf(analytics + "/book.xlsx");
  siginfo_t ended{};
  while (::waitid(P_PID, static_cast<id_t>(book), &ended, WEXITED | WNOHANG | WNOWAIT) == 0 &&
         ended.si_pid == 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  EXPECT_FALSE(vantrel().CloseExcel("", analytics, false, "book.xlsx"));
  EXPECT_TRUE(vantrel().CloseAnalyticsFiles("", analytics, false));
  EXPECT_TRUE(NoChildProcessLeft());
}

TEST_F(DocumentsTest, AViewerThatCannotStartRaisesItsNameAndTheReason) {
  UseViewer("/no/such/viewer --flag");
  try {
    Open("book.xlsx");
    ADD_FAILURE() << "no exception";
  } catch (const std::system_error& error) {
    EXPECT_EQ(std::string(error.what()),
              "Vantrel::Open: cannot start '/no/such/viewer': No such file or directory");
  }
}

}  // namespace
}  // namespace tarvo::test
