#include "vantrel/probes.h"

#if defined(_WIN32)
#include <windows.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <string>
#include <string_view>

namespace tarvo::backend::probes {
namespace {

std::string_view Trimmed(std::string_view text) {
  const std::size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ContainsIgnoringCase(std::string_view text, std::string_view lowerCaseNeedle) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::search(text.begin(), text.end(), lowerCaseNeedle.begin(), lowerCaseNeedle.end(),
                     [&](char a, char b) { return lower(a) == b; }) != text.end();
}

// A file that cannot be opened or read has no such section. Without badbit in the exception mask a
// stream would swallow a failed allocation inside getline as the end of the file; with it, that
// std::bad_alloc passes on and a read error arrives as ios_base::failure.
bool HasSqlServerSection(const std::filesystem::path& driverList) {
  std::ifstream ini;
  ini.exceptions(std::ios::badbit);
  try {
    ini.open(driverList);
    for (std::string line; std::getline(ini, line);) {
      const std::string_view entry = Trimmed(line);
      if (entry.size() >= 2 && entry.front() == '[' && entry.back() == ']' &&
          ContainsIgnoringCase(entry.substr(1, entry.size() - 2), "sql server")) {
        return true;
      }
    }
  } catch (const std::ios_base::failure&) {
    return false;
  }
  return false;
}

bool IsFolder(const std::filesystem::path& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

}  // namespace

std::vector<std::filesystem::path> OdbcDriverLists(const char* odbcSysIni, const char* home) {
  std::vector<std::filesystem::path> lists;
  const bool hasSysIni = odbcSysIni != nullptr && *odbcSysIni != '\0';
  lists.push_back(std::filesystem::path(hasSysIni ? odbcSysIni : "/etc") / "odbcinst.ini");
  if (home != nullptr && *home != '\0') lists.push_back(std::filesystem::path(home) / ".odbcinst.ini");
  return lists;
}

// Memory running out is not "not installed": std::bad_alloc passes on, like any operation's.
bool ListsSqlServerDriver(const std::vector<std::filesystem::path>& driverLists) {
  return std::any_of(driverLists.begin(), driverLists.end(), HasSqlServerSection);
}

bool HoldsBrevik(const char* brevikHome, const std::filesystem::path& standardRoot) {
  if (brevikHome != nullptr && *brevikHome != '\0' && IsFolder(std::filesystem::path(brevikHome) / "bin")) {
    return true;
  }
  return IsFolder(standardRoot / "bin");
}

#if defined(_WIN32)
// Each installed ODBC driver is a value named after it under this key.
bool SystemListsSqlServerDriver() {
  HKEY drivers = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\ODBC\\ODBCINST.INI\\ODBC Drivers", 0, KEY_READ,
                    &drivers) != ERROR_SUCCESS) {
    return false;
  }
  bool found = false;
  wchar_t name[512];
  for (DWORD index = 0; !found; ++index) {
    DWORD length = sizeof name / sizeof name[0];
    if (RegEnumValueW(drivers, index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
      break;
    char ascii[sizeof name / sizeof name[0]];
    for (DWORD i = 0; i < length; ++i) ascii[i] = name[i] < 0x80 ? static_cast<char>(name[i]) : '?';
    found = ContainsIgnoringCase(std::string_view(ascii, length), "sql server");
  }
  RegCloseKey(drivers);
  return found;
}
#else
bool SystemListsSqlServerDriver() {
  return ListsSqlServerDriver(OdbcDriverLists(std::getenv("ODBCSYSINI"), std::getenv("HOME")));
}
#endif

bool SystemHoldsBrevik() {
  return HoldsBrevik(std::getenv("BREVIK_HOME"), kStandardBrevikRoot);
}

}  // namespace tarvo::backend::probes
