// Enciphered texts come back exactly, differ every time, and anything that is not an untouched
// text of ours under the right key is refused. Most tests use a cheap key-derivation cost so that
// hundreds of damaged texts can be tried; the real cost is covered through the class itself.
#include "vantrel/cipher.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "vantrel/vantrel.h"

namespace tarvo::test {
namespace {

using backend::cipher::Decipher;
using backend::cipher::Encipher;
using runtime::Text;

constexpr int kCheap = 1000;

Text Seal(std::u16string_view plain, std::u16string_view key = u"correct horse") {
  return Encipher(Text(plain), Text(key), kCheap);
}
Text Unseal(std::u16string_view sealed, std::u16string_view key = u"correct horse") {
  return Decipher(Text(sealed), Text(key), kCheap);
}

// Decipher must refuse `sealed` with an invalid_argument whose message holds `reason`.
void ExpectRefused(std::u16string_view sealed, const std::string& reason,
                   std::u16string_view key = u"correct horse") {
  try {
    const Text plain = Unseal(sealed, key);
    ADD_FAILURE() << "deciphered to " << testing::PrintToString(std::u16string(plain.units()));
  } catch (const std::invalid_argument& error) {
    EXPECT_NE(std::string(error.what()).find("Vantrel::DcryptString: "), std::string::npos) << error.what();
    EXPECT_NE(std::string(error.what()).find(reason), std::string::npos) << error.what();
  }
}

TEST(Cipher, RoundTripsEveryKindOfText) {
  const std::u16string_view texts[] = {u"", u"a", u"Hello, world", u"Grüße, Привет, 日本語, 😀",
                                       std::u16string_view(u"nul\0inside", 10)};
  for (const std::u16string_view plain : texts) {
    SCOPED_TRACE(testing::PrintToString(std::u16string(plain)));
    EXPECT_EQ(Unseal(Seal(plain).units()).units(), plain);
  }
  EXPECT_EQ(Unseal(Seal(u"x", u"ключ 🔑").units(), u"ключ 🔑").units(), u"x");
}

TEST(Cipher, GivesPrintableVersionedTextThatDiffersEveryTime) {
  const Text first = Seal(u"same text"), second = Seal(u"same text");
  EXPECT_NE(first, second);
  for (const Text& sealed : {first, second}) {
    const std::u16string_view units = sealed.units();
    EXPECT_EQ(units.substr(0, 3), u"v1:");
    // salt 16 + nonce 12 + 9 bytes + tag 16 = 53 bytes, 72 base64 characters
    EXPECT_EQ(units.size(), 3u + 72u);
    for (char16_t unit : units) EXPECT_TRUE(unit > 0x20 && unit < 0x7F) << static_cast<int>(unit);
  }
}

TEST(Cipher, RefusesTheWrongKey) {
  const Text sealed = Seal(u"secret", u"right key");
  ExpectRefused(sealed.units(), "does not authenticate", u"wrong key");
  ExpectRefused(sealed.units(), "does not authenticate", u"right ke");
  ExpectRefused(Seal(u"", u"right key").units(), "does not authenticate", u"Right key");
}

TEST(Cipher, RefusesEveryChangeOfASingleCharacter) {
  const std::u16string sealed(Seal(u"short").units());
  for (std::size_t i = 0; i < sealed.size(); ++i) {
    // Every other ASCII value at this place (bit flips), and a character outside ASCII.
    for (char16_t mask = 1; mask < 0x80; mask <<= 1) {
      std::u16string damaged = sealed;
      damaged[i] ^= mask;
      SCOPED_TRACE("position " + std::to_string(i) + " mask " + std::to_string(mask));
      EXPECT_THROW(Unseal(damaged), std::invalid_argument);
    }
    std::u16string damaged = sealed;
    damaged[i] = u'é';
    EXPECT_THROW(Unseal(damaged), std::invalid_argument);
  }
}

TEST(Cipher, RefusesEveryTruncationAndExtension) {
  const std::u16string sealed(Seal(u"short").units());
  for (std::size_t length = 0; length < sealed.size(); ++length) {
    SCOPED_TRACE(length);
    EXPECT_THROW(Unseal(sealed.substr(0, length)), std::invalid_argument);
  }
  EXPECT_THROW(Unseal(sealed + u"A"), std::invalid_argument);
  EXPECT_THROW(Unseal(sealed + u"AAAA"), std::invalid_argument);
  EXPECT_THROW(Unseal(sealed + u"\n"), std::invalid_argument);
}

TEST(Cipher, NamesWhyAForeignTextIsRefused) {
  ExpectRefused(u"", "version tag");
  ExpectRefused(u"plain words", "version tag");
  ExpectRefused(u"v2:AAAA", "version tag");
  ExpectRefused(u"v1:", "not valid base64");
  ExpectRefused(u"v1:not base64!", "not valid base64");
  ExpectRefused(u"v1:AAAAAAAAAAAAAAAA", "truncated: it holds 12 bytes where at least 44 are needed");
  ExpectRefused(u"v1:AAAA\u00e9AAA", "holds U+00E9 at position 7");
}

TEST(Cipher, RefusesBadArgumentsBeforeEnciphering) {
  EXPECT_THROW(Seal(u"text", u""), std::invalid_argument);
  EXPECT_THROW(Unseal(Seal(u"text").units(), u""), std::invalid_argument);
  try {
    Seal(u"ab\xD800");
    FAIL() << "no exception";
  } catch (const std::invalid_argument& error) {
    EXPECT_STREQ(
        error.what(),
        "Vantrel::EcryptString: the plain text holds a lone surrogate U+D800 at position 2, which has no "
        "UTF-8 form");
  }
  EXPECT_THROW(Encipher(Text(), Text(u"key"), kCheap), NullReferenceError);
  EXPECT_THROW(Encipher(Text(u"text"), Text(), kCheap), NullReferenceError);
  EXPECT_THROW(Decipher(Text(), Text(u"key"), kCheap), NullReferenceError);
}

TEST(Cipher, TheBackendUsesTheFullCostBothWays) {
  backend::Vantrel vantrel;
  const Text sealed = vantrel.EcryptString(Text(u"Grüße"), Text(u"key"));
  EXPECT_EQ(vantrel.DcryptString(sealed, Text(u"key")).units(), u"Grüße");
  // A text made with another cost derives another key, so the cost is really part of the format.
  EXPECT_THROW(Unseal(sealed.units(), u"key"), std::invalid_argument);
}

}  // namespace
}  // namespace tarvo::test
