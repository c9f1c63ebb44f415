// CaesarCipher12Net rotates the 95 printable ASCII characters by 12 and leaves everything else.
#include <gtest/gtest.h>

#include <algorithm>

#include "vantrel/vantrel.h"

namespace tarvo::test {
namespace {

using runtime::Text;

std::u16string Shift(std::u16string_view text, bool encipher) {
  backend::Vantrel vantrel;
  return std::u16string(vantrel.CaesarCipher12Net(Text(text), encipher).units());
}

TEST(Caesar, RotatesThePrintableCharactersTwelvePlacesBothWays) {
  EXPECT_EQ(Shift(u"abc XYZ ~", true), u"mno,def,+");
  EXPECT_EQ(Shift(u"mno,def,+", false), u"abc XYZ ~");

  std::u16string printable;
  for (char16_t c = u' '; c <= u'~'; ++c) printable += c;
  const std::u16string enciphered = Shift(printable, true);
  std::u16string rotated = printable;
  std::rotate(rotated.begin(), rotated.begin() + 12, rotated.end());
  EXPECT_EQ(enciphered, rotated);
  EXPECT_EQ(Shift(enciphered, false), printable);
  EXPECT_EQ(Shift(Shift(printable, false), true), printable);
}

TEST(Caesar, LeavesEveryOtherCharacterAlone) {
  const std::u16string others = u"\t\n\x7F\u00e9\u20ac\U0001F600\xD800";
  EXPECT_EQ(Shift(others, true), others);
  EXPECT_EQ(Shift(u"a\u00e9b", true), u"m\u00e9n");
  EXPECT_EQ(Shift(u"", true), u"");
  backend::Vantrel vantrel;
  EXPECT_THROW(vantrel.CaesarCipher12Net(Text(), true), NullReferenceError);
}

}  // namespace
}  // namespace tarvo::test
