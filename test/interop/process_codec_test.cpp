// Runs locale_probe in a clean environment, so each case sees exactly the locale variables it sets.
// ctest passes the probe's path in NARROW_CODEC_PROBE and the generated locales in NARROW_CODEC_LOCALES.
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

namespace {

struct ProbeResult {
  std::string output;
  int status = -1;
};

class ProcessCodec : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* probe = std::getenv("NARROW_CODEC_PROBE");
    const char* locales = std::getenv("NARROW_CODEC_LOCALES");
    if (probe == nullptr || locales == nullptr) {
      GTEST_FAIL() << "NARROW_CODEC_PROBE and NARROW_CODEC_LOCALES must be set (ctest sets them)";
    }
    probe_ = probe;
    locales_ = locales;
  }

  // The probe's line for an environment of LOCPATH plus `variables` ("NAME=value").
  std::string probe(std::vector<std::string> variables) const {
    variables.push_back("LOCPATH=" + locales_);
    // A sanitized probe would otherwise report its suppressed glibc leak on every run.
    variables.push_back("LSAN_OPTIONS=print_suppressions=0");
    std::vector<char*> envp;
    for (std::string& variable : variables) envp.push_back(variable.data());
    envp.push_back(nullptr);
    std::string path = probe_;
    char* argv[] = {path.data(), nullptr};

    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) {
      ADD_FAILURE() << "pipe: " << std::strerror(errno);
      return {};
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeEnds[1]);
    pid_t child = -1;
    const int spawned = posix_spawn(&child, path.c_str(), &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    std::string output;
    if (spawned == 0) {
      char buffer[256];
      ssize_t got;
      while ((got = read(pipeEnds[0], buffer, sizeof(buffer))) > 0 || (got < 0 && errno == EINTR)) {
        if (got > 0) output.append(buffer, static_cast<std::size_t>(got));
      }
    }
    close(pipeEnds[0]);
    if (spawned != 0) {
      ADD_FAILURE() << "cannot run " << path << ": " << std::strerror(spawned);
      return {};
    }
    int status = 0;
    while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "probe status " << status;
    return output;
  }

  static std::string line(const std::string& codeset, const std::string& kind) {
    return "codeset=" + codeset + " kind=" + kind + " after-setlocale=" + codeset + "\n";
  }

 private:
  std::string probe_;
  std::string locales_;
};

TEST_F(ProcessCodec, PlainAsciiLocalesGiveUtf8) {
  const std::string utf8 = line("UTF-8", "Utf8");
  EXPECT_EQ(probe({}), utf8);
  EXPECT_EQ(probe({"LC_ALL=C"}), utf8);
  EXPECT_EQ(probe({"LC_ALL=POSIX"}), utf8);
  EXPECT_EQ(probe({"LANG=C"}), utf8);
  // C is a real choice, not an empty one: it still outranks LANG.
  EXPECT_EQ(probe({"LC_ALL=C", "LANG=ru_RU.KOI8-R"}), utf8);
}

TEST_F(ProcessCodec, LocalesThatAreNotInstalledGiveUtf8) {
  const std::string utf8 = line("UTF-8", "Utf8");
  EXPECT_EQ(probe({"LANG=de_DE.ISO-8859-15"}), utf8);
  EXPECT_EQ(probe({"LC_ALL=xx_NOWHERE.KOI8-R", "LANG=ru_RU.KOI8-R"}), utf8);
}

TEST_F(ProcessCodec, EachGeneratedLocaleSelectsItsCodeset) {
  EXPECT_EQ(probe({"LANG=en_US.UTF-8"}), line("UTF-8", "Utf8"));
  EXPECT_EQ(probe({"LANG=en_US.ISO-8859-1"}), line("ISO-8859-1", "SingleByte"));
  EXPECT_EQ(probe({"LANG=ru_RU.KOI8-R"}), line("KOI8-R", "SingleByte"));
  EXPECT_EQ(probe({"LANG=ja_JP.EUC-JP"}), line("EUC-JP", "MultiByte"));
}

TEST_F(ProcessCodec, LcAllOutranksLcCtypeWhichOutranksLang) {
  EXPECT_EQ(probe({"LC_ALL=ru_RU.KOI8-R", "LC_CTYPE=ja_JP.EUC-JP", "LANG=en_US.ISO-8859-1"}),
            line("KOI8-R", "SingleByte"));
  EXPECT_EQ(probe({"LC_CTYPE=ja_JP.EUC-JP", "LANG=en_US.ISO-8859-1"}), line("EUC-JP", "MultiByte"));
  // Other categories do not take part.
  EXPECT_EQ(probe({"LC_MESSAGES=ja_JP.EUC-JP", "LANG=ru_RU.KOI8-R"}), line("KOI8-R", "SingleByte"));
}

TEST_F(ProcessCodec, EmptyVariablesAreSkipped) {
  EXPECT_EQ(probe({"LC_ALL=", "LC_CTYPE=ja_JP.EUC-JP", "LANG=ru_RU.KOI8-R"}), line("EUC-JP", "MultiByte"));
  EXPECT_EQ(probe({"LC_ALL=", "LC_CTYPE=", "LANG=ru_RU.KOI8-R"}), line("KOI8-R", "SingleByte"));
  EXPECT_EQ(probe({"LC_ALL=", "LC_CTYPE=", "LANG="}), line("UTF-8", "Utf8"));
}

}  // namespace
