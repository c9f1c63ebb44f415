// OpenAndWait: programs run from an argument vector, never through a shell.
#include <signal.h>

#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/vantrel/files_fixture.h"

namespace tarvo::test {
namespace {

using OpenAndWaitTest = VantrelFilesTest;

// What the stand-in program received as arguments after "record FILE".
std::vector<std::string> RecordedArguments(const std::string& file) {
  std::vector<std::string> arguments;
  const std::string bytes = ReadFile(file).value_or("");
  for (size_t start = 0; start < bytes.size();) {
    const size_t end = bytes.find('\0', start);
    arguments.push_back(bytes.substr(start, end - start));
    start = end + 1;
  }
  return arguments;
}

TEST_F(OpenAndWaitTest, SplitsArgumentsLikeAShellButExpandsNothing) {
  const std::string record = model / "args";
  const int code =
      vantrel().OpenAndWait(STAND_IN_PROGRAM, "record '" + record +
                                                  "' 'single quoted'  \"double \\\"q\\\" \\x\" "
                                                  "back\\ slash '' joined'  'parts $HOME * ~ ; | >out");
  EXPECT_EQ(code, 0);
  EXPECT_EQ(RecordedArguments(record),
            (std::vector<std::string>{"single quoted", "double \"q\" \\x", "back slash", "", "joined  parts",
                                      "$HOME", "*", "~", ";", "|", ">out"}));
  EXPECT_FALSE(ReadFile(model / "out")) << "a redirection must stay a plain argument";
}

TEST_F(OpenAndWaitTest, ReturnsTheExitCodeOrMinusTheSignal) {
  EXPECT_EQ(vantrel().OpenAndWait("/bin/true", ""), 0);
  EXPECT_EQ(vantrel().OpenAndWait("false", ""), 1);  // found on the PATH
  EXPECT_EQ(vantrel().OpenAndWait("sh", "-c 'exit 42'"), 42);
  EXPECT_EQ(vantrel().OpenAndWait("sh", "-c 'kill -TERM $$'"), -SIGTERM);
  EXPECT_EQ(vantrel().OpenAndWait("sh", "-c 'kill -KILL $$'"), -SIGKILL);
  EXPECT_TRUE(NoChildProcessLeft());
}

// A host that ignores SIGTERM must not hand that on to the programs it runs.
TEST_F(OpenAndWaitTest, ProgramsStartWithDefaultSignalHandling) {
  const auto previous = ::signal(SIGTERM, SIG_IGN);
  EXPECT_EQ(vantrel().OpenAndWait("sh", "-c 'kill -TERM $$'"), -SIGTERM);
  ::signal(SIGTERM, previous);
}

TEST_F(OpenAndWaitTest, AProgramThatCannotStartRaisesItsNameAndTheReason) {
  const std::pair<std::string, std::string> cases[] = {
      {"/no/such/program", "No such file or directory"},
      {"no-such-program-on-the-path", "No such file or directory"},
      {model.path(), "Permission denied"},
  };
  for (const auto& [program, reason] : cases) {
    try {
      vantrel().OpenAndWait(program, "");
      ADD_FAILURE() << "no exception for " << program;
    } catch (const std::system_error& error) {
      EXPECT_EQ(std::string(error.what()), "Vantrel::OpenAndWait: cannot start '" + program + "': " + reason);
    }
  }
  EXPECT_TRUE(NoChildProcessLeft());
}

TEST_F(OpenAndWaitTest, UnbalancedQuotesAreRefusedBeforeAnythingRuns) {
  const std::string record = model / "args";
  for (const char* params : {"'open", "\"open", "trailing\\"}) {
    SCOPED_TRACE(params);
    EXPECT_THROW(vantrel().OpenAndWait(STAND_IN_PROGRAM, "record " + record + " " + params),
                 std::invalid_argument);
  }
  EXPECT_FALSE(ReadFile(record));
}

}  // namespace
}  // namespace tarvo::test
