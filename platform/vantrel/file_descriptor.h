// An owned POSIX file descriptor, closed when it goes out of scope.
#ifndef TARVO_VANTREL_FILE_DESCRIPTOR_H
#define TARVO_VANTREL_FILE_DESCRIPTOR_H

#include <unistd.h>

#include <utility>

namespace tarvo::backend::detail {

class FileDescriptor {
 public:
  FileDescriptor() = default;
  explicit FileDescriptor(int fd) : fd_(fd) {}
  FileDescriptor(FileDescriptor&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
  FileDescriptor& operator=(FileDescriptor&& other) noexcept {
    if (this != &other) {
      reset();
      fd_ = std::exchange(other.fd_, -1);
    }
    return *this;
  }
  ~FileDescriptor() { reset(); }

  int get() const { return fd_; }
  bool valid() const { return fd_ >= 0; }

  // Closes now and reports close's own result, which on some file systems is the first word of a
  // failed write.
  int close() { return fd_ < 0 ? 0 : ::close(std::exchange(fd_, -1)); }

 private:
  void reset() {
    if (fd_ >= 0) ::close(std::exchange(fd_, -1));
  }
  int fd_ = -1;
};

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_FILE_DESCRIPTOR_H
