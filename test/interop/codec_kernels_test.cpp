// Every kernel set the processor runs against the portable one, on the same inputs: the vector
// kernels must give identical results wherever a block, a chunk or a sequence begins and ends.
#include <gtest/gtest.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "interop/codec_kernels.h"
#include "interop/narrow_codec.h"

namespace tarvo::interop {
namespace {

using KernelSet = NarrowCodec::KernelSet;

std::string SetName(KernelSet set) {
  return set == KernelSet::Portable ? "portable"
         : set == KernelSet::Sse2   ? "SSE2"
         : set == KernelSet::Avx2   ? "AVX2"
                                    : "AVX-512";
}

std::string Bytes(std::initializer_list<int> values) {
  std::string result;
  for (int value : values) result.push_back(static_cast<char>(value));
  return result;
}

// Covers every text that the one-character-at-a-time paths take, and the first sizes past them.
constexpr std::size_t kExactSizes = 40;

// Checks every input through every kernel set against the portable result, both directions.
class SameOnEveryKernelSet {
 public:
  explicit SameOnEveryKernelSet(const char* codeset) {
    const NarrowCodec codec = NarrowCodec::forCodeset(codeset);
    for (KernelSet set : NarrowCodec::availableKernelSets()) codecs_.push_back(codec.withKernelSet(set));
  }

  // Also decoding straight into the caller's storage, cut at the NUL and as it comes, which must
  // write the same units and stay within the room it asked for (AddressSanitizer sees the buffer's
  // end). The storage starts at every offset from a 32-byte boundary in turn, since the vector
  // kernels align their stores.
  void decode(const std::string& bytes, const std::string& what) const {
    const std::u16string expected = codecs_.front().decode(bytes);
    const std::string_view withoutNul = std::string_view(bytes).substr(0, bytes.find('\0'));
    for (std::size_t i = 0; i < codecs_.size(); ++i) {
      if (i != 0) {
        ASSERT_TRUE(codecs_[i].decode(bytes) == expected) << SetName(codecs_[i].kernelSet()) << ": " << what;
      }
      for (const bool cut : {true, false}) {
        const std::size_t room = codecs_[i].decodeRoom(cut ? withoutNul : bytes);
        if (room == 0) continue;
        const std::size_t offset = bytes.size() % 16;
        const auto storage = std::make_unique<char16_t[]>(offset + room);
        char16_t* const out = storage.get() + offset;
        const std::size_t length =
            cut ? codecs_[i].decodeInto(withoutNul, out) : codecs_[i].decodeUntilNulInto(bytes, out);
        if (length == NarrowCodec::kDoesNotFit) continue;  // decode() is the way for such text
        ASSERT_TRUE(std::u16string_view(out, length) == expected)
            << SetName(codecs_[i].kernelSet()) << " into storage" << (cut ? "" : " up to the NUL") << ": "
            << what;
      }
    }
    // Short text goes one character at a time into storage of exactly its size, NUL and all.
    if (bytes.size() <= kExactSizes && codecs_.front().decodesExactly()) {
      for (const NarrowCodec& codec : codecs_) {
        const auto exact = std::make_unique<char16_t[]>(bytes.size());
        const std::size_t length = codec.decodeExact(bytes, exact.get());
        ASSERT_TRUE(std::u16string_view(exact.get(), length) == expected)
            << SetName(codec.kernelSet()) << " exactly: " << what;
      }
    }
  }

  void encode(const std::u16string& text, const std::string& what) const {
    const std::string expected = codecs_.front().encode(text);
    // Short text is encoded one character at a time on every kernel set; the kernels give the
    // reference for it once the text is long enough to reach them.
    if (text.size() <= kExactSizes) {
      const std::u16string_view cut = std::u16string_view(text).substr(0, text.find(u'\0'));
      const std::u16string padding(kExactSizes, u'!');
      const std::string padded = codecs_.front().encode(std::u16string(cut) + padding);
      const std::string encodedPadding = codecs_.front().encode(padding);
      ASSERT_TRUE(padded.size() >= encodedPadding.size() &&
                  padded.compare(padded.size() - encodedPadding.size(), std::string::npos, encodedPadding) ==
                      0);
      ASSERT_TRUE(expected == padded.substr(0, padded.size() - encodedPadding.size()))
          << "short text: " << what;
    }
    for (std::size_t i = 1; i < codecs_.size(); ++i) {
      ASSERT_TRUE(codecs_[i].encode(text) == expected) << SetName(codecs_[i].kernelSet()) << ": " << what;
    }
  }

  const NarrowCodec& portable() const { return codecs_.front(); }

 private:
  std::vector<NarrowCodec> codecs_;
};

TEST(KernelSets, PortableComesFirstAndCodecsUseTheBest) {
  const std::vector<KernelSet> sets = NarrowCodec::availableKernelSets();
  ASSERT_FALSE(sets.empty());
  EXPECT_EQ(sets.front(), KernelSet::Portable);
#if defined(__x86_64__)
  EXPECT_NE(std::find(sets.begin(), sets.end(), KernelSet::Sse2), sets.end());
#endif
  EXPECT_EQ(NarrowCodec::forCodeset("UTF-8").kernelSet(), sets.back());
  EXPECT_EQ(NarrowCodec::process().kernelSet(), sets.back());
}

// A mix of one- to four-byte characters, so that cutting it anywhere also cuts sequences.
const std::string kMixedUtf8 =
    "Abc \xC3\xA9t\xC3\xA9 \xD0\x9F\xD1\x80\xD0\xB8\xD0\xB2\xD0\xB5\xD1\x82 \xE6\x97\xA5\xE6\x9C\xAC "
    "\xF0\x9F\x98\x80!";

TEST(KernelSets, Utf8DecodeOfEveryLength) {
  const SameOnEveryKernelSet check("UTF-8");
  std::string text;
  while (text.size() < 320) text += kMixedUtf8;
  for (std::size_t length = 0; length <= 300; ++length) {
    check.decode(text.substr(0, length), "length " + std::to_string(length));
    check.decode(text.substr(length % 7, length), "offset length " + std::to_string(length));
  }
}

TEST(KernelSets, Utf8DecodeOfInvalidSequencesAtEveryPositionOfABlock) {
  const SameOnEveryKernelSet check("UTF-8");
  const std::vector<std::string> invalid = {
      Bytes({0x80}),       Bytes({0xBF, 0x80}),       Bytes({0xC0, 0xAF}), Bytes({0xC1}),
      Bytes({0xC2}),       Bytes({0xC3, 0xC3, 0xA9}), Bytes({0xDF}),       Bytes({0xE2, 0x82}),
      Bytes({0xE0, 0x80}), Bytes({0xED, 0xA0, 0x80}), Bytes({0xF0, 0x9F}), Bytes({0xF4, 0x90, 0x80, 0x80}),
      Bytes({0xF5}),       Bytes({0xFF, 0xFE})};
  // Backgrounds of ASCII, of ASCII with two-byte letters and of both with longer characters, each
  // long enough for two blocks of the widest kernels (64 bytes).
  std::string twoByte, mixed;
  while (twoByte.size() < 150) twoByte += "ab\xD0\x96";
  while (mixed.size() < 150) mixed += "ab\xD0\x96\xE6\x97\xA5z";
  const std::vector<std::string> backgrounds = {std::string(150, 'a'), twoByte, mixed};
  for (std::size_t b = 0; b < backgrounds.size(); ++b) {
    const std::string& background = backgrounds[b];
    for (const std::string& bad : invalid) {
      for (std::size_t at = 0; at <= 135; ++at) {
        std::string input = background;
        input.insert(at, bad);
        check.decode(input, "background " + std::to_string(b) + ", bad sequence at " + std::to_string(at));
        input.resize(at + bad.size());  // the bad sequence ends the text
        check.decode(input, "cut after the bad sequence at " + std::to_string(at));
      }
    }
  }
}

TEST(KernelSets, Utf8DecodeOfEveryBytePairAtABlockEdge) {
  const SameOnEveryKernelSet check("UTF-8");
  for (const std::size_t edge : {16, 64}) {
    // Two-byte letters up to the byte before the edge, so that the widest kernels are in their
    // two-byte loop when they reach it.
    std::string before;
    while (before.size() + 2 < edge) before += "\xD0\x96";
    before.resize(edge - 1, 'q');
    for (int first = 0x80; first <= 0xFF; ++first) {
      for (int second = 1; second <= 0xFF; ++second) {
        // The pair straddles the edge, followed by a two-byte letter.
        const std::string input = before + Bytes({first, second}) + "\xD0\x96" + std::string(edge, 'r');
        check.decode(input, "pair " + std::to_string(first) + "," + std::to_string(second) + " at " +
                                std::to_string(edge));
      }
    }
  }
}

TEST(KernelSets, Utf8DecodeOfRandomBytes) {
  const SameOnEveryKernelSet check("UTF-8");
  std::mt19937 random(20240601);
  // Weighted toward bytes that begin, continue or break sequences.
  const std::string alphabet = Bytes({'a',  'b',  ' ',  0x80, 0x8F, 0x9F, 0xA0, 0xBF, 0xC2, 0xC3, 0xD0,
                                      0xDF, 0xE0, 0xE2, 0xED, 0xEF, 0xF0, 0xF4, 0xF5, 0xC0, 0xFF});
  for (int round = 0; round < 3000; ++round) {
    std::string input(random() % 120, ' ');
    for (char& byte : input) byte = alphabet[random() % alphabet.size()];
    check.decode(input, "random round " + std::to_string(round));
  }
}

// Chunks of the codec are cut at sequence boundaries: shifting a long text by a few bytes moves every
// cut, and must change nothing but the shift.
TEST(KernelSets, LongTextIsCutIntoChunksWithoutChangingIt) {
  std::string text;
  for (int i = 0; text.size() < 20000; ++i) {
    text += i % 3 == 0   ? kMixedUtf8
            : i % 3 == 1 ? std::string(7, '\x80')
                         : std::string("\xE2\x82\xF0\x9F\x98");
  }
  for (KernelSet set : NarrowCodec::availableKernelSets()) {
    const NarrowCodec codec = NarrowCodec::forCodeset("UTF-8").withKernelSet(set);
    const std::u16string expected = codec.decode(text);
    for (std::size_t shift = 1; shift <= 5; ++shift) {
      const std::u16string shifted = codec.decode(std::string(shift, '-') + text);
      ASSERT_TRUE(shifted == std::u16string(shift, u'-') + expected) << SetName(set) << " shift " << shift;
    }
    const std::u16string wide = codec.decode(text);
    EXPECT_TRUE(codec.decode(codec.encode(wide)) == wide) << SetName(set);
  }
}

TEST(KernelSets, EncodingStopsAtANulAnywhere) {
  for (const char* codeset : {"UTF-8", "CP1252", "EUC-JP", "GB18030"}) {
    const SameOnEveryKernelSet check(codeset);
    for (std::size_t length = 1; length <= 90; ++length) {
      for (std::size_t nul = 0; nul < length; ++nul) {
        std::u16string text(length, u'n');
        text[nul] = u'\0';
        ASSERT_EQ(check.portable().encode(text), std::string(nul, 'n')) << codeset << " " << nul;
        check.encode(
            text, std::string(codeset) + " NUL at " + std::to_string(nul) + " of " + std::to_string(length));
      }
    }
  }
}

// Leading ASCII is widened or narrowed in a pass of its own, which must hand over at the first other
// character wherever it stands, also past the runs that multi-byte codesets copy inline (64): one
// that narrows to a byte with the top bit set (U+0080, U+00E9), one that would saturate to FF
// (U+0100 and up), and one of several bytes in EUC-JP and GB18030 (which iconv converts).
constexpr std::size_t kPastInlineRuns = 150;

TEST(KernelSets, DecodingHandsOverAtTheFirstCharacterOutsideAscii) {
  for (const char* codeset : {"UTF-8", "EUC-JP", "GB18030"}) {
    const SameOnEveryKernelSet check(codeset);
    // é, 一, and a byte just past ASCII that begins nothing.
    for (const std::string& other :
         {check.portable().encode(u"\u00E9"), check.portable().encode(u"\u4E00"), std::string("\x80")}) {
      const std::u16string decodedOther = check.portable().decode(other);
      for (std::size_t length = 1; length <= kPastInlineRuns; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
          const std::string bytes = std::string(at, 'a') + other + std::string(length - at - 1, 'a');
          const std::u16string expected =
              std::u16string(at, u'a') + decodedOther + std::u16string(length - at - 1, u'a');
          const std::string what = std::string(codeset) + " byte " +
                                   std::to_string(static_cast<unsigned char>(other[0])) + " at " +
                                   std::to_string(at) + " of " + std::to_string(length);
          ASSERT_TRUE(check.portable().decode(bytes) == expected) << what;
          check.decode(bytes, what);
        }
      }
    }
  }
}

TEST(KernelSets, EncodingHandsOverAtTheFirstCharacterOutsideAscii) {
  for (const char* codeset : {"UTF-8", "CP1252", "EUC-JP", "GB18030"}) {
    const SameOnEveryKernelSet check(codeset);
    for (const char16_t other : {u'\u0080', u'\u00E9', u'\u0100', u'\u4E00', u'\uFFFF'}) {
      const std::string encodedOther = check.portable().encode(std::u16string(1, other));
      for (std::size_t length = 1; length <= kPastInlineRuns; ++length) {
        for (std::size_t at = 0; at < length; ++at) {
          std::u16string text(length, u'a');
          text[at] = other;
          const std::string expected =
              std::string(at, 'a') + encodedOther + std::string(length - at - 1, 'a');
          const std::string what = std::string(codeset) + " unit " + std::to_string(other) + " at " +
                                   std::to_string(at) + " of " + std::to_string(length);
          ASSERT_EQ(check.portable().encode(text), expected) << what;
          check.encode(text, what);
        }
      }
    }
  }
}

TEST(KernelSets, DecodingStopsAtANulAnywhere) {
  // Each codeset with a letter outside ASCII, for text made of nothing else.
  for (const auto& [codeset, letter] : {std::pair<const char*, std::string>{"UTF-8", "\xD0\x96"},
                                        {"CP1252", "\xE9"},
                                        {"EUC-JP", "\xA4\xA2"}}) {
    const SameOnEveryKernelSet check(codeset);
    std::string letters;
    // Past two blocks of the widest kernels, and the 128 bytes from which they align their stores.
    while (letters.size() < 140) letters += letter;
    for (std::size_t length = 1; length <= 140; ++length) {
      for (std::size_t nul = 0; nul < length; ++nul) {
        std::string bytes(length, 'n');
        bytes[nul] = '\0';
        const std::string what =
            std::string(codeset) + " NUL at " + std::to_string(nul) + " of " + std::to_string(length);
        ASSERT_TRUE(check.portable().decode(bytes) == std::u16string(nul, u'n')) << what;
        check.decode(bytes, what);
        // A sequence that the NUL cuts short.
        if (nul > 0) bytes[nul - 1] = '\xC3';
        check.decode(bytes, what + " after a lead byte");
        std::string nonAscii = letters.substr(0, length);
        nonAscii[nul] = '\0';
        ASSERT_TRUE(check.portable().decode(nonAscii) == check.portable().decode(nonAscii.substr(0, nul)))
            << what << " among letters outside ASCII";
        check.decode(nonAscii, what + " among letters outside ASCII");
      }
    }
  }
}

// Short text goes straight into backend text, four two-byte characters at a time where it can: a
// fault in any byte of such a run, with text after it or without, must decode as it does anywhere.
TEST(KernelSets, ShortTwoByteTextWithAFaultInAnyByte) {
  const SameOnEveryKernelSet check("UTF-8");
  std::string cyrillic;
  for (int i = 0; i < 20; ++i) cyrillic += i % 2 == 0 ? "\xD0\x96" : "\xD1\x8F";
  for (const std::string& text : {cyrillic, "a" + cyrillic.substr(0, 38)}) {
    for (std::size_t at = 0; at < text.size(); ++at) {
      for (const int bad : {0x00, 0x41, 0x7F, 0x80, 0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xF4, 0xFF}) {
        std::string input = text;
        input[at] = static_cast<char>(bad);
        const std::string what = "byte " + std::to_string(bad) + " at " + std::to_string(at);
        check.decode(input, what);
        check.decode(input.substr(0, at + 1), what + ", ending the text");
      }
    }
  }
}

// Memory between two unreadable pages, so that a step past either end of what is placed against
// them faults, whichever instruction takes it: AddressSanitizer does not see the masked loads and
// stores of the vector kernels.
class GuardedPage {
 public:
  GuardedPage() : size_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    void* const map = mmap(nullptr, 3 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) throw std::runtime_error("mmap failed");
    base_ = static_cast<char*>(map);
    if (mprotect(base_, size_, PROT_NONE) != 0 || mprotect(base_ + 2 * size_, size_, PROT_NONE) != 0) {
      munmap(base_, 3 * size_);
      throw std::runtime_error("mprotect failed");
    }
  }
  ~GuardedPage() { munmap(base_, 3 * size_); }
  GuardedPage(const GuardedPage&) = delete;
  GuardedPage& operator=(const GuardedPage&) = delete;

  // `bytes` copied to the page's start or against its end.
  std::string_view place(std::string_view bytes, bool atEnd) const {
    char* const at = atEnd ? base_ + 2 * size_ - bytes.size() : base_ + size_;
    std::copy(bytes.begin(), bytes.end(), at);
    return {at, bytes.size()};
  }
  // `units` copied against the page's end.
  std::u16string_view placeAtEnd(std::u16string_view units) const {
    char16_t* const at = reinterpret_cast<char16_t*>(base_ + 2 * size_) - units.size();
    std::copy(units.begin(), units.end(), at);
    return {at, units.size()};
  }
  // Room for `units` at the page's start or against its end.
  char16_t* room(std::size_t units, bool atEnd) const {
    return atEnd ? reinterpret_cast<char16_t*>(base_ + 2 * size_) - units
                 : reinterpret_cast<char16_t*>(base_ + size_);
  }

 private:
  std::size_t size_;
  char* base_ = nullptr;
};

// Short text is read and written only within its own bytes and its own storage, on every kernel
// set: the bytes sit at the start of a guarded page and then against its end, and the units are
// written into room of one unit per byte at the start of another and then against its end.
TEST(KernelSets, ShortTextStaysWithinItsBytesAndItsStorage) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {"UTF-8", {"plain ascii text", "\xC3\xA9tude en cours ", "\xD0\x96\xD0\xB8\xD1\x82 "}},
      {"CP1252", {"plain ascii text", "\xE9t\xE9 en cours "}},
      {"CP1251", {"\xE6\xE8\xF2\xFC "}},
      {"EUC-JP", {"plain ascii text", "\xA4\xA2\xA4\xA4 abc ", "\xA7\xA2\xA7\xD6\xA7\xE1 "}}};
  const GuardedPage input, output;
  for (const auto& [codeset, patterns] : cases) {
    for (const KernelSet set : NarrowCodec::availableKernelSets()) {
      const NarrowCodec codec = NarrowCodec::forCodeset(codeset).withKernelSet(set);
      for (const std::string& pattern : patterns) {
        std::string text;
        while (text.size() < kExactSizes) text += pattern;
        for (std::size_t length = 1; length <= kExactSizes; ++length) {
          const std::u16string expected = codec.decode(text.substr(0, length));
          for (const bool atEnd : {false, true}) {
            const std::string_view bytes = input.place(std::string_view(text).substr(0, length), atEnd);
            char16_t* const units = output.room(length, atEnd);
            const std::size_t written = codec.decodeExact(bytes, units);
            ASSERT_TRUE(std::u16string_view(units, written) == expected)
                << codeset << ", " << SetName(set) << ", " << length << " bytes of \"" << pattern << "\"";
          }
        }
      }
    }
  }
}

// Text that ends against an unreadable page converts as it does elsewhere, both ways, at every
// length that the short blocks and the last blocks of the long loops take: the vector kernels leave
// such text to loops that read nothing past it, since a masked access that reaches a page that is not
// there stalls on it.
TEST(KernelSets, TextAgainstAnUnreadablePageConvertsAsElsewhere) {
  const GuardedPage memory;
  for (const char* codeset : {"UTF-8", "CP1252", "EUC-JP"}) {
    for (const KernelSet set : NarrowCodec::availableKernelSets()) {
      const NarrowCodec codec = NarrowCodec::forCodeset(codeset).withKernelSet(set);
      for (const std::u16string_view pattern : {u"plain ascii text ", u"\u00E9t\u00E9 en cours "}) {
        std::u16string text;
        while (text.size() < 160) text += pattern;
        for (std::size_t length = 1; length <= 160; ++length) {
          const std::u16string units = text.substr(0, length);
          const std::string expected = codec.encode(units);
          const std::string what = std::string(codeset) + ", " + SetName(set) + ", " + std::to_string(length);
          ASSERT_EQ(codec.encode(memory.placeAtEnd(units)), expected) << what;
          ASSERT_TRUE(codec.decode(memory.place(expected, true)) == units) << what;
        }
      }
    }
  }
  // The ASCII kernels themselves, whose callers would hide a wrong count by converting the rest
  // another way: with the text and the room for its result both against unreadable pages.
  const GuardedPage output;
  const std::string ascii(160, 'a');
  const std::u16string asciiUnits(160, u'a');
  for (const CodecKernels* kernels : {&PortableKernels(), Sse2Kernels(), Avx2Kernels(), Avx512Kernels()}) {
    if (kernels == nullptr) continue;
    for (std::size_t length = 1; length <= 160; ++length) {
      const std::string what = SetName(kernels->set) + ", " + std::to_string(length);
      // The last `length` bytes of the page: room for `length` units ends there too.
      char* const bytes = reinterpret_cast<char*>(output.room(length, true)) + length;
      ASSERT_EQ(
          kernels->narrowAscii(memory.placeAtEnd(std::u16string_view(asciiUnits).substr(0, length)).data(),
                               length, bytes),
          length)
          << what;
      ASSERT_EQ(std::string_view(bytes, length), std::string_view(ascii).substr(0, length)) << what;
      char16_t* const units = output.room(length, true);
      ASSERT_EQ(kernels->widenAscii(memory.place(std::string_view(ascii).substr(0, length), true).data(),
                                    length, units),
                length)
          << what;
      ASSERT_TRUE(std::u16string_view(units, length) == std::u16string_view(asciiUnits).substr(0, length))
          << what;
    }
  }
}

// Long text is measured (and cut at its first NUL) in one pass before it is converted in chunks.
// Runs of plain ASCII are measured a block at a time, so the text is also led by a long one; the
// multi-byte tables and iconv find the NUL behind leading ASCII in a pass of their own.
TEST(KernelSets, LongTextEndsAtItsFirstNul) {
  std::u16string mixed;
  while (mixed.size() < 140000) mixed += u"abc \u00E9\u041F \u65E5 \U0001F600 \xD800 ";
  for (const char* codeset : {"UTF-8", "EUC-JP", "GB18030"}) {
    for (const std::u16string& text : {mixed, std::u16string(100000, u'a') + mixed.substr(0, 40000)}) {
      for (KernelSet set : NarrowCodec::availableKernelSets()) {
        const NarrowCodec codec = NarrowCodec::forCodeset(codeset).withKernelSet(set);
        const std::string whole = codec.encode(text);
        for (const std::size_t nul :
             {std::size_t{4095}, std::size_t{4097}, std::size_t{70001}, std::size_t{139999}}) {
          std::u16string cut = text;
          cut[nul] = u'\0';
          const std::string encoded = codec.encode(cut);
          ASSERT_EQ(encoded, codec.encode(std::u16string_view(text).substr(0, nul)))
              << codeset << " " << SetName(set) << " " << nul;
          EXPECT_EQ(whole.compare(0, encoded.size(), encoded), 0) << SetName(set) << " " << nul;
          std::string narrow = whole;
          narrow[encoded.size()] = '\0';
          EXPECT_TRUE(codec.decode(narrow) == codec.decode(encoded)) << SetName(set) << " " << nul;
          std::vector<char16_t> storage(codec.decodeRoom(narrow));
          const std::size_t length = storage.empty() ? 0 : codec.decodeUntilNulInto(narrow, storage.data());
          EXPECT_TRUE(storage.empty() || std::u16string_view(storage.data(), length) == codec.decode(encoded))
              << SetName(set) << " into storage, " << nul;
        }
      }
    }
  }
}

const std::u16string kMixedUtf16 =
    u"Abc \u00E9t\u00E9 \u041F\u0440\u0438 \u65E5\u672C \U0001F600 \u07FF\u0800!";

TEST(KernelSets, Utf8EncodeOfEveryLengthAndLoneSurrogates) {
  const SameOnEveryKernelSet check("UTF-8");
  std::u16string text;
  while (text.size() < 320) text += kMixedUtf16;
  for (std::size_t length = 0; length <= 300; ++length) {
    check.encode(text.substr(0, length), "length " + std::to_string(length));  // may cut a pair
  }
  for (const char16_t surrogate : {u'\xD800', u'\xDBFF', u'\xDC00', u'\xDFFF'}) {
    for (const std::u16string& background : {std::u16string(48, u'a'), std::u16string(48, u'\u00E9')}) {
      for (std::size_t at = 0; at <= 40; ++at) {
        std::u16string input = background;
        input.insert(at, 1, surrogate);
        check.encode(input, "surrogate at " + std::to_string(at));
      }
    }
  }
}

// Each kind of unit at every position of two 32-unit blocks of the widest kernels, among ASCII and
// among letters of two bytes: the block that holds it must take the path that fits the unit.
TEST(KernelSets, Utf8EncodeOfEveryKindOfUnitAtEveryPositionOfABlock) {
  const SameOnEveryKernelSet check("UTF-8");
  const std::vector<std::u16string> units = {u"\u007F", u"\u0080", u"\u07FF",     u"\u0800", u"\u0FFF",
                                             u"\uFFFF", u"\xD800", u"\U0001F600", u"\xDFFF"};
  for (const char16_t letter : {u'a', u'\u00E9', u'\u041F'}) {
    const std::u16string background(80, letter);
    for (const std::u16string& unit : units) {
      for (std::size_t at = 0; at <= 72; ++at) {
        std::u16string input = background;
        input.replace(at, unit.size(), unit);
        check.encode(input, "unit " + std::to_string(unit[0]) + " at " + std::to_string(at));
      }
    }
  }
}

TEST(KernelSets, Utf8EncodeOfRandomUnitsAndPairsAcrossChunks) {
  const SameOnEveryKernelSet check("UTF-8");
  std::mt19937 random(7);
  const std::u16string alphabet = u"az \u007F\u0080\u00E9\u07FF\u0800\u041F\uFFFF\xD83D\xDE00\xD800\xDFFF";
  for (int round = 0; round < 3000; ++round) {
    std::u16string input(random() % 100, u' ');
    for (char16_t& unit : input) unit = alphabet[random() % alphabet.size()];
    check.encode(input, "random round " + std::to_string(round));
  }
  // A pair on the edge between two chunks of the codec stays one character.
  for (std::size_t at = 4090; at <= 4100; ++at) {
    std::u16string input(9000, u'x');
    input.replace(at, 2, u"\U0001F600");
    const std::string expected = std::string(at, 'x') + "\xF0\x9F\x98\x80" + std::string(9000 - at - 2, 'x');
    EXPECT_EQ(check.portable().encode(input), expected) << at;
    check.encode(input, "pair at " + std::to_string(at));
  }
}

TEST(KernelSets, SingleByteCodesetsBothWays) {
  std::mt19937 random(99);
  for (const char* codeset : {"CP1252", "ISO-8859-1", "KOI8-R", "IBM037"}) {
    SCOPED_TRACE(codeset);
    const SameOnEveryKernelSet check(codeset);
    std::string allBytes;
    for (int b = 1; b < 256; ++b) allBytes.push_back(static_cast<char>(b));
    for (std::size_t length = 0; length <= 300; ++length) {
      std::string input(length, ' ');
      for (char& byte : input) byte = allBytes[random() % (random() % 2 ? 127 : allBytes.size())];
      check.decode(input, "bytes of length " + std::to_string(length));
      check.encode(check.portable().decode(input), "its text");
      // Mostly ASCII, which the vector kernels take whole blocks and half blocks of at a time.
      std::string ascii(length, 'q');
      if (length > 0 && length % 3 != 0) ascii[random() % length] = allBytes[random() % allBytes.size()];
      check.decode(ascii, "ASCII of length " + std::to_string(length));
      check.encode(check.portable().decode(ascii), "its text");
      // Latin text: ASCII and letters from A0..FF, which ISO-8859-1 and CP1252 widen and narrow whole,
      // and in every other length now and then a byte from 80..9F, which CP1252 moves elsewhere.
      std::string latin(length, 'e');
      for (char& byte : latin) {
        const unsigned pick = random() % 16;
        if (pick < 4) byte = static_cast<char>(0xA0 + random() % 0x60);
        if (pick == 4 && length % 2 == 1) byte = static_cast<char>(0x80 + random() % 0x20);
      }
      check.decode(latin, "Latin of length " + std::to_string(length));
      check.encode(check.portable().decode(latin), "its text");
      // The same bytes taken as units U+0001..U+00FF: CP1252 lacks U+0080..U+009F.
      std::u16string latinUnits;
      for (char byte : latin) latinUnits.push_back(static_cast<unsigned char>(byte));
      check.encode(latinUnits, "units below U+0100, " + std::to_string(length));
    }
    // Characters the codeset lacks, and pairs that become one replacement, at every position of a block.
    for (const std::u16string& odd : {std::u16string(u"\u4E00"), std::u16string(u"\U0001F600"),
                                      std::u16string(u"\xD800"), std::u16string(u"\xDC00\u00E9")}) {
      for (std::size_t at = 0; at <= 40; ++at) {
        std::u16string input = u"abc\u00E9\u0416defghijklmnopqrstuvwxyz0123456789ABCDEFGHIJ";
        input.insert(at, odd);
        check.encode(input, "odd character at " + std::to_string(at));
      }
    }
  }
}

// Short multi-byte text is decoded straight into storage of one unit per byte. Whatever the text's
// length, its runs of ASCII (which long runs hand to the kernels) must stay within that storage.
// In Shift_JIS, 5C and 7E are the yen sign and the overline, so its short text is never widened
// whole as ASCII.
TEST(KernelSets, MultiByteTextDecodesWithinStorageOfOneUnitPerByte) {
  for (const char* codeset : {"EUC-JP", "SHIFT_JIS"}) {
    for (KernelSet set : NarrowCodec::availableKernelSets()) {
      const NarrowCodec codec = NarrowCodec::forCodeset(codeset).withKernelSet(set);
      ASSERT_TRUE(codec.decodesExactly());
      for (std::size_t ascii = 0; ascii <= 200; ++ascii) {
        for (const std::string& after :
             {std::string(), std::string("\xA4\xA2"), std::string("\xA4\xA2xyz\xA4"), std::string("\\~")}) {
          const std::string bytes = std::string(ascii, 'k') + after;
          const auto storage = std::make_unique<char16_t[]>(bytes.size());
          const std::size_t length = codec.decodeExact(bytes, storage.get());
          ASSERT_TRUE(std::u16string_view(storage.get(), length) == codec.decode(bytes))
              << codeset << ", " << SetName(set) << ": " << ascii << " ASCII bytes then " << after.size()
              << " more";
        }
      }
    }
  }
}

// Multi-byte codesets convert their leading ASCII without iconv where that is safe; the rest,
// whatever it starts with, must come out as iconv alone would give it.
TEST(KernelSets, IconvCodesetsAfterLeadingAscii) {
  const struct {
    const char* codeset;
    std::string narrow;
    std::u16string text;
  } cases[] = {
      {"EUC-JP", "\xC6\xFC\xCB\xDC", u"日本"},
      {"SHIFT_JIS", "\x93\xFA\x96\x7B", u"日本"},
      {"GB18030", "\x81\x30\x81\x30", u"\u0080"},
      {"ISO-2022-JP", "\x1B$BF|K\\\x1B(B", u"日本"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.codeset);
    const SameOnEveryKernelSet check(c.codeset);
    for (std::size_t ascii = 0; ascii <= 70; ++ascii) {
      const std::string narrow = std::string(ascii, 'k') + c.narrow + "0z";
      const std::u16string text = std::u16string(ascii, u'k') + c.text + u"0z";
      EXPECT_EQ(check.portable().decode(narrow), text) << ascii;
      EXPECT_EQ(check.portable().encode(text), narrow) << ascii;
      check.decode(narrow, "ascii run " + std::to_string(ascii));
      check.decode(std::string(ascii, 'k') + "\xFF" + c.narrow, "invalid after " + std::to_string(ascii));
      check.encode(text, "ascii run " + std::to_string(ascii));
      check.encode(std::u16string(ascii, u'k') + u"\U0001F600",
                   "unrepresentable after " + std::to_string(ascii));
    }
  }
}

}  // namespace
}  // namespace tarvo::interop
