// Tables for stateless multi-byte codesets (EUC-JP, Shift_JIS, GBK, EUC-KR, Big5, ...), read once
// from the platform converter, so that converting text needs neither iconv nor a descriptor per call.
#ifndef TARVO_INTEROP_MULTI_BYTE_TABLES_H
#define TARVO_INTEROP_MULTI_BYTE_TABLES_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "interop/codec_kernels.h"

namespace tarvo::interop {

struct MultiByteTables {
  static constexpr std::size_t kLongestSequence = 3;  // bytes of a character, at most

  // Decoding walks a tree of byte tables: row 0 is the first byte of a character, and each entry is a
  // UTF-16 unit, kInvalid, or kNext plus the row that the following byte is looked up in.
  static constexpr std::uint32_t kInvalid = 0xFFFFFFFF;
  static constexpr std::uint32_t kNext = 0x80000000;
  std::vector<std::array<std::uint32_t, 256>> rows;
  // For byte 0x80 + i, the row that its second byte is looked up in where that row is below 256;
  // 0 for a byte that begins no longer sequence. Lets vector code find many rows with one shuffle.
  std::array<unsigned char, 128> leadRows{};
  // The one byte that begins three-byte sequences (EUC-JP's 8F), or 0 where there is none or more
  // than one; and for second byte 0x80 + i after it, the row of the third, as in leadRows.
  unsigned char threeByteLead = 0;
  std::array<unsigned char, 128> threeByteRows{};
  // For each row below 256, the unit that each byte from 0x80 up ends in it, or 0 where that byte
  // ends no character: the rows' upper halves, where every second byte of a pair falls, in 16 bits,
  // so that vector code looks a whole half up in four registers.
  std::vector<std::array<char16_t, 128>> upperUnits;

  // Encoding, indexed by UTF-16 unit: the character's bytes (the first in the lowest byte) and, in
  // the top byte, how many there are; 0 for a character the codeset lacks.
  std::vector<std::uint32_t> encode;
  std::uint32_t replacement = 0;  // how '?' is written, or 0 when the codeset has no '?'
  // Bytes 01-7F and the ASCII characters map to each other both ways, so runs of them may be
  // widened or narrowed whole. Not in Shift_JIS, where 5C is the yen sign and 7E the overline.
  bool asciiCompatible = false;
};

// The tables when the codeset passes every check: every character is one to three bytes and one UTF-16 unit
// (no surrogate pairs) both ways, no sequence changes a shift state or is held back until the end, and the
// tree stays small. Null otherwise; such codesets stay with iconv. Costs some 100,000 conversions of single
// characters (tens of milliseconds), once per codec.
std::shared_ptr<const MultiByteTables> ProbeMultiByte(const std::string& codeset);

// Exactly what the converter gives: each byte that begins no valid character becomes U+FFFD and the
// next byte is tried. Writes at most `size` units, and returns how many.
std::size_t DecodeMultiByte(const unsigned char* bytes, std::size_t size, char16_t* out,
                            const MultiByteTables& tables, const CodecKernels& kernels);

// A character the codeset lacks, and a lone surrogate, become '?'. Writes at most three bytes per
// unit (plus the kernels' slack); returns how many.
std::size_t EncodeMultiByte(const char16_t* units, std::size_t size, char* out, const MultiByteTables& tables,
                            const CodecKernels& kernels);

// Short text a character at a time, up to the first U+0000, as EncodeMultiByte would encode it;
// writes at most three bytes per unit and one more, and returns how many belong to the text.
std::size_t EncodeMultiByteUntilNul(const char16_t* units, std::size_t size, char* out,
                                    const MultiByteTables& tables);

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_MULTI_BYTE_TABLES_H
