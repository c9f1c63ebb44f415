// The Caesar transform of CaesarCipher12Net: a fixed shift over the printable ASCII characters.
#ifndef TARVO_VANTREL_CAESAR_H
#define TARVO_VANTREL_CAESAR_H

#include <string>
#include <string_view>

namespace tarvo::backend::caesar {

// Shifts each of the 95 printable ASCII characters (space to '~') 12 places forward when
// enciphering and 12 back when not, wrapping around within those 95; every other unit, surrogates
// included, is kept. Deciphering therefore undoes enciphering for every text.
std::u16string Shift12(std::u16string_view text, bool encipher);

}  // namespace tarvo::backend::caesar

#endif  // TARVO_VANTREL_CAESAR_H
