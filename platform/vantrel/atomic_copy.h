// Copies that never leave a half-written target: the content goes to a temporary file next to the
// target, which is renamed into place only once it is complete and on disk.
#ifndef TARVO_VANTREL_ATOMIC_COPY_H
#define TARVO_VANTREL_ATOMIC_COPY_H

#include <sys/types.h>

#include <string>
#include <system_error>

namespace tarvo::backend::detail {

enum class CopyMethod {
  UserSpace,  // read and write through a buffer
  InKernel,   // a reflink clone or copy_file_range, falling back to read and write
};

enum class ExistingTarget { Replace, Keep };

// Every write of the user-space copy goes through this function. Tests substitute one that fails to
// show what an interrupted copy leaves behind; it is never exported from the shared library.
using WriteFunction = ssize_t (*)(int fd, const void* data, size_t size);

// A complete copy of a regular file, waiting in a temporary file in the target's folder. Discarded
// on destruction unless committed.
class StagedCopy {
 public:
  // On failure `error()` says why and nothing is left on disk.
  StagedCopy(const std::string& source, const std::string& target, CopyMethod method,
             WriteFunction write = nullptr);
  ~StagedCopy();
  StagedCopy(const StagedCopy&) = delete;
  StagedCopy& operator=(const StagedCopy&) = delete;

  const std::error_code& error() const { return error_; }

  // Renames the staged file onto the target. With ExistingTarget::Keep an existing target stays
  // and the answer is std::errc::file_exists; the check and the rename are one step.
  std::error_code commit(ExistingTarget existing);

  // Leaves the staged file on disk (it may be the only copy of the data) and returns its path.
  std::string keep();

 private:
  std::string target_;
  std::string staged_;  // empty once committed, kept or never made
  std::error_code error_;
};

// Copies `source` onto `target` through a StagedCopy. The target gets the source's permission bits.
std::error_code CopyFileAtomically(const std::string& source, const std::string& target,
                                   ExistingTarget existing, CopyMethod method, WriteFunction write = nullptr);

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_ATOMIC_COPY_H
