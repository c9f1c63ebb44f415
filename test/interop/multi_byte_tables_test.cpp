// The tables of the multi-byte codesets against iconv itself, which they were read from: every
// character and every broken sequence must convert exactly as the converter converts it in context.
#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "interop/narrow_codec.h"

namespace tarvo::interop {
namespace {

const char* const kCodesets[] = {"EUC-JP", "SHIFT_JIS", "CP932", "EUC-KR", "GBK", "BIG5"};

class MultiByteTables : public ::testing::TestWithParam<const char*> {
 protected:
  void SetUp() override {
    tabled_ = NarrowCodec::forCodeset(GetParam());
    ASSERT_EQ(tabled_.kind(), NarrowCodec::Kind::MultiByte);
    reference_ = tabled_.throughIconv();
  }

  void expectSameDecoding(const std::string& bytes) const {
    ASSERT_EQ(tabled_.decode(bytes), reference_.decode(bytes)) << Hex(bytes);
  }
  void expectSameEncoding(const std::u16string& text) const {
    ASSERT_EQ(tabled_.encode(text), reference_.encode(text)) << Hex(text);
  }

  template <class String>
  static std::string Hex(const String& units) {
    std::string hex;
    for (const auto unit : units) hex += std::to_string(static_cast<unsigned>(unit)) + " ";
    return hex;
  }

  NarrowCodec tabled_ = NarrowCodec::forCodeset("UTF-8");
  NarrowCodec reference_ = NarrowCodec::forCodeset("UTF-8");
};

// Followed by this much, a sequence is decoded in the vector loop; nearer the end, in the last bytes'
// loop.
const std::string kBlockOfAscii(16, 'z');

// Each lead byte with every following byte, inside text and at its end, where a sequence breaks off.
TEST_P(MultiByteTables, EveryOneAndTwoByteSequenceDecodesAsIconvDecodesIt) {
  for (unsigned lead = 1; lead < 256; ++lead) {
    const std::string first(1, static_cast<char>(lead));
    expectSameDecoding("a" + first + "z");
    expectSameDecoding("a" + first);
    if (lead < 0x80) continue;
    for (unsigned next = 1; next < 256; ++next) {
      const std::string pair = first + static_cast<char>(next);
      expectSameDecoding("a" + pair + "z");
      expectSameDecoding("a" + pair + kBlockOfAscii);
      if (HasFailure()) return;
    }
  }
}

// EUC-JP's third plane (8F) needs three bytes; the first two are also tried alone at the end of the text.
TEST_P(MultiByteTables, ThreeByteSequencesDecodeAsIconvDecodesThem) {
  for (unsigned second = 0x80; second < 256; ++second) {
    for (unsigned third = 1; third < 256; ++third) {
      const std::string triple = {static_cast<char>(0x8F), static_cast<char>(second),
                                  static_cast<char>(third)};
      expectSameDecoding(triple + "!");
      expectSameDecoding(triple + kBlockOfAscii);
      if (third == 0xA1) expectSameDecoding(triple.substr(0, 2));
      if (HasFailure()) return;
    }
  }
}

TEST_P(MultiByteTables, EveryUnitEncodesAsIconvEncodesIt) {
  for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
    expectSameEncoding(std::u16string{u'a', static_cast<char16_t>(unit), u'z'});
    if (HasFailure()) return;
  }
  // Characters beyond the BMP, lone surrogates in every position, and a pair cut by the end.
  expectSameEncoding(u"x\U0001F600y\U00020000");
  expectSameEncoding(std::u16string{u'a', 0xDC00, 0xD800, u'b', 0xD800});
}

// Random text, long enough to cross the codec's chunks, both ways, on every kernel set.
TEST_P(MultiByteTables, RandomTextConvertsAsIconvConvertsIt) {
  std::mt19937 random(20261208);
  std::vector<char16_t> characters;  // what the codeset holds, and some it does not
  for (std::uint32_t unit = 0x80; unit < 0x10000; ++unit) {
    const std::u16string one(1, static_cast<char16_t>(unit));
    if (unit % 7 == 0 || reference_.encode(one) != "?") characters.push_back(static_cast<char16_t>(unit));
  }
  for (int round = 0; round < 40; ++round) {
    const std::size_t length = round < 30 ? random() % 300 : 5000 + random() % 5000;
    std::u16string text;
    std::string bytes;
    for (std::size_t i = 0; i < length; ++i) {
      const unsigned choice = random() % 10;
      text += choice < 4   ? static_cast<char16_t>(0x20 + random() % 0x5F)
              : choice < 9 ? characters[random() % characters.size()]
                           : static_cast<char16_t>(0xD800 + random() % 0x800);
      bytes +=
          choice < 5 ? static_cast<char>(0x20 + random() % 0x5F) : static_cast<char>(0x80 + random() % 0x80);
    }
    expectSameEncoding(text);
    expectSameDecoding(bytes);
    expectSameDecoding(reference_.encode(text));
    for (const NarrowCodec::KernelSet set : NarrowCodec::availableKernelSets()) {
      ASSERT_EQ(tabled_.withKernelSet(set).decode(bytes), reference_.decode(bytes)) << round;
      ASSERT_EQ(tabled_.withKernelSet(set).encode(text), reference_.encode(text)) << round;
    }
  }
}

// Short text goes straight into backend text, whole blocks at a time where the processor can: text
// of a few characters of the codeset (and so few rows of its tables), ASCII, stray bytes from 0x80
// up and a NUL now and then, cut anywhere, on every kernel set.
TEST_P(MultiByteTables, ShortTextDecodesExactlyAsIconvDecodesIt) {
  std::mt19937 random(20261209);
  std::vector<std::string> characters;
  for (std::uint32_t unit = 0x80; unit < 0x10000; ++unit) {
    const std::string bytes = reference_.encode(std::u16string(1, static_cast<char16_t>(unit)));
    if (bytes != "?") characters.push_back(bytes);
  }
  for (int round = 0; round < 3000; ++round) {
    std::vector<std::string> few(1 + random() % 6);
    for (std::string& character : few) character = characters[random() % characters.size()];
    std::string bytes;
    while (bytes.size() < 36) {
      const unsigned choice = random() % 20;
      bytes += choice < 8    ? std::string(1, static_cast<char>(0x20 + random() % 0x5F))
               : choice < 18 ? few[random() % few.size()]
               : choice < 19 ? std::string(1, static_cast<char>(0x80 + random() % 0x80))
                             : std::string(1, '\0');
    }
    for (std::size_t length = 1; length <= 32; length += 1 + random() % 3) {
      const std::string cut = bytes.substr(0, length);
      const std::u16string expected = reference_.decode(cut.substr(0, cut.find('\0')));
      for (const NarrowCodec::KernelSet set : NarrowCodec::availableKernelSets()) {
        const auto storage = std::make_unique<char16_t[]>(length);
        const std::size_t written = tabled_.withKernelSet(set).decodeExact(cut, storage.get());
        ASSERT_EQ(std::u16string(storage.get(), written), expected) << round << ": " << Hex(cut);
      }
    }
  }
}

// Short text is encoded in one block where the processor can: text of a few characters of the
// codeset, or of many (more than a few in sixteen units are gathered), with ASCII, characters that
// the codeset lacks, lone surrogates, pairs and a U+0000 now and then, of every length up to and past
// the block's 32 units, on every kernel set.
TEST_P(MultiByteTables, ShortTextEncodesAsIconvEncodesIt) {
  std::mt19937 random(20261210);
  std::vector<char16_t> held, lacked;
  for (std::uint32_t unit = 0x80; unit < 0xD800; ++unit) {
    const std::u16string one(1, static_cast<char16_t>(unit));
    (reference_.encode(one) != "?" ? held : lacked).push_back(static_cast<char16_t>(unit));
  }
  for (int round = 0; round < 2000; ++round) {
    std::vector<char16_t> few(1 + random() % 6);
    for (char16_t& character : few) character = held[random() % held.size()];
    const unsigned asciiShare = random() % 10;  // in tenths
    std::u16string text;
    while (text.size() < 34) {
      const unsigned choice = random() % 100;
      text += choice < 10 * asciiShare ? static_cast<char16_t>(0x20 + random() % 0x5F)
              : choice < 97            ? few[random() % few.size()]
              : choice < 98            ? lacked[random() % lacked.size()]
              : choice < 99            ? static_cast<char16_t>(0xD800 + random() % 0x800)
                                       : u'\0';
    }
    for (std::size_t length = 1; length <= 34; ++length) {
      const std::u16string cut = text.substr(0, length);
      const std::string expected = reference_.encode(cut);
      for (const NarrowCodec::KernelSet set : NarrowCodec::availableKernelSets()) {
        ASSERT_EQ(tabled_.withKernelSet(set).encode(cut), expected) << round << ": " << Hex(cut);
      }
    }
  }
}

// Short text is encoded onto the stack, each sequence stored as four bytes: text of nothing but the
// codeset's longest sequences, up to the longest text that goes that way, must fit.
TEST_P(MultiByteTables, ShortTextOfTheLongestSequencesEncodesAsIconvEncodesIt) {
  std::u16string longest;
  std::size_t longestBytes = 0;
  for (std::uint32_t unit = 0x80; unit < 0x10000 && longestBytes < 3; ++unit) {
    const std::u16string one(1, static_cast<char16_t>(unit));
    const std::string bytes = reference_.encode(one);
    if (bytes != "?" && bytes.size() > longestBytes) {
      longest = one;
      longestBytes = bytes.size();
    }
  }
  for (std::size_t count = 1; count <= 40; ++count) {
    std::u16string text;
    for (std::size_t i = 0; i < count; ++i) text += longest;
    expectSameEncoding(text);
  }
}

// ASCII runs of every length around the point where the vector kernels take over, between
// characters of the codeset, on every kernel set.
TEST_P(MultiByteTables, LongAsciiRunsBetweenCharacters) {
  const std::u16string character =
      reference_.decode(reference_.encode(u"\u4E00")) == u"\u4E00" ? u"\u4E00" : u"?";
  for (std::size_t run = 60; run <= 100; ++run) {
    const std::u16string ascii(run, u'k');
    const std::u16string text = ascii + character + ascii + u"\u00E9" + ascii + ascii + character;
    const std::string bytes = reference_.encode(text);
    for (const NarrowCodec::KernelSet set : NarrowCodec::availableKernelSets()) {
      ASSERT_EQ(tabled_.withKernelSet(set).decode(bytes), reference_.decode(bytes)) << run;
      ASSERT_EQ(tabled_.withKernelSet(set).encode(text), bytes) << run;
    }
  }
}

// Up to five characters among ASCII, at every offset across two blocks of 16 units and at every
// spacing up to three, on every kernel set. All but one are characters of the codeset; that one is
// another of them, a character the codeset lacks, a surrogate pair or a lone surrogate.
TEST_P(MultiByteTables, AFewCharactersAmongAsciiAtEveryOffset) {
  const std::u16string held = reference_.encode(u"\u4E00") == "?" ? u"\u00E9" : u"\u4E00";
  std::u16string lacked;
  for (const char16_t unit : {u'\u0E01', u'\u10D0', u'\u13A0'}) {
    if (reference_.encode(std::u16string(1, unit)) == "?") lacked = std::u16string(1, unit);
  }
  ASSERT_FALSE(lacked.empty());
  for (const std::u16string& odd : {held, lacked, std::u16string(u"\U0001F600"), std::u16string(1, 0xDC00)}) {
    for (std::size_t count = 1; count <= 5; ++count) {
      for (std::size_t spacing = 1; spacing <= 3; ++spacing) {
        for (std::size_t offset = 0; offset < 32; ++offset) {
          std::u16string text(offset, u'k');
          for (std::size_t i = 0; i < count; ++i) {
            text += i == count / 2 ? odd : held;
            text += std::u16string(spacing - 1, u'k');
          }
          text += std::u16string(40, u'k');
          const std::string bytes = reference_.encode(text);
          for (const NarrowCodec::KernelSet set : NarrowCodec::availableKernelSets()) {
            ASSERT_EQ(tabled_.withKernelSet(set).encode(text), bytes) << Hex(text);
          }
        }
      }
    }
  }
}

// Long text where few characters are outside ASCII, as in a Latin script with accents, at rates on
// both sides of one in four, both ways on every kernel set. Now and then one is a character the
// codeset lacks, a surrogate pair or a lone surrogate, and now and then a run of ASCII goes on for
// hundreds of units.
TEST_P(MultiByteTables, LongTextWithFewOtherCharacters) {
  std::mt19937 random(20261209);
  std::vector<char16_t> held;
  for (std::uint32_t unit = 0x80; unit < 0x10000; unit += 7) {
    const std::u16string one(1, static_cast<char16_t>(unit));
    if (reference_.encode(one) != "?") held.push_back(one[0]);  // a lone surrogate is "?" too
  }
  ASSERT_FALSE(held.empty());
  for (const unsigned perMille : {3u, 30u, 80u, 80u, 150u, 240u, 260u, 400u}) {
    for (const unsigned oddPerMille : {0u, 2u}) {
      std::u16string text;
      const std::size_t length = 600 + random() % 9000;
      while (text.size() < length) {
        const unsigned roll = random() % 1000;
        if (roll < oddPerMille) {
          const char16_t odd[][2] = {{u'\u0E01', 0}, {0xD83D, 0xDE00}, {0xDC00, 0}};
          const auto& chosen = odd[random() % 3];
          text += chosen[0];
          if (chosen[1] != 0) text += chosen[1];
        } else if (roll < perMille) {
          text += held[random() % held.size()];
        } else if (roll < perMille + 2) {
          text += std::u16string(32 + random() % 400, u'x');
        } else {
          text += static_cast<char16_t>(0x20 + random() % 0x5F);
        }
      }
      const std::string bytes = reference_.encode(text);
      // The same bytes with some broken: a byte from 0x80 up put anywhere, which may cut a sequence,
      // begin one that takes the next ASCII byte, or stand alone.
      std::string broken = bytes;
      for (std::size_t i = 0; i < broken.size() / 200; ++i) {
        broken[random() % broken.size()] = static_cast<char>(0x80 + random() % 0x80);
      }
      for (const NarrowCodec::KernelSet set : NarrowCodec::availableKernelSets()) {
        const NarrowCodec codec = tabled_.withKernelSet(set);
        ASSERT_EQ(codec.encode(text), bytes) << perMille << " " << Hex(text);
        ASSERT_EQ(codec.decode(bytes), reference_.decode(bytes)) << perMille << " " << Hex(bytes);
        ASSERT_EQ(codec.decode(broken), reference_.decode(broken)) << perMille << " " << Hex(broken);
      }
    }
  }
}

std::string TestName(const ::testing::TestParamInfo<const char*>& info) {
  std::string name = info.param;
  for (char& c : name) {
    if (c == '-') c = '_';
  }
  return name;
}

INSTANTIATE_TEST_SUITE_P(Codesets, MultiByteTables, ::testing::ValuesIn(kCodesets), TestName);

}  // namespace
}  // namespace tarvo::interop
