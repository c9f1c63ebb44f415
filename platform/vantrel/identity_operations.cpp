// The identity operations of the Vantrel stand-in on POSIX systems; the work is in identity.cpp.
#include <cstdlib>
#include <string_view>

#include "interop/narrow_codec.h"
#include "vantrel/identity.h"
#include "vantrel/vantrel.h"

namespace tarvo::backend {
namespace {

// Names from the system are bytes in the process's narrow encoding, as every other system string is.
Text SystemText(std::string_view bytes) {
  return Text(interop::NarrowCodec::process().decode(bytes));
}

}  // namespace

Text Vantrel::GetEnvUserName() {
  return SystemText(identity::UserName());
}

Text Vantrel::GetEnvUserDomain() {
  const std::string machineDomain = identity::MachineDomain(identity::SystemDomainSources());
  return SystemText(identity::UserDomain(std::getenv("USERDOMAIN"), identity::UserName(), machineDomain));
}

Text Vantrel::GetEnvMachineDomain() {
  return SystemText(identity::MachineDomain(identity::SystemDomainSources()));
}

Text Vantrel::GetEnvMachineName() {
  return SystemText(identity::MachineName(identity::SystemDomainSources().hostName));
}

}  // namespace tarvo::backend
