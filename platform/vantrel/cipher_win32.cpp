// The Windows build has no OpenSSL, so the enciphering operations say that they are not supported
// here rather than use another format; see README.md.
#include <string>

#include "BridgeErrors.h"
#include "vantrel/cipher.h"

namespace tarvo::backend::cipher {

runtime::Text Encipher(const runtime::Text&, const runtime::Text&, int) {
  throw NotSupportedError("Vantrel::EcryptString: enciphering is not supported in the Windows build");
}

runtime::Text Decipher(const runtime::Text&, const runtime::Text&, int) {
  throw NotSupportedError("Vantrel::DcryptString: deciphering is not supported in the Windows build");
}

}  // namespace tarvo::backend::cipher
