// The identity, probe, cipher and interpolation operations of the Vantrel stand-in.
#include "vantrel/not_implemented.h"
#include "vantrel/vantrel.h"

namespace tarvo::backend {

// clang-format off
Text Vantrel::EcryptString(const Text&, const Text&) { NotImplementedYet("EcryptString"); }
Text Vantrel::DcryptString(const Text&, const Text&) { NotImplementedYet("DcryptString"); }
bool Vantrel::IsMsOleDbSqlInstalled() { NotImplementedYet("IsMsOleDbSqlInstalled"); }
bool Vantrel::IsBrevikInstalled() { NotImplementedYet("IsBrevikInstalled"); }
Text Vantrel::GetEnvUserName() { NotImplementedYet("GetEnvUserName"); }
Text Vantrel::GetEnvUserDomain() { NotImplementedYet("GetEnvUserDomain"); }
Text Vantrel::GetEnvMachineDomain() { NotImplementedYet("GetEnvMachineDomain"); }
Text Vantrel::GetEnvMachineName() { NotImplementedYet("GetEnvMachineName"); }
Text Vantrel::CaesarCipher12Net(const Text&, bool) { NotImplementedYet("CaesarCipher12Net"); }
int Vantrel::Interpolate(Array<double>&, Array<double>&, int, double, double&, double&) { NotImplementedYet("Interpolate"); }
// clang-format on

}  // namespace tarvo::backend
