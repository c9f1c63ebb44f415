// The identity, probe, cipher and interpolation operations of the Vantrel stand-in. Each one turns
// backend text into what its concept works on and back; the work itself lives in identity.cpp,
// probes.cpp, cipher.cpp, caesar.cpp and interpolation.cpp.
#include <cstdlib>
#include <string_view>

#include "interop/narrow_codec.h"
#include "vantrel/caesar.h"
#include "vantrel/cipher.h"
#include "vantrel/identity.h"
#include "vantrel/interpolation.h"
#include "vantrel/probes.h"
#include "vantrel/vantrel.h"

namespace tarvo::backend {
namespace {

// Names from the system are bytes in the process's narrow encoding, as every other system string is.
Text SystemText(std::string_view bytes) {
  return Text(interop::NarrowCodec::process().decode(bytes));
}

}  // namespace

Text Vantrel::EcryptString(const Text& plainText, const Text& key) {
  return cipher::Encipher(plainText, key);
}

Text Vantrel::DcryptString(const Text& encrypted, const Text& key) {
  return cipher::Decipher(encrypted, key);
}

bool Vantrel::IsMsOleDbSqlInstalled() {
  return probes::SystemListsSqlServerDriver();
}

bool Vantrel::IsBrevikInstalled() {
  return probes::SystemHoldsBrevik();
}

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

Text Vantrel::CaesarCipher12Net(const Text& inText, bool bEncrypt) {
  return Text(caesar::Shift12(inText.units("Vantrel::CaesarCipher12Net: inText"), bEncrypt));
}

int Vantrel::Interpolate(Array<double>& x, Array<double>& y, int nCount, double dX, double& dY,
                         double& dYbydX) {
  return interpolation::InterpolateArrays(x, y, nCount, dX, dY, dYbydX);
}

}  // namespace tarvo::backend
