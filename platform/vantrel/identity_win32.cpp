// The identity operations of the Vantrel stand-in on Windows, answered by the system as .NET's
// Environment class answers them: the user's name, the user's domain, the machine's DNS domain and
// its NetBIOS name. The system hands out UTF-16, which is backend text already.
#include <windows.h>

#include <string>

#include "vantrel/vantrel.h"

namespace tarvo::backend {
namespace {

// Asks a Win32 function that reports the size it needs when the buffer is too small.
template <class Query>
std::u16string Ask(Query query) {
  std::wstring buffer(256, L'\0');
  for (int attempt = 0; attempt < 4; ++attempt) {
    DWORD size = static_cast<DWORD>(buffer.size());
    if (query(buffer.data(), &size)) return std::u16string(buffer.begin(), buffer.begin() + size);
    if (GetLastError() != ERROR_MORE_DATA && GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.resize(static_cast<size_t>(size) + 1);
  }
  return {};
}

std::u16string ComputerName(COMPUTER_NAME_FORMAT format) {
  return Ask(
      [format](wchar_t* buffer, DWORD* size) { return GetComputerNameExW(format, buffer, size) != 0; });
}

std::u16string EnvironmentVariable(const wchar_t* name) {
  return Ask([name](wchar_t* buffer, DWORD* size) {
    const DWORD length = GetEnvironmentVariableW(name, buffer, *size);
    if (length == 0) return false;
    if (length >= *size) {
      *size = length;
      SetLastError(ERROR_MORE_DATA);
      return false;
    }
    *size = length;
    return true;
  });
}

}  // namespace

Text Vantrel::GetEnvUserName() {
  // GetUserNameW counts the terminating NUL in the size it reports.
  std::u16string name = Ask([](wchar_t* buffer, DWORD* size) { return GetUserNameW(buffer, size) != 0; });
  if (!name.empty() && name.back() == u'\0') name.pop_back();
  return Text(std::move(name));
}

Text Vantrel::GetEnvUserDomain() {
  std::u16string domain = EnvironmentVariable(L"USERDOMAIN");
  if (domain.empty()) domain = ComputerName(ComputerNameDnsDomain);
  return Text(std::move(domain));
}

Text Vantrel::GetEnvMachineDomain() {
  return Text(ComputerName(ComputerNameDnsDomain));
}

Text Vantrel::GetEnvMachineName() {
  return Text(ComputerName(ComputerNameNetBIOS));
}

}  // namespace tarvo::backend
