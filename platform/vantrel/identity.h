// Who and where the process runs: user and machine names as the local system records them.
//
// Nothing here asks the network or a name server: the host name comes from the kernel, the domain
// from files that the resolver itself reads, so an identity query never blocks on DNS.
#ifndef TARVO_VANTREL_IDENTITY_H
#define TARVO_VANTREL_IDENTITY_H

#include <filesystem>
#include <string>
#include <string_view>

namespace tarvo::backend::identity {

// The files that hold local knowledge of the machine's domain. Tests point them at files of their own.
struct DomainSources {
  std::string hostName;                // as gethostname reports it, possibly fully qualified
  std::filesystem::path hostsFile;     // the static host table
  std::filesystem::path resolverFile;  // the resolver's configuration (search and domain lines)
};

// The system's sources: gethostname, /etc/hosts and /etc/resolv.conf.
DomainSources SystemDomainSources();

// The effective user's login name from the password database, else $USER, else empty.
std::string UserName();

// The host name up to its first dot.
std::string MachineName(std::string_view hostName);

// The rest of the fully qualified host name: from the host name itself when it has a dot, else from
// the first name in the hosts file of the form "<host>.<domain>", else the resolver's domain (its last
// `domain` or `search` line; for `search`, the first entry). Empty when none of them knows one.
std::string MachineDomain(const DomainSources& sources);

// `userDomainVariable` ($USERDOMAIN, or null) when set and not empty, else the realm of a user name
// written as user@realm, else the machine domain.
std::string UserDomain(const char* userDomainVariable, std::string_view userName,
                       std::string_view machineDomain);

}  // namespace tarvo::backend::identity

#endif  // TARVO_VANTREL_IDENTITY_H
