// UTF-8 <-> UTF-16 for the Windows stand-ins. On Windows a file name or command line is UTF-16; the
// stand-ins carry it between helpers as UTF-8, which holds every name exactly, and convert only at
// the Win32 call.
#ifndef TARVO_VANTREL_WIN32_TEXT_H
#define TARVO_VANTREL_WIN32_TEXT_H

#include <filesystem>
#include <string>
#include <string_view>

namespace tarvo::backend::detail {

std::wstring WideFromUtf8(std::string_view utf8);
std::string Utf8FromWide(std::wstring_view wide);

inline std::filesystem::path PathFromUtf8(std::string_view utf8) {
  return std::filesystem::path(WideFromUtf8(utf8));
}
inline std::string Utf8FromPath(const std::filesystem::path& path) {
  return Utf8FromWide(path.native());
}

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_WIN32_TEXT_H
