// The inner loops of the narrow codec, once per instruction set. NarrowCodec picks one set of them
// per process; every set gives exactly the results of the portable one.
#ifndef TARVO_INTEROP_CODEC_KERNELS_H
#define TARVO_INTEROP_CODEC_KERNELS_H

#include <array>
#include <cstddef>
#include <cstdint>

#include "interop/narrow_codec.h"
#include "interop/short_ascii.h"

namespace tarvo::interop {

struct MultiByteTables;

// Tables of a codeset in which every character is one byte. Built once by forCodeset and then shared
// read-only by every copy of the codec. Aligned to cache lines, with both tables at multiples of 64
// bytes, since the AVX-512 blocks load 64 bytes of a table at a time and a load that straddles two
// lines costs more: 24 units of Russian encoded into CP1251 in one block took 5.4 ns from a table 16
// bytes off a line, and 4.0 from one on it.
struct alignas(64) NarrowCodec::SingleByteTables {
  std::array<char16_t, 256> decode{};
  // Indexed by UTF-16 code unit; 0 marks a unit the codeset cannot represent (U+0000 never reaches
  // the table because both directions stop at NUL). 64 KiB buys a branch-free lookup per character.
  std::array<unsigned char, 65536> encode{};
  unsigned char replacement = '?';  // the codeset's own '?', which is not 0x3F in EBCDIC-like sets
  // The longest run of units from U+0080 up that `encode` writes as consecutive bytes, where it
  // has at least 32: mostly a script's letters (CP1251's А..я), or Latin-1's (CP1252's A0..FF).
  scalar::UnitRun longestRun;
  // Bytes 01-7F are the ASCII characters both ways, so runs of them may be widened or narrowed whole.
  bool asciiCompatible = false;
  // The upper half of both tables cut into rows of 16 for byte shuffles: row h, column l holds what
  // byte (or unit) 0x80 + 16h + l becomes; decoded units are split into their low and high bytes.
  using ShuffleRow = std::array<unsigned char, 16>;
  using ShuffleRows = std::array<ShuffleRow, 8>;
  ShuffleRows upperDecodeLow{}, upperDecodeHigh{}, upperEncode{};
  // Bit h of column l is set where byte (or unit) 0x80 + 16h + l does not become the one of the same
  // number. None is in ISO-8859-1, and only 80..9F are in CP1252, so that Latin text in them widens
  // and narrows whole, as ASCII does.
  ShuffleRow upperDecodeMoves{}, upperEncodeMoves{};
};
static_assert(offsetof(NarrowCodec::SingleByteTables, encode) % 64 == 0, "the encoding table starts a line");

// Every kernel works on text without NUL (the codec cuts it off first) and may write up to
// kKernelSlack units past the end of what it produces, so output buffers carry that much spare room.
inline constexpr std::size_t kKernelSlack = 64;

struct CodecKernels {
  NarrowCodec::KernelSet set;

  // UTF-8 to UTF-16; each maximal invalid subpart becomes U+FFFD. Writes at most `size` units.
  std::size_t (*decodeUtf8)(const char* bytes, std::size_t size, char16_t* out);
  // UTF-16 to UTF-8; a lone surrogate becomes '?'. Writes at most what measureUtf8 tells.
  std::size_t (*encodeUtf8)(const char16_t* units, std::size_t size, char* out);
  // Returns the position of the first U+0000 (or `size`) and stores in *utf8Length what encodeUtf8
  // makes of the units before it, exactly, except that a lone surrogate counts two bytes, not one.
  std::size_t (*measureUtf8)(const char16_t* units, std::size_t size, std::size_t* utf8Length);

  // Single-byte codeset to UTF-16: exactly `size` units.
  void (*decodeSingleByte)(const unsigned char* bytes, std::size_t size, char16_t* out,
                           const NarrowCodec::SingleByteTables& tables);
  // UTF-16 to a single-byte codeset: one byte per character, the replacement for one the codeset
  // lacks (a surrogate pair is one character). Writes at most `size` bytes.
  std::size_t (*encodeSingleByte)(const char16_t* units, std::size_t size, unsigned char* out,
                                  const NarrowCodec::SingleByteTables& tables);

  // Length of the leading run of units 01..7F: it ends before the first U+0000 or unit from 0x80
  // up, so that one pass tells both for text that is ASCII up to its NUL.
  std::size_t (*asciiPrefix16)(const char16_t* units, std::size_t size);
  // Position of the first U+0000, or `size`.
  std::size_t (*findNul16)(const char16_t* units, std::size_t size);
  // Narrows the leading run of units 01..7F to bytes and returns its length: it ends before the
  // first U+0000 or unit from 0x80 up, or at `size`. So for ASCII text this one pass also finds the
  // NUL. Unlike the other kernels it needs no slack: it writes at most `size` bytes.
  std::size_t (*narrowAscii)(const char16_t* units, std::size_t size, char* out);
  // Widens the leading run of bytes 01..7F to units and returns its length: it ends before the first
  // NUL or byte from 0x80 up, or at `size`. So for ASCII text this one pass also finds the NUL, as
  // narrowAscii's does. Writes at most `size` units.
  std::size_t (*widenAscii)(const char* bytes, std::size_t size, char16_t* out);

  // Short UTF-8 (up to 32 bytes) of ASCII and two-byte sequences only, taken as it comes: decodes
  // what comes before the first NUL in one step and returns its length, or returns
  // NarrowCodec::kDoesNotFit, having written nothing, for longer text, for any other sequence and for
  // a sequence that ends early. Writes exactly what it returns. Null in the sets without it.
  std::size_t (*decodeShortUtf8)(const char* bytes, std::size_t size, char16_t* out) = nullptr;
  // Short UTF-16 (up to 32 units) of units below 0x800 only: encodes what comes before the first
  // U+0000 in one step and returns its length, or returns NarrowCodec::kDoesNotFit for longer text
  // and any other unit. May write up to 64 bytes, past what it returns. Null in the sets without it.
  std::size_t (*encodeShortUtf8)(const char16_t* units, std::size_t size, char* out) = nullptr;
  // Short UTF-16 (up to 32 units) into a single-byte codeset, of characters that it has only (no
  // surrogate): encodes what comes before the first U+0000 in one step and returns its length, or
  // returns NarrowCodec::kDoesNotFit for longer text and any other unit. May write up to 32 bytes,
  // past what it returns. Null in the sets without it.
  std::size_t (*encodeShortSingleByte)(const char16_t* units, std::size_t size, unsigned char* out,
                                       const NarrowCodec::SingleByteTables& tables) = nullptr;
  // Short text (up to 32 bytes) in a single-byte codeset where bytes 01-7F are ASCII: decodes what
  // comes before the first NUL in one step and returns its length, or returns
  // NarrowCodec::kDoesNotFit, having written nothing, for longer text and other codesets. Writes
  // exactly what it returns. Null in the sets without it.
  std::size_t (*decodeShortSingleByte)(const char* bytes, std::size_t size, char16_t* out,
                                       const NarrowCodec::SingleByteTables& tables) = nullptr;
  // Short text (up to 32 bytes) in a multi-byte codeset where bytes 01-7F are ASCII, of ASCII and
  // two-byte characters only (and three-byte ones after the codeset's one three-byte lead): decodes
  // what comes before the first NUL in one step and returns its length, or returns
  // NarrowCodec::kDoesNotFit, having written nothing, for longer text, other codesets and any other
  // sequence. Writes exactly what it returns. Null in the sets without it.
  std::size_t (*decodeShortMultiByte)(const char* bytes, std::size_t size, char16_t* out,
                                      const MultiByteTables& tables) = nullptr;
  // Short UTF-16 (up to 32 units) into a multi-byte codeset, of characters that it has only (no
  // surrogate): encodes what comes before the first U+0000 in one step and returns its length, or
  // returns NarrowCodec::kDoesNotFit for longer text and any other unit. Writes exactly what it
  // returns, at most three bytes a unit. Null in the sets without it.
  std::size_t (*encodeShortMultiByte)(const char16_t* units, std::size_t size, char* out,
                                      const MultiByteTables& tables) = nullptr;
};

const CodecKernels& PortableKernels();
// Null where the processor or the build lacks the instruction set.
const CodecKernels* Sse2Kernels();
const CodecKernels* Avx2Kernels();
const CodecKernels* Avx512Kernels();

// The fastest set that this processor runs, chosen on first use.
const CodecKernels& BestKernels();

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_CODEC_KERNELS_H
