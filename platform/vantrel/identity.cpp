#include "vantrel/identity.h"

#include <pwd.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <vector>

namespace tarvo::backend::identity {
namespace {

char AsciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
  if (text.size() < prefix.size()) return false;
  for (std::size_t i = 0; i < prefix.size(); ++i) {
    if (AsciiLower(text[i]) != AsciiLower(prefix[i])) return false;
  }
  return true;
}

// A name written absolutely ("corp.example.") means the same as without its final dot, and a lone
// "." (the root) is no domain at all.
std::string WithoutFinalDot(std::string name) {
  if (!name.empty() && name.back() == '.') name.pop_back();
  return name;
}

std::vector<std::string> Words(std::string_view line) {
  std::istringstream stream{std::string(line)};
  std::vector<std::string> words;
  for (std::string word; stream >> word;) words.push_back(std::move(word));
  return words;
}

std::string DomainFromHostsFile(const std::filesystem::path& hostsFile, std::string_view shortName) {
  std::ifstream hosts(hostsFile);
  for (std::string line; std::getline(hosts, line);) {
    const std::vector<std::string> words = Words(line.substr(0, line.find('#')));
    // The first word is the address; the names follow it.
    for (std::size_t i = 1; i < words.size(); ++i) {
      const std::string name = WithoutFinalDot(words[i]);
      if (name.size() > shortName.size() + 1 && StartsWithIgnoringCase(name, shortName) &&
          name[shortName.size()] == '.') {
        return name.substr(shortName.size() + 1);
      }
    }
  }
  return {};
}

// The resolver lets the last `domain` or `search` line win; a search list's first entry is the
// local domain.
std::string DomainFromResolverFile(const std::filesystem::path& resolverFile) {
  std::ifstream resolver(resolverFile);
  std::string domain;
  for (std::string line; std::getline(resolver, line);) {
    const std::vector<std::string> words = Words(line);
    if (words.size() >= 2 && (words[0] == "domain" || words[0] == "search")) {
      domain = WithoutFinalDot(words[1]);
    }
  }
  return domain;
}

std::string SystemHostName() {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return {};
  return name;
}

std::string PasswordDatabaseUserName() {
  const long suggested = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buffer(suggested > 0 ? static_cast<std::size_t>(suggested) : 1024);
  passwd entry{};
  passwd* found = nullptr;
  int error;
  while ((error = getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found)) == ERANGE &&
         buffer.size() < (1u << 20)) {
    buffer.resize(buffer.size() * 2);
  }
  if (error != 0 || found == nullptr || found->pw_name == nullptr) return {};
  return found->pw_name;
}

}  // namespace

DomainSources SystemDomainSources() {
  return {SystemHostName(), "/etc/hosts", "/etc/resolv.conf"};
}

std::string UserName() {
  std::string name = PasswordDatabaseUserName();
  if (!name.empty()) return name;
  const char* user = std::getenv("USER");
  return user != nullptr ? user : "";
}

std::string MachineName(std::string_view hostName) {
  return std::string(hostName.substr(0, hostName.find('.')));
}

std::string MachineDomain(const DomainSources& sources) {
  const std::string hostName = WithoutFinalDot(sources.hostName);
  if (const std::size_t dot = hostName.find('.'); dot != std::string::npos) return hostName.substr(dot + 1);
  if (!hostName.empty()) {
    std::string domain = DomainFromHostsFile(sources.hostsFile, hostName);
    if (!domain.empty()) return domain;
  }
  return DomainFromResolverFile(sources.resolverFile);
}

std::string UserDomain(const char* userDomainVariable, std::string_view userName,
                       std::string_view machineDomain) {
  if (userDomainVariable != nullptr && *userDomainVariable != '\0') return userDomainVariable;
  if (const std::size_t at = userName.find('@'); at != std::string_view::npos && at + 1 < userName.size()) {
    return std::string(userName.substr(at + 1));
  }
  return std::string(machineDomain);
}

}  // namespace tarvo::backend::identity
