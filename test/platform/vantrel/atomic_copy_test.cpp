// The atomic copy with its write function replaced, to fail where a full disk or a dying device
// would: the target must keep its old content and no partial file may remain.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cerrno>
#include <new>
#include <string>

#include "platform/vantrel/files_fixture.h"
#include "vantrel/atomic_copy.h"

namespace tarvo::backend::detail {
namespace {

using test::ReadFile;
using test::Snapshot;
using test::TempFolder;
using test::WriteFile;

// How many writes FailingWrite lets through before it reports a full disk.
int writesLeft = 0;

ssize_t FailingWrite(int fd, const void* data, size_t size) {
  if (writesLeft-- <= 0) {
    errno = ENOSPC;
    return -1;
  }
  return ::write(fd, data, size);
}

TEST(AtomicCopyTest, AFailingWriteLeavesTheOldTargetAndNoPartialFile) {
  TempFolder folder;
  WriteFile(folder / "source", std::string(1024 * 1024, 'x'));
  for (const int writes : {0, 1, 3}) {
    for (const bool targetExists : {true, false}) {
      SCOPED_TRACE(std::to_string(writes) + (targetExists ? " writes over a target" : " writes, no target"));
      ::unlink((folder / "target").c_str());
      if (targetExists) WriteFile(folder / "target", "old");
      const auto before = Snapshot(folder.path());
      writesLeft = writes;
      EXPECT_EQ(CopyFileAtomically(folder / "source", folder / "target", ExistingTarget::Replace,
                                   CopyMethod::UserSpace, FailingWrite),
                std::errc::no_space_on_device);
      EXPECT_EQ(Snapshot(folder.path()), before);
    }
  }
}

// An exception in the middle of the copy (running out of memory, say) leaves no staged file either.
ssize_t ThrowingWrite(int, const void*, size_t) {
  throw std::bad_alloc();
}

TEST(AtomicCopyTest, AnExceptionDuringTheCopyLeavesTheOldTargetAndNoPartialFile) {
  TempFolder folder;
  WriteFile(folder / "source", "new");
  WriteFile(folder / "target", "old");
  const auto before = Snapshot(folder.path());
  EXPECT_THROW(CopyFileAtomically(folder / "source", folder / "target", ExistingTarget::Replace,
                                  CopyMethod::UserSpace, ThrowingWrite),
               std::bad_alloc);
  EXPECT_EQ(Snapshot(folder.path()), before);
}

TEST(AtomicCopyTest, KeepingAnExistingTargetIsDecidedAtTheRename) {
  TempFolder folder;
  WriteFile(folder / "source", "new");
  StagedCopy staged(folder / "source", folder / "target", CopyMethod::UserSpace);
  ASSERT_FALSE(staged.error());
  WriteFile(folder / "target", "appeared meanwhile");
  EXPECT_EQ(staged.commit(ExistingTarget::Keep), std::errc::file_exists);
  EXPECT_EQ(ReadFile(folder / "target"), "appeared meanwhile");
}

TEST(AtomicCopyTest, AStagedCopyThatIsNeverCommittedLeavesNothing) {
  TempFolder folder;
  WriteFile(folder / "source", "data");
  { StagedCopy staged(folder / "source", folder / "target", CopyMethod::InKernel); }
  EXPECT_EQ(Snapshot(folder.path()).size(), 1u);
}

}  // namespace
}  // namespace tarvo::backend::detail
