// File names on Windows. The file system names files in UTF-16, so a name travels between the
// helpers as UTF-8, which carries every name exactly; only a lone surrogate (which UTF-8 cannot
// hold) or an embedded NUL is refused. Comparisons ignore letter case, as the file system does.
#include <windows.h>

#include <algorithm>
#include <cwctype>
#include <stdexcept>
#include <vector>

#include "vantrel/file_names.h"
#include "vantrel/win32_text.h"

namespace tarvo::backend::detail {

std::wstring WideFromUtf8(std::string_view utf8) {
  if (utf8.empty()) return {};
  const int size = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring wide(static_cast<size_t>(units), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), units);
  return wide;
}

std::string Utf8FromWide(std::wstring_view wide) {
  if (wide.empty()) return {};
  const int size = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), bytes, nullptr, nullptr);
  return utf8;
}

std::string FileSystemName(const runtime::Text& name, std::string_view operation) {
  const std::u16string_view units = name.units(std::string(operation).c_str());
  const std::wstring wide(units.begin(), units.end());
  std::string utf8 = Utf8FromWide(wide);
  if (wide.find(L'\0') != std::wstring::npos || WideFromUtf8(utf8) != wide) {
    throw std::invalid_argument(std::string(operation) + ": the file name " + Quoted(utf8) +
                                " holds a NUL or a lone surrogate, which no Windows file name can");
  }
  return utf8;
}

runtime::Text TextFromFileSystem(std::string_view bytes) {
  const std::wstring wide = WideFromUtf8(bytes);
  return runtime::Text(std::u16string(wide.begin(), wide.end()));
}

std::optional<std::string> ConfinedPath(const std::string& base, const std::string& name) {
  const std::filesystem::path relative = PathFromUtf8(name);
  // "C:x", "\\x" and "/x" are all anchored somewhere other than the base.
  if (name.empty() || relative.has_root_name() || relative.has_root_directory()) return std::nullopt;
  const std::filesystem::path tidy = relative.lexically_normal();
  if (tidy.empty() || tidy == "." || *tidy.begin() == "..") return std::nullopt;

  const std::filesystem::path folder = PathFromUtf8(base.empty() ? std::string(".") : base);
  const std::filesystem::path path = folder / tidy;
  // Only a link or junction on the way can still lead out; resolving what exists of the path shows it.
  std::error_code error;
  const std::filesystem::path realBase = std::filesystem::weakly_canonical(folder, error);
  if (!error) {
    const std::filesystem::path realPath = std::filesystem::weakly_canonical(path, error);
    if (error || !IsWithin(Utf8FromPath(realPath), Utf8FromPath(realBase))) return std::nullopt;
  }
  return Utf8FromPath(path);
}

std::optional<std::string> RealPath(const std::string& path) {
  std::error_code error;
  const std::filesystem::path real = std::filesystem::canonical(PathFromUtf8(path), error);
  if (error) return std::nullopt;
  return Utf8FromPath(real);
}

bool IsWithin(std::string_view path, std::string_view folder) {
  const std::wstring within = WideFromUtf8(path);
  std::wstring outer = WideFromUtf8(folder);
  while (outer.size() > 1 && (outer.back() == L'\\' || outer.back() == L'/')) outer.pop_back();
  if (within.size() < outer.size()) return false;
  const bool samePrefix = CompareStringOrdinal(within.data(), static_cast<int>(outer.size()), outer.data(),
                                               static_cast<int>(outer.size()), TRUE) == CSTR_EQUAL;
  return samePrefix && (within.size() == outer.size() || within[outer.size()] == L'\\' ||
                        within[outer.size()] == L'/' || outer.back() == L'\\');
}

std::string_view BaseName(std::string_view path) {
  const size_t separator = path.find_last_of("/\\");
  return separator == std::string_view::npos ? path : path.substr(separator + 1);
}

std::string Quoted(std::string_view path) {
  return "'" + std::string(path) + "'";
}

}  // namespace tarvo::backend::detail
