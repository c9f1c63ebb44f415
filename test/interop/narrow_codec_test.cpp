#include "interop/narrow_codec.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "interop/util.h"

namespace tarvo::interop {
namespace {

using Kind = NarrowCodec::Kind;

constexpr char16_t kFffd = 0xFFFD;

std::string bytes(std::initializer_list<int> values) {
  std::string result;
  for (int value : values) result.push_back(static_cast<char>(value));
  return result;
}

// Every byte from 0x01 to 0xFF that the codec decodes to a real character.
std::vector<unsigned char> definedBytes(const NarrowCodec& codec) {
  std::vector<unsigned char> result;
  for (int b = 1; b < 256; ++b) {
    if (codec.decode(std::string(1, static_cast<char>(b))) != std::u16string(1, kFffd)) {
      result.push_back(static_cast<unsigned char>(b));
    }
  }
  return result;
}

void expectDefinedBytesRoundTrip(const NarrowCodec& codec) {
  for (unsigned char b : definedBytes(codec)) {
    const std::string one(1, static_cast<char>(b));
    const std::u16string decoded = codec.decode(one);
    ASSERT_EQ(decoded.size(), 1u) << codec.codeset() << " byte " << int(b);
    EXPECT_EQ(codec.encode(decoded), one) << codec.codeset() << " byte " << int(b);
  }
}

TEST(NarrowCodecKind, NamesMapToTheRightKind) {
  for (const char* name : {"UTF-8", "utf8", "Utf-8", "UTF8"}) {
    const NarrowCodec codec = NarrowCodec::forCodeset(name);
    EXPECT_EQ(codec.kind(), Kind::Utf8) << name;
    EXPECT_EQ(codec.codeset(), "UTF-8") << name;
  }
  for (const char* name : {"ISO-8859-1", "CP1252", "KOI8-R", "IBM037", "ASCII"}) {
    EXPECT_EQ(NarrowCodec::forCodeset(name).kind(), Kind::SingleByte) << name;
  }
  for (const char* name : {"EUC-JP", "SHIFT_JIS", "CP932", "EUC-KR", "GBK", "BIG5"}) {
    EXPECT_EQ(NarrowCodec::forCodeset(name).kind(), Kind::MultiByte) << name;
  }
  // Four-byte characters (GB18030), shift states (ISO-2022-JP) and composition (CP1258) need iconv.
  for (const char* name : {"GB18030", "ISO-2022-JP", "CP1258"}) {
    const NarrowCodec codec = NarrowCodec::forCodeset(name);
    EXPECT_EQ(codec.kind(), Kind::Iconv) << name;
    EXPECT_EQ(codec.codeset(), name);
  }
}

TEST(NarrowCodecKind, UnknownCodesetsAreRejectedByName) {
  for (const char* name : {"NO-SUCH-CODESET", "", "ISO-8859-1//TRANSLIT"}) {
    try {
      NarrowCodec::forCodeset(name);
      ADD_FAILURE() << "accepted '" << name << "'";
    } catch (const std::invalid_argument& e) {
      EXPECT_NE(std::string(e.what()).find("NarrowCodec"), std::string::npos) << e.what();
      EXPECT_NE(std::string(e.what()).find(std::string("'") + name + "'"), std::string::npos) << e.what();
    }
  }
}

TEST(NarrowCodecKind, EmptyInputGivesEmptyOutput) {
  for (const char* name : {"UTF-8", "ISO-8859-1", "EUC-JP"}) {
    const NarrowCodec codec = NarrowCodec::forCodeset(name);
    EXPECT_EQ(codec.decode(""), u"") << name;
    EXPECT_EQ(codec.encode(u""), "") << name;
    EXPECT_EQ(codec.decode(std::string(1, '\0')), u"") << name;
    EXPECT_EQ(codec.encode(std::u16string(1, u'\0')), "") << name;
  }
}

// Short text goes through in whole blocks of ASCII, which must stop at a NUL wherever it falls.
TEST(NarrowCodecKind, EveryKindStopsAtANulAtEveryOffset) {
  for (const char* codeset : {"UTF-8", "CP1252", "EUC-JP"}) {
    const NarrowCodec codec = NarrowCodec::forCodeset(codeset);
    for (std::size_t offset = 0; offset < 40; ++offset) {
      const std::string bytes = std::string(offset, 'x') + '\0' + std::string(7, 'y');
      const std::u16string units = std::u16string(offset, u'x') + u'\0' + std::u16string(7, u'y');
      EXPECT_EQ(codec.decode(bytes), std::u16string(offset, u'x')) << codeset << " " << offset;
      EXPECT_EQ(codec.encode(units), std::string(offset, 'x')) << codeset << " " << offset;
    }
  }
}

// Results of 16 to 64 units are tried whole as ASCII, in windows of sixteen that overlap. Another
// unit anywhere in them, or a NUL, must send the text the long way, whose result is that of its
// pieces encoded apart.
TEST(NarrowCodecKind, AsciiWindowsLetNoOtherUnitThrough) {
  for (const char* codeset : {"UTF-8", "CP1252", "EUC-JP"}) {
    const NarrowCodec codec = NarrowCodec::forCodeset(codeset);
    for (std::size_t size = 15; size <= 66; ++size) {
      std::u16string ascii;
      for (std::size_t i = 0; i < size; ++i) ascii += static_cast<char16_t>(u'a' + i % 26);
      const std::string narrow(ascii.begin(), ascii.end());
      ASSERT_EQ(codec.encode(ascii), narrow) << codeset << " " << size;
      for (std::size_t at = 0; at < size; ++at) {
        for (const char16_t other : {u'\0', u'\u00E9', u'\u0416', u'\u00FF', u'\u7F00'}) {
          std::u16string text = ascii;
          text[at] = other;
          const std::string expected =
              other == u'\0'
                  ? narrow.substr(0, at)
                  : narrow.substr(0, at) + codec.encode(std::u16string(1, other)) + narrow.substr(at + 1);
          EXPECT_EQ(codec.encode(text), expected) << codeset << " " << size << " at " << at;
        }
      }
    }
  }
}

namespace {

// Encodes the first 15 to 33 units of `letters` in each codeset, and again with each of `others` in
// each place, against the same text encoded a unit at a time (which no short path takes).
void ExpectShortTextAsUnitByUnit(std::initializer_list<const char*> codesets, std::u16string_view letters,
                                 std::initializer_list<char16_t> others) {
  for (const char* codeset : codesets) {
    const NarrowCodec codec = NarrowCodec::forCodeset(codeset);
    const auto onePerUnit = [&](std::u16string_view text) {
      std::string result;
      for (const char16_t unit : text) result += codec.encode(std::u16string(1, unit));
      return result;
    };
    for (std::size_t size = 15; size <= 33; ++size) {
      const std::u16string sample(letters.substr(0, size));
      ASSERT_EQ(codec.encode(sample), onePerUnit(sample)) << codeset << " " << size;
      for (std::size_t at = 0; at < size; ++at) {
        for (const char16_t other : others) {
          std::u16string text = sample;
          text[at] = other;
          const std::u16string_view kept = std::u16string_view(text).substr(0, text.find(u'\0'));
          EXPECT_EQ(codec.encode(text), onePerUnit(kept)) << codeset << " " << size << " at " << at;
        }
      }
    }
  }
}

}  // namespace

// Results of 16 to 32 units are also tried whole as Latin text where units A0-FF are their own bytes
// (ISO-8859-1, CP1252), in the same windows. The units just outside A0-FE (80, 9F, FF, 100; FF and
// every unit above it pack to the same byte), a NUL and a surrogate must each send the text the long
// way, wherever they fall; and in codesets where some of A0-FF are other bytes (ISO-8859-15 writes
// the euro sign as A4) or none are, Latin text must not be narrowed whole at all.
TEST(NarrowCodecKind, LatinWindowsLetNoOtherUnitThrough) {
  ExpectShortTextAsUnitByUnit(
      {"ISO-8859-1", "CP1252", "ISO-8859-15", "CP1251", "UTF-8"},
      u"caf\u00E9 \u00E0 \u00DFtra\u00DFe, \u00A4\u00A0\u00FE\u00C0 no\u00EBl \u00BF se\u00F1or "
      u"d\u00E9j\u00E0 vu",
      {0x0000, 0x007F, 0x0080, 0x009F, 0x00FF, 0x0100, 0x0152, 0x20AC, 0xD800, 0xFFFF});
}

// Likewise short Russian where the codeset writes the Cyrillic letters as consecutive bytes: CP1251
// writes А..я (0410-044F) as C0..FF, ISO-8859-5 writes Ў, Џ and А..я (040E-044F) as AE..EF, and
// KOI8-R writes them in no such order. Units on either side of each run (040D, 040F, 0450) and
// letters outside it (Ё, ё) must send the text the long way, as the units above do.
TEST(NarrowCodecKind, RunWindowsLetNoOtherUnitThrough) {
  ExpectShortTextAsUnitByUnit({"CP1251", "ISO-8859-5", "KOI8-R", "CP1252"},
                              u"модель и случай: ЯА яа, план по нефти 42 Ўў",
                              {0x0000, 0x007F, 0x0080, 0x00A0, 0x03FF, 0x0400, 0x0401, 0x040D, 0x040E, 0x040F,
                               0x0410, 0x044F, 0x0450, 0x0451, 0x0490, 0x20AC, 0xD800, 0xFFFF});
}

// Backend text is decoded with room for all the bytes, the NUL found on the way: wherever it is,
// in ASCII or after other letters, the text ends there, as decode() does.
TEST(NarrowCodecKind, BackendTextOfLongBytesEndsAtTheirFirstNul) {
  for (const char* codeset : {"UTF-8", "CP1252", "EUC-JP", "GB18030", "ISO-2022-JP"}) {
    const NarrowCodec codec = NarrowCodec::forCodeset(codeset);
    for (const std::u16string& letters :
         {std::u16string(1000, u'a'), std::u16string(200, u'a') + u"\u00E9" + std::u16string(799, u'b')}) {
      const std::string whole = codec.encode(letters);
      for (const std::size_t nul : {0, 1, 27, 28, 64, 150, 199, 200, 201, 499, 500, 501, 998}) {
        std::string bytes = whole;
        bytes[nul] = '\0';
        const std::u16string expected = codec.decode(bytes);
        ASSERT_EQ(expected.size(), codec.decode(bytes.substr(0, nul)).size()) << codeset << " " << nul;
        EXPECT_EQ(DecodeToText(codec, bytes).units(), expected) << codeset << " " << nul;
      }
    }
  }
}

class Utf8Codec : public ::testing::Test {
 protected:
  NarrowCodec codec = NarrowCodec::forCodeset("UTF-8");
};

TEST_F(Utf8Codec, BoundaryCharactersRoundTrip) {
  const std::string encoded =
      "A\xC2\x80\xDF\xBF\xE0\xA0\x80\xED\x9F\xBF\xEE\x80\x80\xEF\xBF\xBF"
      "\xF0\x90\x80\x80\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF";
  const std::u16string text = u"A\u0080\u07FF\u0800\uD7FF\uE000\uFFFF\U00010000\U0001F600\U0010FFFF";
  EXPECT_EQ(codec.decode(encoded), text);
  EXPECT_EQ(codec.encode(text), encoded);
}

TEST_F(Utf8Codec, EveryScalarValueRoundTrips) {
  std::u16string all;
  for (char32_t c = 1; c <= 0x10FFFF; ++c) {
    if (c >= 0xD800 && c <= 0xDFFF) continue;
    if (c < 0x10000) {
      all.push_back(static_cast<char16_t>(c));
    } else {
      all.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
      all.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
    }
  }
  const std::string encoded = codec.encode(all);
  EXPECT_EQ(encoded.size(), 0x7Fu + 2 * 0x780u + 3 * (0x10000u - 0x800u - 0x800u) + 4 * 0x100000u);
  EXPECT_TRUE(codec.decode(encoded) == all);
}

// The word-at-a-time ASCII paths must hand over correctly wherever the first non-ASCII unit falls.
TEST_F(Utf8Codec, NonAsciiAtEveryOffsetOfAnAsciiRun) {
  for (std::size_t offset = 0; offset < 20; ++offset) {
    for (std::size_t tail = 0; tail < 10; ++tail) {
      const std::string encoded = std::string(offset, 'x') + "\xC3\xA9" + std::string(tail, 'y');
      const std::u16string text = std::u16string(offset, u'x') + u"\u00E9" + std::u16string(tail, u'y');
      EXPECT_EQ(codec.decode(encoded), text) << offset << "/" << tail;
      EXPECT_EQ(codec.encode(text), encoded) << offset << "/" << tail;
      EXPECT_EQ(codec.decode(std::string(offset, 'x') + "\x80" + std::string(tail, 'y')),
                std::u16string(offset, u'x') + kFffd + std::u16string(tail, u'y'));
    }
  }
}

TEST_F(Utf8Codec, StopsAtTheFirstNul) {
  EXPECT_EQ(codec.decode(std::string("ab\0cd", 5)), u"ab");
  EXPECT_EQ(codec.encode(std::u16string(u"ab\0cd", 5)), "ab");
  // A NUL inside a sequence truncates it.
  EXPECT_EQ(codec.decode(std::string("a\xE2\x82\0\xAC", 5)), std::u16string(u"a") + kFffd);
}

struct InvalidCase {
  const char* what;
  std::string input;
  std::u16string expected;
};

TEST_F(Utf8Codec, EachMaximalInvalidSubpartBecomesOneReplacement) {
  const std::u16string r(1, kFffd);
  const std::vector<InvalidCase> cases = {
      {"overlong C0", bytes({0xC0, 0xAF}), r + r},
      {"overlong C1", bytes({0xC1, 0xBF}), r + r},
      {"overlong E0", bytes({0xE0, 0x80, 0xAF}), r + r + r},
      {"overlong E0 9F", bytes({0xE0, 0x9F, 0xBF}), r + r + r},
      {"overlong F0", bytes({0xF0, 0x80, 0x80, 0xAF}), r + r + r + r},
      {"overlong F0 8F", bytes({0xF0, 0x8F, 0xBF, 0xBF}), r + r + r + r},
      {"surrogate D800", bytes({0xED, 0xA0, 0x80}), r + r + r},
      {"surrogate DFFF", bytes({0xED, 0xBF, 0xBF}), r + r + r},
      {"above 10FFFF", bytes({0xF4, 0x90, 0x80, 0x80}), r + r + r + r},
      {"F5 lead", bytes({0xF5, 0x80, 0x80, 0x80}), r + r + r + r},
      {"FE and FF", bytes({0xFE, 0xFF}), r + r},
      {"stray continuations", bytes({0x80, 0xBF, 0x41}), r + r + u"A"},
      {"truncated 2 of 3 at end", bytes({0x61, 0xE2, 0x82}), u"a" + r},
      {"truncated 3 of 4 at end", bytes({0xF0, 0x9F, 0x98}), r},
      {"truncated lead at end", bytes({0xC3}), r},
      {"truncated before ASCII", bytes({0xE2, 0x82, 0x41}), r + u"A"},
      {"truncated before a new lead", bytes({0xF0, 0x9F, 0xC3, 0xA9}), r + u"\u00E9"},
      {"mixed", bytes({0x61, 0xF1, 0x80, 0x80, 0xE1, 0x80, 0xC2, 0x62, 0x80, 0x63, 0x80, 0xBF, 0x64}),
       u"a" + r + r + r + u"b" + r + u"c" + r + r + u"d"},
  };
  for (const InvalidCase& c : cases) EXPECT_EQ(codec.decode(c.input), c.expected) << c.what;
}

TEST_F(Utf8Codec, LoneSurrogatesEncodeAsQuestionMarks) {
  EXPECT_EQ(codec.encode(u"a\xD800z"), "a?z");
  EXPECT_EQ(codec.encode(u"a\xDC00z"), "a?z");
  EXPECT_EQ(codec.encode(u"a\xD800"), "a?");
  EXPECT_EQ(codec.encode(u"\xDC00\xD800"), "??");
  // The second high surrogate pairs with the low one that follows it.
  EXPECT_EQ(codec.encode(u"\xD800\xD800\xDC00"), "?\xF0\x90\x80\x80");
}

TEST(SingleByteCodec, Latin1MapsEveryByteToTheSameCodePoint) {
  const NarrowCodec codec = NarrowCodec::forCodeset("ISO-8859-1");
  std::string all;
  std::u16string text;
  for (int b = 1; b < 256; ++b) {
    all.push_back(static_cast<char>(b));
    text.push_back(static_cast<char16_t>(b));
  }
  EXPECT_EQ(codec.decode(all), text);
  EXPECT_EQ(codec.encode(text), all);
  EXPECT_EQ(codec.decode(std::string("a\xE9\0\xE9", 4)), u"a\u00E9");
  EXPECT_EQ(codec.encode(std::u16string(u"a\u00E9\0\u00E9", 4)), "a\xE9");
}

TEST(SingleByteCodec, UnrepresentableCharactersBecomeOneQuestionMark) {
  const NarrowCodec latin1 = NarrowCodec::forCodeset("ISO-8859-1");
  EXPECT_EQ(latin1.encode(u"a\u20ACb\u0100c"), "a?b?c");
  EXPECT_EQ(latin1.encode(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(latin1.encode(u"\xD800\xDC00\xDC00\xD800"), "???");
  EXPECT_EQ(latin1.encode(u"\xFFFD"), "?");
}

TEST(SingleByteCodec, Cp1252DiffersFromLatin1) {
  const NarrowCodec codec = NarrowCodec::forCodeset("CP1252");
  EXPECT_EQ(codec.encode(u"\u20AC\u2019"), "\x80\x92");
  EXPECT_EQ(codec.decode("\x80\x92\xE9"), u"\u20AC\u2019\u00E9");
  // Bytes that CP1252 leaves undefined.
  EXPECT_EQ(codec.decode("\x81\x8D\x8F\x90\x9D"), std::u16string(5, kFffd));
  EXPECT_EQ(codec.encode(u"\u0080\U0001F600"), "??");
  expectDefinedBytesRoundTrip(codec);
}

TEST(SingleByteCodec, Koi8rCyrillic) {
  const NarrowCodec codec = NarrowCodec::forCodeset("KOI8-R");
  const std::string privet = "\xF0\xD2\xC9\xD7\xC5\xD4";
  EXPECT_EQ(codec.decode(privet), u"Привет");
  EXPECT_EQ(codec.encode(u"Привет, мир"), privet + ", \xCD\xC9\xD2");
  EXPECT_EQ(codec.encode(u"\u00E9"), "?");
  EXPECT_EQ(definedBytes(codec).size(), 255u);
  expectDefinedBytesRoundTrip(codec);
}

TEST(SingleByteCodec, ReplacementIsTheCodesetsOwnQuestionMark) {
  // EBCDIC puts '?' at 0x6F, not 0x3F.
  const NarrowCodec codec = NarrowCodec::forCodeset("IBM037");
  EXPECT_EQ(codec.encode(u"A\u20AC"), "\xC1\x6F");
  EXPECT_EQ(codec.decode("\xC1\x6F"), u"A?");
}

// Short ASCII takes shortcuts both ways where ASCII stands for itself; in EBCDIC it does not. Each
// text is checked against its characters converted one at a time, which no shortcut takes.
TEST(SingleByteCodec, ShortLettersInEbcdicAreNotTakenForAscii) {
  const NarrowCodec codec = NarrowCodec::forCodeset("IBM037");
  std::u16string text;
  std::string expected;
  for (std::size_t size = 1; size <= 70; ++size) {
    // Spaces too: EBCDIC writes them as 0x40, which is '@' in ASCII.
    const std::u16string letter(1, size % 5 == 0 ? u' ' : static_cast<char16_t>(u'A' + size % 26));
    text += letter;
    expected += codec.encode(letter);
    EXPECT_EQ(codec.encode(text), expected) << size;
    std::u16string exact(expected.size(), u'\0');
    exact.resize(codec.decodeExact(expected, exact.data()));
    EXPECT_EQ(exact, text) << size;
  }
  // Bytes that are all below 0x80 would pass for ASCII.
  const std::string spaces(20, '\x40');
  std::u16string exact(spaces.size(), u'\0');
  exact.resize(codec.decodeExact(spaces, exact.data()));
  EXPECT_EQ(exact, std::u16string(20, u' '));
}

TEST(SingleByteCodec, AsciiRejectsTheUpperHalf) {
  const NarrowCodec codec = NarrowCodec::forCodeset("ASCII");
  EXPECT_EQ(codec.decode("a\x80\xFF"), u"a\xFFFD\xFFFD");
  EXPECT_EQ(codec.encode(u"a\u00E9"), "a?");
}

class EucJpCodec : public ::testing::Test {
 protected:
  NarrowCodec codec = NarrowCodec::forCodeset("EUC-JP");
};

TEST_F(EucJpCodec, JapaneseRoundTrips) {
  const std::string encoded = "abc\xC6\xFC\xCB\xDC\xB8\xEC\x8E\xB1";
  const std::u16string text = u"abc日本語ｱ";
  EXPECT_EQ(codec.decode(encoded), text);
  EXPECT_EQ(codec.encode(text), encoded);
}

TEST_F(EucJpCodec, LongTextGrowsTheOutput) {
  std::string encoded;
  std::u16string text;
  for (int i = 0; i < 5000; ++i) {
    encoded +=
        "\xC6\xFC\xCB\xDC"
        "x";
    text += u"日本x";
  }
  EXPECT_TRUE(codec.decode(encoded) == text);
  EXPECT_TRUE(codec.encode(text) == encoded);
}

// Long text goes through iconv in windows; a character that a window's end cuts must come out whole.
TEST_F(EucJpCodec, CharactersAcrossConversionWindowsStayWhole) {
  const std::string piece =
      "\x8F\xB0\xA1"  // three bytes (JIS X 0212)
      "ab\xC6\xFC";
  for (std::size_t shift = 0; shift < 7; ++shift) {
    std::string encoded = std::string(shift, 'x');
    std::u16string expected = std::u16string(shift, u'x');
    for (int i = 0; i < 2000; ++i) {
      encoded += piece;
      expected += codec.decode(piece);
    }
    encoded += "\xC6";  // truncated at the very end
    expected += u"\xFFFD";
    EXPECT_TRUE(codec.decode(encoded) == expected) << shift;
  }
}

TEST(IconvCodec, SurrogatePairsAcrossConversionWindowsStayWhole) {
  const NarrowCodec codec = NarrowCodec::forCodeset("GB18030");
  for (std::size_t shift = 0; shift < 3; ++shift) {
    std::u16string text(shift, u'a');
    std::string expected(shift, 'a');
    for (int i = 0; i < 3000; ++i) {
      text += u"\U0001F600b";
      expected +=
          "\x94\x39\xFC\x36"
          "b";
    }
    EXPECT_TRUE(codec.encode(text) == expected) << shift;
  }
}

TEST_F(EucJpCodec, InvalidBytesBecomeOneReplacementEach) {
  EXPECT_EQ(codec.decode("a\xFF"
                         "b"),
            u"a\xFFFD"
            u"b");
  EXPECT_EQ(codec.decode("a\xC6"), u"a\xFFFD");  // truncated at the end
  EXPECT_EQ(codec.decode("\xC6"
                         "a\xC6\xFC"),
            u"\xFFFD"
            u"a日");  // a lead byte followed by ASCII
  EXPECT_EQ(codec.decode(std::string("\xC6\xFC\0\xC6\xFC", 5)), u"日");
}

TEST_F(EucJpCodec, UnrepresentableCharactersBecomeOneQuestionMark) {
  EXPECT_EQ(codec.encode(u"\u65E5\u20AC\u672C"), "\xC6\xFC?\xCB\xDC");
  EXPECT_EQ(codec.encode(u"a\U0001F600b"), "a?b");
  EXPECT_EQ(codec.encode(u"a\xD800"
                         u"b\xDC00"),
            "a?b?");
  EXPECT_EQ(codec.encode(u"a\xD800"), "a?");
  EXPECT_EQ(codec.encode(std::u16string(u"\u65E5\0\u672C", 3)), "\xC6\xFC");
}

TEST(IconvCodec, QuestionMarkRespectsTheShiftState) {
  const NarrowCodec codec = NarrowCodec::forCodeset("ISO-2022-JP");
  const std::string encoded = codec.encode(u"日\U0001F600本");
  EXPECT_EQ(encoded, "\x1B$BF|\x1B(B?\x1B$BK\\\x1B(B");
  EXPECT_EQ(codec.decode(encoded), u"日?本");
}

TEST(IconvCodec, SupplementaryCharactersRoundTripThroughGb18030) {
  const NarrowCodec codec = NarrowCodec::forCodeset("GB18030");
  EXPECT_EQ(codec.encode(u"a\U0001F600"), "a\x94\x39\xFC\x36");
  EXPECT_EQ(codec.decode("a\x94\x39\xFC\x36"), u"a\U0001F600");
  EXPECT_EQ(codec.encode(u"\xDC00"), "?");
}

// glibc's iconv drops a tag character (U+E0000..U+E007F) that the codeset lacks; the codec writes '?'
// for it whichever way the codeset is converted, and keeps it where the codeset has it.
TEST(IconvCodec, TagCharactersTheCodesetLacksBecomeQuestionMarks) {
  const std::u16string text = u"a\U000E0021b\xD800\U000E007Fc\U000E0080";
  const NarrowCodec eucJp = NarrowCodec::forCodeset("EUC-JP");
  for (const NarrowCodec& codec :
       {NarrowCodec::forCodeset("CP1252"), eucJp, eucJp.throughIconv(), NarrowCodec::forCodeset("CP1258")}) {
    EXPECT_EQ(codec.encode(text), "a?b??c?") << codec.codeset() << " " << static_cast<int>(codec.kind());
  }
  EXPECT_EQ(NarrowCodec::forCodeset("ISO-2022-JP").encode(u"日\U000E0021本"),
            "\x1B$BF|\x1B(B?\x1B$BK\\\x1B(B");
  const NarrowCodec gb18030 = NarrowCodec::forCodeset("GB18030");
  EXPECT_EQ(gb18030.decode(gb18030.encode(text)), u"a\U000E0021b?\U000E007Fc\U000E0080");
}

// Short ASCII in a codeset that iconv converts is widened straight into backend text; anything else
// in it, and ISO-2022-JP, whose escapes are ASCII bytes, still go through iconv.
TEST(IconvCodec, ShortBackendTextIsWidenedOnlyWhereItIsAscii) {
  const NarrowCodec gb18030 = NarrowCodec::forCodeset("GB18030");
  const NarrowCodec iso2022jp = NarrowCodec::forCodeset("ISO-2022-JP");
  ASSERT_EQ(gb18030.kind(), NarrowCodec::Kind::Iconv);
  ASSERT_EQ(iso2022jp.kind(), NarrowCodec::Kind::Iconv);
  for (std::size_t length = 0; length <= 27; ++length) {
    std::vector<std::string> texts = {std::string(length, 'a')};
    if (length > 0) {
      for (std::size_t at = 0; at < length; ++at) {
        texts.push_back(std::string(length, 'a'));
        texts.back()[at] = '\0';
        texts.push_back(std::string(length, 'a'));
        texts.back()[at] = '\x81';  // a lead byte, complete or not
      }
      texts.push_back(std::string(length - 1, 'a') + "\x81\x30\x81\x30");  // a four-byte character
    }
    for (const std::string& text : texts) {
      EXPECT_EQ(DecodeToText(gb18030, text).units(), gb18030.decode(text)) << length;
    }
  }
  const std::string escaped = "ab\x1B$BF|K\\\x1B(Bcd";
  EXPECT_EQ(DecodeToText(iso2022jp, escaped).units(), u"ab\u65E5\u672Ccd");
}

// Results of 16 to 32 ASCII characters are narrowed whole in a codeset that iconv converts only
// where each ASCII character encodes alone to itself: UTF-7 writes '+' as "+-", so its text still
// goes through iconv; GB18030's and ISO-2022-JP's ASCII is itself.
TEST(IconvCodec, ShortAsciiResultsAreNarrowedOnlyWhereAsciiIsItself) {
  const NarrowCodec utf7 = NarrowCodec::forCodeset("UTF-7");
  ASSERT_EQ(utf7.kind(), NarrowCodec::Kind::Iconv);
  EXPECT_EQ(utf7.encode(u"a+b+c+d+e+f+g+h+i+j+k+l"), "a+-b+-c+-d+-e+-f+-g+-h+-i+-j+-k+-l");
  for (const char* codeset : {"GB18030", "ISO-2022-JP"}) {
    const NarrowCodec codec = NarrowCodec::forCodeset(codeset);
    ASSERT_EQ(codec.kind(), NarrowCodec::Kind::Iconv);
    EXPECT_EQ(codec.encode(u"refinery/case_0042.model"), "refinery/case_0042.model") << codeset;
    EXPECT_EQ(codec.encode(u"refinery/case_0042.mo\u65E5el"),
              codec.encode(u"refinery/case_0042.mo") + codec.encode(u"\u65E5") + "el")
        << codeset;
  }
}

// Decoding into the caller's storage holds one unit per byte. TSCII makes up to four of one byte
// (a Tamil ligature is a sequence of characters): such text is decoded the other way, with the
// same result, and a short one fits the spare room.
TEST(IconvCodec, TextThatOutgrowsItsBytesIsDecodedTheOtherWay) {
  const NarrowCodec tscii = NarrowCodec::forCodeset("TSCII");
  ASSERT_EQ(tscii.kind(), NarrowCodec::Kind::Iconv);
  const std::string ligatures(100, '\x8C');
  std::vector<char16_t> storage(tscii.decodeRoom(ligatures));
  EXPECT_EQ(tscii.decodeInto(ligatures, storage.data()), NarrowCodec::kDoesNotFit);
  EXPECT_EQ(tscii.decode(ligatures).size(), 400u);
  EXPECT_EQ(DecodeToText(tscii, ligatures).units(), tscii.decode(ligatures));
  EXPECT_EQ(DecodeToText(tscii, "ab\x8C").units(), tscii.decode("ab\x8C"));
  EXPECT_EQ(DecodeToText(tscii, "ab\x8C").units().size(), 6u);
}

}  // namespace
}  // namespace tarvo::interop
