#include "vantrel/text_file.h"

#include <cerrno>
#include <stdexcept>
#include <system_error>

#if defined(_WIN32)
#include <filesystem>
#include <fstream>
#include <sstream>

#include "vantrel/win32_text.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "vantrel/file_descriptor.h"
#endif

#include "interop/narrow_codec.h"
#include "vantrel/file_names.h"

namespace tarvo::backend::detail {

namespace {

// The UTF-8 codec stops at NUL, as byte strings do; a file may hold NULs, so each stretch between
// them is decoded on its own.
std::u16string DecodeUtf8KeepingNul(std::string_view bytes) {
  const interop::NarrowCodec utf8 = interop::NarrowCodec::forCodeset("UTF-8");
  std::u16string text;
  for (;;) {
    const size_t nul = bytes.find('\0');
    text += utf8.decode(bytes.substr(0, nul));
    if (nul == std::string_view::npos) return text;
    text.push_back(u'\0');
    bytes.remove_prefix(nul + 1);
  }
}

std::u16string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::u16string text;
  text.reserve(bytes.size() / 2 + 1);
  for (size_t i = 0; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    text.push_back(static_cast<char16_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  if (bytes.size() % 2 != 0) text.push_back(u'\uFFFD');
  return text;
}

}  // namespace

std::u16string DecodeTextFile(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return DecodeUtf8KeepingNul(bytes.substr(3));
  if (bytes.starts_with("\xFF\xFE")) return DecodeUtf16(bytes.substr(2), false);
  if (bytes.starts_with("\xFE\xFF")) return DecodeUtf16(bytes.substr(2), true);
  return DecodeUtf8KeepingNul(bytes);
}

#if defined(_WIN32)
// `path` is UTF-8 (see file_names_win32.cpp). Windows has no FIFOs to wait on here.
std::string ReadWholeFile(const std::string& path, std::string_view operation) {
  const std::string failure = std::string(operation) + ": cannot read " + Quoted(path);
  const std::filesystem::path file = PathFromUtf8(path);
  std::error_code error;
  const std::filesystem::file_status status = std::filesystem::status(file, error);
  if (error) throw std::system_error(error, failure);
  if (std::filesystem::is_directory(status))
    throw std::system_error(EISDIR, std::generic_category(), failure);
  if (!std::filesystem::is_regular_file(status)) throw std::runtime_error(failure + ": not a regular file");
  std::ifstream stream(file, std::ios::binary);
  if (!stream) throw std::system_error(EACCES, std::generic_category(), failure);
  std::ostringstream bytes;
  bytes << stream.rdbuf();  // an empty file sets failbit on `bytes`, which is no error
  if (stream.bad()) throw std::system_error(EIO, std::generic_category(), failure);
  return std::move(bytes).str();
}
#else
std::string ReadWholeFile(const std::string& path, std::string_view operation) {
  const std::string failure = std::string(operation) + ": cannot read " + Quoted(path);
  // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below anyway.
  FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  struct stat status {};
  if (!file.valid() || ::fstat(file.get(), &status) != 0) {
    throw std::system_error(errno, std::generic_category(), failure);
  }
  if (S_ISDIR(status.st_mode)) throw std::system_error(EISDIR, std::generic_category(), failure);
  if (!S_ISREG(status.st_mode)) throw std::runtime_error(failure + ": not a regular file");

  std::string bytes;
  bytes.reserve(static_cast<size_t>(status.st_size));
  char buffer[64 * 1024];
  for (;;) {
    const ssize_t got = ::read(file.get(), buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), failure);
    }
    if (got == 0) return bytes;
    bytes.append(buffer, static_cast<size_t>(got));
  }
}

#endif

}  // namespace tarvo::backend::detail
