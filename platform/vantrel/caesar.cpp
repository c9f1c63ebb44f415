#include "vantrel/caesar.h"

namespace tarvo::backend::caesar {

std::u16string Shift12(std::u16string_view text, bool encipher) {
  constexpr char16_t kFirst = u' ';
  constexpr char16_t kLast = u'~';
  constexpr int kAlphabetSize = kLast - kFirst + 1;
  constexpr int kShift = 12;
  // Going back 12 is going forward the rest of the way round, which keeps the arithmetic unsigned.
  const int step = encipher ? kShift : kAlphabetSize - kShift;
  std::u16string shifted(text);
  for (char16_t& unit : shifted) {
    if (unit >= kFirst && unit <= kLast)
      unit = static_cast<char16_t>(kFirst + (unit - kFirst + step) % kAlphabetSize);
  }
  return shifted;
}

}  // namespace tarvo::backend::caesar
