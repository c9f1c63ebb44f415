// Copy, CopySimple, CopySimpleKerno, Rename and Delete on real folders, through the wrapper.
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "interop/narrow_codec.h"
#include "platform/vantrel/files_fixture.h"

namespace tarvo::test {
namespace {

using CopyFlavour = std::function<int(IVantrelWrapper&, const std::string& model, const std::string& source,
                                      const std::string& target)>;

// The three ways to make a replacing copy, which must agree in every outcome.
const std::vector<std::pair<const char*, CopyFlavour>>& ReplacingCopies() {
  static const std::vector<std::pair<const char*, CopyFlavour>> flavours = {
      {"Copy 0", [](IVantrelWrapper& v, auto& m, auto& s, auto& t) { return v.Copy(m, "", false, s, t, 0); }},
      {"CopySimple",
       [](IVantrelWrapper& v, auto& m, auto& s, auto& t) { return v.CopySimple(m, "", false, s, t); }},
      {"CopySimpleKerno",
       [](IVantrelWrapper& v, auto& m, auto& s, auto& t) { return v.CopySimpleKerno(m, "", false, s, t); }},
  };
  return flavours;
}

std::string LargeContent() {
  std::string content;
  for (int i = 0; content.size() < 300 * 1024; ++i) content += "line " + std::to_string(i) + "\n";
  return content;
}

using CopyTest = VantrelFilesTest;

TEST_F(CopyTest, EveryFlavourCopiesContentAndPermissionBitsAndReplacesTheTarget) {
  const std::string content = LargeContent();
  WriteFile(model / "source.dat", content, 0751);
  for (const auto& [name, copy] : ReplacingCopies()) {
    SCOPED_TRACE(name);
    WriteFile(model / "target.dat", "old target", 0600);
    EXPECT_EQ(copy(vantrel(), model.path(), "source.dat", "target.dat"), 1);
    EXPECT_EQ(ReadFile(model / "target.dat"), content);
    EXPECT_EQ(PermissionBits(model / "target.dat"), 0751u);
    EXPECT_EQ(copy(vantrel(), model.path(), "source.dat", "fresh.dat"), 1);
    EXPECT_EQ(ReadFile(model / "fresh.dat"), content);
    ::unlink((model / "fresh.dat").c_str());
    // Nothing but the two files: no temporary left behind.
    EXPECT_EQ(Snapshot(model.path()).size(), 2u);
  }
}

TEST_F(CopyTest, ActionOneCopiesOnlyWhereNoTargetExists) {
  WriteFile(model / "a.txt", "new");
  WriteFile(model / "kept.txt", "old");
  EXPECT_EQ(vantrel().Copy(model.path(), "", false, "a.txt", "kept.txt", 1), 0);
  EXPECT_EQ(ReadFile(model / "kept.txt"), "old");
  EXPECT_EQ(vantrel().Copy(model.path(), "", false, "a.txt", "b.txt", 1), 1);
  EXPECT_EQ(ReadFile(model / "b.txt"), "new");
}

TEST_F(CopyTest, AnUnknownActionIsRefusedByValueAndTouchesNothing) {
  WriteFile(model / "a.txt", "a");
  for (int action : {2, -1}) {
    try {
      vantrel().Copy(model.path(), "", false, "a.txt", "b.txt", action);
      ADD_FAILURE() << "no exception for " << action;
    } catch (const std::invalid_argument& error) {
      EXPECT_THAT(error.what(),
                  ::testing::StartsWith("Vantrel::Copy: copyAction " + std::to_string(action) + " "));
    }
  }
  EXPECT_EQ(Snapshot(model.path()).size(), 1u);
}

TEST_F(CopyTest, FailuresAnswerZeroAndLeaveEverythingAsItWas) {
  WriteFile(model / "a.txt", "a");
  std::filesystem::create_directory(model / "folder");
  const auto before = Snapshot(model.path());
  for (const auto& [name, copy] : ReplacingCopies()) {
    SCOPED_TRACE(name);
    EXPECT_EQ(copy(vantrel(), model.path(), "missing.txt", "b.txt"), 0);
    EXPECT_EQ(copy(vantrel(), model.path(), "folder", "b.txt"), 0);
    EXPECT_EQ(copy(vantrel(), model.path(), "a.txt", "no/such/folder/b.txt"), 0);
    EXPECT_EQ(copy(vantrel(), model.path(), "a.txt", "folder"), 0);
    EXPECT_EQ(copy(vantrel(), model.path() + "/missing-model", "a.txt", "b.txt"), 0);
    EXPECT_EQ(Snapshot(model.path()), before);
  }
}

TEST_F(CopyTest, AbsoluteNamesAreUsedAsGivenWhateverTheModelFolder) {
  TempFolder elsewhere;
  WriteFile(model / "a.txt", "a");
  EXPECT_EQ(vantrel().CopySimple("/no/such/model", "", true, model / "a.txt", elsewhere / "b.txt"), 1);
  EXPECT_EQ(ReadFile(elsewhere / "b.txt"), "a");
}

// The write limit stops root as surely as anyone, so it interrupts a real copy half-way: the
// target must keep its old content and no partial file may remain.
TEST_F(CopyTest, ACopyInterruptedByAFailingWriteKeepsTheOldTarget) {
  const std::string content = LargeContent();
  WriteFile(model / "source.dat", content);
  struct rlimit saved {};
  ::getrlimit(RLIMIT_FSIZE, &saved);
  const auto previousHandler = ::signal(SIGXFSZ, SIG_IGN);
  for (const auto& [name, copy] : ReplacingCopies()) {
    SCOPED_TRACE(name);
    WriteFile(model / "target.dat", "old target");
    const auto before = Snapshot(model.path());
    struct rlimit limited = saved;
    limited.rlim_cur = 64 * 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const int copied = copy(vantrel(), model.path(), "source.dat", "target.dat");
    ::setrlimit(RLIMIT_FSIZE, &saved);
    EXPECT_EQ(copied, 0);
    EXPECT_EQ(Snapshot(model.path()), before);
  }
  ::signal(SIGXFSZ, previousHandler);
}

using ConfinementTest = VantrelFilesTest;

// Names that try to leave the model folder, each refused by every operation, which then leaves
// the files outside untouched.
TEST_F(ConfinementTest, RelativeNamesThatLeaveTheModelFolderAreRefusedByEveryOperation) {
  TempFolder outside;
  WriteFile(outside / "secret.txt", "secret");
  WriteFile(model / "inside.txt", "inside");
  std::filesystem::create_directory(model / "sub");
  std::filesystem::create_directory_symlink(outside.path(), model / "link-out");
  std::filesystem::create_symlink(outside / "secret.txt", model / "secret-link");
  std::filesystem::create_symlink(outside / "nothing-yet.txt", model / "dangling-link");
  const std::string escapes[] = {
      "../" + std::filesystem::path(outside.path()).filename().string() + "/secret.txt",
      outside / "secret.txt",
      "sub/../../x.txt",
      "link-out/secret.txt",
      "link-out/new.txt",
      "secret-link",
      "dangling-link",
      "",
  };
  const auto outsideBefore = Snapshot(outside.path());
  const auto modelBefore = Snapshot(model.path());
  for (const std::string& escape : escapes) {
    SCOPED_TRACE(escape);
    for (const auto& [name, copy] : ReplacingCopies()) {
      SCOPED_TRACE(name);
      EXPECT_EQ(copy(vantrel(), model.path(), escape, "copied.txt"), 0);
      EXPECT_EQ(copy(vantrel(), model.path(), "inside.txt", escape), 0);
    }
    EXPECT_EQ(vantrel().Copy(model.path(), "", false, "inside.txt", escape, 1), 0);
    EXPECT_EQ(vantrel().Rename(model.path(), "", false, escape, "moved.txt"), 0);
    EXPECT_EQ(vantrel().Rename(model.path(), "", false, "inside.txt", escape), 0);
    EXPECT_EQ(vantrel().Delete(model.path(), "", false, escape), 0);
    EXPECT_THROW(vantrel().Open("", model.path(), false, escape, 1), std::invalid_argument);
    EXPECT_FALSE(vantrel().CloseExcel("", model.path(), false, escape));
  }
  EXPECT_EQ(Snapshot(outside.path()), outsideBefore);
  EXPECT_EQ(Snapshot(model.path()), modelBefore);
}

TEST_F(ConfinementTest, NamesThatStayInsideMayClimbAndFollowInsideLinks) {
  WriteFile(model / "inside.txt", "inside");
  std::filesystem::create_directory(model / "sub");
  std::filesystem::create_directory_symlink(model / "sub", model / "sub-link");
  EXPECT_EQ(vantrel().CopySimple(model.path(), "", false, "sub/../inside.txt", "./sub-link/copy.txt"), 1);
  EXPECT_EQ(ReadFile(model / "sub/copy.txt"), "inside");
  try {
    vantrel().Open("", model.path(), false, "../x", 1);
    ADD_FAILURE() << "no exception";
  } catch (const std::invalid_argument& error) {
    EXPECT_THAT(error.what(), ::testing::HasSubstr("'../x'"));
    EXPECT_THAT(error.what(), ::testing::HasSubstr("'" + model.path() + "'"));
  }
}

using RenameTest = VantrelFilesTest;

TEST_F(RenameTest, MovesAFileOverAnExistingTargetOrAnswersZero) {
  WriteFile(model / "a.txt", "a", 0640);
  WriteFile(model / "b.txt", "b");
  std::filesystem::create_directory(model / "sub");
  EXPECT_EQ(vantrel().Rename(model.path(), "", false, "a.txt", "sub/b.txt"), 1);
  EXPECT_EQ(vantrel().Rename(model.path(), "", false, "sub/b.txt", "b.txt"), 1);
  EXPECT_EQ(ReadFile(model / "b.txt"), "a");
  EXPECT_FALSE(ReadFile(model / "a.txt"));
  EXPECT_EQ(vantrel().Rename(model.path(), "", false, "a.txt", "c.txt"), 0);
  EXPECT_EQ(vantrel().Rename(model.path(), "", false, "sub", "moved-folder"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(model / "sub"));
}

// /dev/shm is a file system of its own on most machines; where it is not, there is nothing to show.
TEST_F(RenameTest, MovesAcrossFileSystemsByCopyingThenDeleting) {
  struct stat here {
  }, there{};
  if (::stat(model.path().c_str(), &here) != 0 || ::stat("/dev/shm", &there) != 0 ||
      here.st_dev == there.st_dev) {
    GTEST_SKIP() << "no second file system at /dev/shm";
  }
  const std::string target = "/dev/shm/vantrel-rename-test-" + std::to_string(::getpid());
  WriteFile(target, "old");
  WriteFile(model / "a.txt", LargeContent(), 0604);
  EXPECT_EQ(vantrel().Rename("", "", true, model / "a.txt", target), 1);
  EXPECT_EQ(ReadFile(target), LargeContent());
  EXPECT_EQ(PermissionBits(target), 0604u);
  EXPECT_FALSE(ReadFile(model / "a.txt"));
  ::unlink(target.c_str());
}

using DeleteTest = VantrelFilesTest;

TEST_F(DeleteTest, RemovesOneFileOrLinkAndNeverAFolder) {
  WriteFile(model / "a.txt", "a");
  std::filesystem::create_directory(model / "empty-folder");
  std::filesystem::create_symlink("a.txt", model / "link.txt");
  EXPECT_EQ(vantrel().Delete(model.path(), "", false, "link.txt"), 1);
  EXPECT_EQ(ReadFile(model / "a.txt"), "a");
  EXPECT_EQ(vantrel().Delete(model.path(), "", false, "a.txt"), 1);
  EXPECT_EQ(vantrel().Delete(model.path(), "", false, "a.txt"), 0);
  EXPECT_EQ(vantrel().Delete(model.path(), "", false, "empty-folder"), 0);
  EXPECT_TRUE(std::filesystem::is_directory(model / "empty-folder"));
}

// Host bytes name the file on disk unchanged when the narrow encoding is UTF-8.
TEST_F(VantrelFilesTest, NonAsciiNamesReachTheFileSystemByteForByte) {
  if (interop::NarrowCodec::process().kind() != interop::NarrowCodec::Kind::Utf8) GTEST_SKIP() << "not UTF-8";
  const std::string russian = "\xD0\x96\xD0\xB8\xD0\xB7\xD0\xBD\xD1\x8C.txt";  // "Жизнь.txt"
  const std::string french = "caf\xC3\xA9 cr\xC3\xA8me.txt";                   // "café crème.txt"
  WriteFile(model / russian, "text");
  EXPECT_EQ(vantrel().CopySimple(model.path(), "", false, russian, french), 1);
  EXPECT_EQ(vantrel().Rename(model.path(), "", false, french, "\xE2\x82\xAC.txt"), 1);  // "€.txt"
  EXPECT_EQ(ReadFile(model / "\xE2\x82\xAC.txt"), "text");
  EXPECT_EQ(List(model.path(), false, "*.txt"), (std::vector<std::string>{russian, "\xE2\x82\xAC.txt"}));
  EXPECT_EQ(vantrel().LoadText(model / russian), "text");
  EXPECT_EQ(vantrel().Delete(model.path(), "", false, russian), 1);
}

}  // namespace
}  // namespace tarvo::test
