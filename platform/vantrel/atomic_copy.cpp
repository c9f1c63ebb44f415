#include "vantrel/atomic_copy.h"

#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "vantrel/file_descriptor.h"
#include "vantrel/file_names.h"

namespace tarvo::backend::detail {

namespace {

std::error_code LastError() {
  return {errno, std::generic_category()};
}

// O_NONBLOCK keeps a FIFO from stalling the open; only regular files are copied.
std::error_code OpenRegularFile(const std::string& path, FileDescriptor& file, struct stat& status) {
  file = FileDescriptor(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!file.valid() || ::fstat(file.get(), &status) != 0) return LastError();
  if (S_ISDIR(status.st_mode)) return std::make_error_code(std::errc::is_a_directory);
  if (!S_ISREG(status.st_mode)) return std::make_error_code(std::errc::invalid_argument);
  return {};
}

std::error_code WriteAll(int fd, const char* data, size_t size, WriteFunction write) {
  while (size > 0) {
    const ssize_t written = write(fd, data, size);
    if (written < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    data += written;
    size -= static_cast<size_t>(written);
  }
  return {};
}

// From the current offsets to the end of the input.
std::error_code CopyUserSpace(int in, int out, WriteFunction write) {
  std::vector<char> buffer(128 * 1024);
  for (;;) {
    const ssize_t got = ::read(in, buffer.data(), buffer.size());
    if (got < 0) {
      if (errno == EINTR) continue;
      return LastError();
    }
    if (got == 0) return {};
    if (std::error_code error = WriteAll(out, buffer.data(), static_cast<size_t>(got), write)) return error;
  }
}

bool KernelCannotCopyBetween(int error) {
  return error == EXDEV || error == ENOSYS || error == EOPNOTSUPP || error == EINVAL || error == EBADF;
}

std::error_code CopyInKernel(int in, int out, off_t size, WriteFunction write) {
  if (::ioctl(out, FICLONE, in) == 0) return {};
  off_t copied = 0;
  while (copied < size) {
    const ssize_t moved = ::copy_file_range(in, nullptr, out, nullptr, static_cast<size_t>(size - copied), 0);
    if (moved < 0) {
      if (errno == EINTR) continue;
      if (copied == 0 && KernelCannotCopyBetween(errno)) break;
      return LastError();
    }
    // Some file systems answer 0 early (files that report no size, a file that shrank): reading
    // on from the same offsets finishes the job, or confirms the end.
    if (moved == 0) break;
    copied += moved;
  }
  return CopyUserSpace(in, out, write);
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

StagedCopy::StagedCopy(const std::string& source, const std::string& target, CopyMethod method,
                       WriteFunction write)
    : target_(target) {
  if (write == nullptr) write = ::write;
  FileDescriptor in;
  struct stat status {};
  if ((error_ = OpenRegularFile(source, in, status))) return;

  // A leading dot hides the file from listings while it fills; the name is cut so that a long
  // target name still leaves room for the suffix.
  std::string staged =
      FolderOf(target) + "/." + std::string(BaseName(target).substr(0, 64)) + ".vantrel-XXXXXX";
  FileDescriptor out(::mkostemp(staged.data(), O_CLOEXEC));
  if (!out.valid()) {
    error_ = LastError();
    return;
  }
  staged_ = std::move(staged);

  // The copy's buffer may not be had; the destructor does not run for a constructor that throws, so
  // the staged file is removed here before the failure passes on.
  try {
    error_ = method == CopyMethod::InKernel ? CopyInKernel(in.get(), out.get(), status.st_size, write)
                                            : CopyUserSpace(in.get(), out.get(), write);
  } catch (...) {
    ::unlink(staged_.c_str());
    throw;
  }
  if (!error_ && ::fchmod(out.get(), status.st_mode & 0777) != 0) error_ = LastError();
  if (!error_ && ::fsync(out.get()) != 0) error_ = LastError();
  if (out.close() != 0 && !error_) error_ = LastError();
  if (error_) {
    ::unlink(staged_.c_str());
    staged_.clear();
  }
}

StagedCopy::~StagedCopy() {
  if (!staged_.empty()) ::unlink(staged_.c_str());
}

std::error_code StagedCopy::commit(ExistingTarget existing) {
  if (error_) return error_;
  if (existing == ExistingTarget::Replace) {
    if (::rename(staged_.c_str(), target_.c_str()) != 0) return LastError();
  } else if (::renameat2(AT_FDCWD, staged_.c_str(), AT_FDCWD, target_.c_str(), RENAME_NOREPLACE) != 0) {
    if (errno != EINVAL && errno != ENOSYS) return LastError();
    // A file system without the no-replace rename: a hard link is just as exclusive.
    if (::link(staged_.c_str(), target_.c_str()) != 0) return LastError();
    ::unlink(staged_.c_str());
  }
  staged_.clear();
  return {};
}

std::string StagedCopy::keep() {
  return std::exchange(staged_, std::string());
}

std::error_code CopyFileAtomically(const std::string& source, const std::string& target,
                                   ExistingTarget existing, CopyMethod method, WriteFunction write) {
  StagedCopy staged(source, target, method, write);
  return staged.commit(existing);
}

}  // namespace tarvo::backend::detail
