// The probe, cipher and interpolation operations of the Vantrel stand-in. Each one turns backend
// text into what its concept works on and back; the work itself lives in probes.cpp, cipher.cpp,
// caesar.cpp and interpolation.cpp. The identity operations are in identity_operations.cpp (POSIX)
// and identity_win32.cpp (Windows).
#include "vantrel/caesar.h"
#include "vantrel/cipher.h"
#include "vantrel/interpolation.h"
#include "vantrel/probes.h"
#include "vantrel/vantrel.h"

namespace tarvo::backend {

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

Text Vantrel::CaesarCipher12Net(const Text& inText, bool bEncrypt) {
  return Text(caesar::Shift12(inText.units("Vantrel::CaesarCipher12Net: inText"), bEncrypt));
}

int Vantrel::Interpolate(Array<double>& x, Array<double>& y, int nCount, double dX, double& dY,
                         double& dYbydX) {
  return interpolation::InterpolateArrays(x, y, nCount, dX, dY, dYbydX);
}

}  // namespace tarvo::backend
