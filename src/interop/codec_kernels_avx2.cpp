// Kernels for AVX2 processors: 32 bytes at a time through ASCII and through text of one-
// and two-byte UTF-8 sequences (Latin, Greek, Cyrillic, Hebrew, Arabic), which are checked and
// gathered with byte shuffles. Anything else in a block (longer or invalid sequences) goes through the
// scalar steps, so the results are those of the portable kernels by construction.
//
// The file is compiled for the baseline processor; only the functions marked TARVO_AVX2 use AVX2, and
// they run only after the processor was asked. Nothing from the standard library is instantiated with
// these instructions, so no shared inline function can carry them into code for other processors.
#include "interop/codec_kernels.h"

#if defined(__x86_64__)

#include <immintrin.h>

#include <cstdint>

#include "interop/codec_scalar.h"

#define TARVO_AVX2 __attribute__((target("avx2,bmi,popcnt")))

namespace tarvo::interop {
namespace {

// Byte shuffles that move the kept 16-bit lanes of a register (bit j of the index keeps lane j) to its
// front, in order; the lanes after them are zeroed. Row `keep` starts at byte 16 * keep, so that a
// row's offset is a mask and a shift of the bits that select it.
struct CompressTable {
  static constexpr std::size_t kRow = 16;
  alignas(16) unsigned char rows[256 * kRow];
};
constexpr CompressTable MakeCompressTable() {
  CompressTable table{};
  for (unsigned keep = 0; keep < 256; ++keep) {
    unsigned char* const row = table.rows + keep * CompressTable::kRow;
    unsigned at = 0;
    for (unsigned lane = 0; lane < 8; ++lane) {
      if ((keep >> lane) & 1) {
        row[at++] = static_cast<unsigned char>(2 * lane);
        row[at++] = static_cast<unsigned char>(2 * lane + 1);
      }
    }
    while (at < CompressTable::kRow) row[at++] = 0x80;
  }
  return table;
}
constexpr CompressTable kCompress = MakeCompressTable();

// Byte shuffles that write eight units, each held as its UTF-8 bytes in a 16-bit lane (first byte
// low), as one byte or, where bit j of the index is set, two.
struct ExpandTable {
  alignas(16) unsigned char bytes[256][16];
};
constexpr ExpandTable MakeExpandTable() {
  ExpandTable table{};
  for (unsigned twoBytes = 0; twoBytes < 256; ++twoBytes) {
    unsigned at = 0;
    for (unsigned lane = 0; lane < 8; ++lane) {
      table.bytes[twoBytes][at++] = static_cast<unsigned char>(2 * lane);
      if ((twoBytes >> lane) & 1) table.bytes[twoBytes][at++] = static_cast<unsigned char>(2 * lane + 1);
    }
    while (at < 16) table.bytes[twoBytes][at++] = 0x80;
  }
  return table;
}
constexpr ExpandTable kExpand = MakeExpandTable();

const unsigned char* Bytes(const char* bytes) {
  return reinterpret_cast<const unsigned char*>(bytes);
}

TARVO_AVX2 inline __m128i Load128(const void* from) {
  return _mm_loadu_si128(static_cast<const __m128i*>(from));
}
TARVO_AVX2 inline __m256i Load256(const void* from) {
  return _mm256_loadu_si256(static_cast<const __m256i*>(from));
}
TARVO_AVX2 inline void Store128(void* to, __m128i value) {
  _mm_storeu_si128(static_cast<__m128i*>(to), value);
}
TARVO_AVX2 inline void Store256(void* to, __m256i value) {
  _mm256_storeu_si256(static_cast<__m256i*>(to), value);
}
TARVO_AVX2 inline unsigned Mask(__m256i bytes) {
  return static_cast<unsigned>(_mm256_movemask_epi8(bytes));
}
TARVO_AVX2 inline unsigned Mask(__m128i bytes) {
  return static_cast<unsigned>(_mm_movemask_epi8(bytes));
}
TARVO_AVX2 inline unsigned CountTrailingZeros(unsigned value) {
  return static_cast<unsigned>(__builtin_ctz(value));
}
TARVO_AVX2 inline unsigned PopCount(unsigned value) {
  return static_cast<unsigned>(__builtin_popcount(value));
}

// A byte shuffle for each 128-bit lane, from two rows of a table.
TARVO_AVX2 inline __m256i LaneShuffles(const unsigned char* low, const unsigned char* high) {
  return _mm256_inserti128_si256(_mm256_castsi128_si256(Load128(low)), Load128(high), 1);
}

// Widens 32 bytes to 32 units.
TARVO_AVX2 inline void StoreWidened(char16_t* out, __m256i bytes) {
  Store256(out, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(bytes)));
  Store256(out + 16, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(bytes, 1)));
}

// Widens ASCII 64 bytes at a time for as long as it lasts, with one branch per 64, and leaves p
// where a block of 64 holds something else or where fewer than 64 bytes are left.
TARVO_AVX2 inline void WidenAsciiRun(const unsigned char*& p, const unsigned char* end, char16_t*& out) {
  while (end - p >= 64) {
    const __m256i first = Load256(p), second = Load256(p + 32);
    if (Mask(_mm256_or_si256(first, second)) != 0) return;
    StoreWidened(out, first);
    StoreWidened(out + 32, second);
    p += 64;
    out += 64;
  }
}

// Narrows 16 units to 16 bytes; units from 0x100 up saturate to FF.
TARVO_AVX2 inline __m128i Narrowed(__m256i units) {
  return _mm_packus_epi16(_mm256_castsi256_si128(units), _mm256_extracti128_si256(units, 1));
}
TARVO_AVX2 inline void StoreNarrowed(void* out, __m256i units) {
  Store128(out, Narrowed(units));
}

// One mask bit per byte 01..7F (a positive signed byte). Because narrowing saturates, the narrowed
// bytes of units have it exactly where the units are 01..7F: ASCII, and not NUL.
TARVO_AVX2 inline unsigned PlainBytes(__m128i bytes) {
  return Mask(_mm_cmpgt_epi8(bytes, _mm_setzero_si128()));
}
TARVO_AVX2 inline unsigned PlainBytes(__m256i bytes) {
  return Mask(_mm256_cmpgt_epi8(bytes, _mm256_setzero_si256()));
}

// Decodes blocks of 32 bytes from p for as long as they hold only ASCII and two-byte sequences
// (Latin, Greek, Cyrillic, Hebrew, Arabic), and leaves p where the first other block begins. Each
// continuation byte is decoded together with the byte before it, which may end the previous block,
// and each lead byte is dropped; so blocks follow each other at a fixed stride and the next load
// never waits for this block's checks. A lead in the last byte is carried over, and given back
// (p steps back onto it) when the run ends there.
TARVO_AVX2 inline void DecodeOneAndTwoByteRun(const unsigned char*& p, const unsigned char* end,
                                              char16_t*& out) {
  __m256i previous = _mm256_setzero_si256();  // p starts a sequence: no lead before it
  unsigned carried = 0;                       // 1 when the previous block ended with a lead
  while (end - p >= 32) {
    const __m256i bytes = Load256(p);
    const __m256i continuation = _mm256_cmpgt_epi8(_mm256_set1_epi8(-0x40), bytes);  // 80..BF
    const __m256i fromC2 = _mm256_sub_epi8(bytes, _mm256_set1_epi8(static_cast<char>(0xC2)));
    const __m256i lead =
        _mm256_cmpeq_epi8(_mm256_min_epu8(fromC2, _mm256_set1_epi8(0x1D)), fromC2);  // C2..DF
    const unsigned ascii = ~Mask(bytes);
    const unsigned continuations = Mask(continuation);
    const unsigned leads = Mask(lead);
    // Each continuation byte must follow a lead and each lead be followed by one; C0, C1 and E0..FF
    // are none of the three.
    if ((ascii | continuations | leads) != ~0u || continuations != ((leads << 1) | carried)) break;
    // The byte before each byte, across the middle of the register and from the previous block.
    const __m256i preceding = _mm256_alignr_epi8(bytes, _mm256_permute2x128_si256(previous, bytes, 0x21), 15);
    // Each continuation byte becomes the unit that it ends, in two bytes: the lead's two low bits and
    // its own six, then the lead's bits 2 to 4. Every other byte is ASCII, or a lead to be dropped,
    // and stands for itself. The shifts are of 16-bit lanes; the masks keep what each byte shifted.
    const __m256i combinedLow = _mm256_or_si256(
        _mm256_and_si256(_mm256_slli_epi16(preceding, 6), _mm256_set1_epi8(static_cast<char>(0xC0))),
        _mm256_and_si256(bytes, _mm256_set1_epi8(0x3F)));
    const __m256i lowBytes = _mm256_blendv_epi8(bytes, combinedLow, continuation);
    const __m256i highBytes = _mm256_and_si256(
        _mm256_and_si256(_mm256_srli_epi16(preceding, 2), _mm256_set1_epi8(0x07)), continuation);
    // Units of bytes 0-7 and 16-23, and of bytes 8-15 and 24-31; each group of eight is packed to
    // the front of its 128-bit lane by its own shuffle, dropping the leads.
    const __m256i unitsA = _mm256_unpacklo_epi8(lowBytes, highBytes);
    const __m256i unitsB = _mm256_unpackhi_epi8(lowBytes, highBytes);
    // Each group's table row, at its byte offset (eight bits of the mask times a row of sixteen), and
    // where its units go: after the units kept from the groups before it.
    const unsigned keep = ~leads;
    const unsigned char* const rows = kCompress.rows;
    const __m256i packedA = _mm256_shuffle_epi8(
        unitsA, LaneShuffles(rows + ((keep << 4) & 0xFF0), rows + ((keep >> 12) & 0xFF0)));
    const __m256i packedB = _mm256_shuffle_epi8(
        unitsB, LaneShuffles(rows + ((keep >> 4) & 0xFF0), rows + ((keep >> 20) & 0xFF0)));
    Store128(out, _mm256_castsi256_si128(packedA));
    Store128(out + PopCount(keep & 0xFF), _mm256_castsi256_si128(packedB));
    Store128(out + PopCount(keep & 0xFFFF), _mm256_extracti128_si256(packedA, 1));
    Store128(out + PopCount(keep & 0xFFFFFF), _mm256_extracti128_si256(packedB, 1));
    out += PopCount(keep);
    carried = leads >> 31;
    previous = bytes;
    p += 32;
  }
  p -= carried;  // the dropped lead starts what follows
}

// Output stores that straddle cache lines take twice as long, and the allocator only aligns to 16
// bytes: when long text starts with 32 bytes of ASCII, they are widened whole and only the units up
// to the output's next 32-byte boundary are kept, which aligns the stores that follow.
TARVO_AVX2 inline void AlignOnAsciiHead(const unsigned char*& p, const unsigned char* end, char16_t*& out) {
  if (end - p < 64) return;
  const __m256i block = Load256(p);
  if (Mask(block) != 0) return;
  StoreWidened(out, block);
  const std::size_t step = ((32 - (reinterpret_cast<std::uintptr_t>(out) & 31)) & 31) / sizeof(char16_t);
  p += step;
  out += step;
}

TARVO_AVX2 std::size_t DecodeUtf8(const char* bytes, std::size_t size, char16_t* out) {
  const unsigned char* p = Bytes(bytes);
  const unsigned char* const end = p + size;
  char16_t* const start = out;
  AlignOnAsciiHead(p, end, out);
  while (end - p >= 32) {
    const __m256i block = Load256(p);
    if (Mask(block) == 0) {
      StoreWidened(out, block);
      p += 32;
      out += 32;
      WidenAsciiRun(p, end, out);
      continue;
    }
    const unsigned char* const runStart = p;
    DecodeOneAndTwoByteRun(p, end, out);
    if (p != runStart) continue;
    const unsigned char* const blockEnd = p + 32;
    while (p < blockEnd) p = scalar::DecodeUtf8Step(p, end, out);
  }
  // Short text is mostly what is left here, so its ASCII still goes 16 bytes at a time.
  if (end - p >= 16) {
    const __m128i block = Load128(p);
    if (Mask(block) == 0) {
      Store256(out, _mm256_cvtepu8_epi16(block));
      p += 16;
      out += 16;
    }
  }
  out += scalar::DecodeUtf8(p, end, out);
  return static_cast<std::size_t>(out - start);
}

// Encodes sixteen units below 0x800 and returns where the output continues.
TARVO_AVX2 inline char* EncodeOneAndTwoByteUnits(__m256i units, char* out) {
  const __m256i isAscii =
      _mm256_cmpeq_epi16(_mm256_and_si256(units, _mm256_set1_epi16(-0x80)), _mm256_setzero_si256());
  // One mask bit per unit: bits 0-7 for units 0-7, bits 16-23 for units 8-15.
  const unsigned ascii = Mask(_mm256_packs_epi16(isAscii, _mm256_setzero_si256()));
  const unsigned twoBytesLow = ~ascii & 0xFF, twoBytesHigh = ~(ascii >> 16) & 0xFF;
  const __m256i first = _mm256_or_si256(_mm256_srli_epi16(units, 6), _mm256_set1_epi16(0xC0));
  const __m256i second =
      _mm256_or_si256(_mm256_and_si256(units, _mm256_set1_epi16(0x3F)), _mm256_set1_epi16(0x80));
  const __m256i pairs = _mm256_or_si256(first, _mm256_slli_epi16(second, 8));
  const __m256i shuffle = LaneShuffles(kExpand.bytes[twoBytesLow], kExpand.bytes[twoBytesHigh]);
  const __m256i packed = _mm256_shuffle_epi8(_mm256_blendv_epi8(pairs, units, isAscii), shuffle);
  Store128(out, _mm256_castsi256_si128(packed));
  out += 8 + PopCount(twoBytesLow);
  Store128(out, _mm256_extracti128_si256(packed, 1));
  return out + 8 + PopCount(twoBytesHigh);
}

TARVO_AVX2 std::size_t EncodeUtf8(const char16_t* p, std::size_t size, char* out) {
  const char16_t* const end = p + size;
  char* const start = out;
  while (end - p >= 32) {
    const __m256i first = Load256(p), second = Load256(p + 16);
    // Thirty-two units at a time through ASCII; text that mixes in other letters takes the two-byte
    // path for both halves, so that the choice between the two stays predictable.
    if (_mm256_testz_si256(_mm256_or_si256(first, second), _mm256_set1_epi16(-0x80))) {
      Store256(out, _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8));
      p += 32;
      out += 32;
      continue;
    }
    const char16_t* const middle = p + 16;
    if (_mm256_testz_si256(first, _mm256_set1_epi16(-0x800))) {
      out = EncodeOneAndTwoByteUnits(first, out);
      p = middle;
    } else {
      while (p < middle) p = scalar::EncodeUtf8Step(p, end, out);
    }
    // A surrogate pair across the middle has been taken whole by the scalar step.
    if (p == middle && _mm256_testz_si256(second, _mm256_set1_epi16(-0x800))) {
      out = EncodeOneAndTwoByteUnits(second, out);
      p += 16;
    } else {
      while (p < middle + 16) p = scalar::EncodeUtf8Step(p, end, out);
    }
  }
  // Short text is mostly what is left here, so it still goes 16 and 8 units at a time.
  if (end - p >= 16) {
    const __m256i units = Load256(p);
    if (_mm256_testz_si256(units, _mm256_set1_epi16(-0x80))) {
      StoreNarrowed(out, units);
      p += 16;
      out += 16;
    } else if (_mm256_testz_si256(units, _mm256_set1_epi16(-0x800))) {
      out = EncodeOneAndTwoByteUnits(units, out);
      p += 16;
    }
  }
  if (end - p >= 8) {
    const __m128i units = Load128(p);
    if (_mm_testz_si128(units, _mm_set1_epi16(-0x80))) {
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
      p += 8;
      out += 8;
    }
  }
  out += scalar::EncodeUtf8(p, end, out);
  return static_cast<std::size_t>(out - start);
}

// Sums 16-bit lanes of counters into a 64-bit total.
TARVO_AVX2 inline std::int64_t SumLanes(__m256i counters) {
  const __m256i pairs = _mm256_madd_epi16(counters, _mm256_set1_epi16(1));
  const __m128i four = _mm_add_epi32(_mm256_castsi256_si128(pairs), _mm256_extracti128_si256(pairs, 1));
  alignas(16) std::int32_t lanes[4];
  _mm_store_si128(reinterpret_cast<__m128i*>(lanes), four);
  return std::int64_t{lanes[0]} + lanes[1] + lanes[2] + lanes[3];
}

// Where the run of units 01..7F that starts at p ends, to within the 64-unit block that holds its
// end: those units encode to one byte each, and the run needs no counting of lengths.
TARVO_AVX2 inline const char16_t* PlainAsciiRun(const char16_t* p, const char16_t* end) {
  for (; end - p >= 64; p += 64) {
    const __m256i a = Load256(p), b = Load256(p + 16), c = Load256(p + 32), d = Load256(p + 48);
    const __m256i any = _mm256_or_si256(_mm256_or_si256(a, b), _mm256_or_si256(c, d));
    const __m256i least = _mm256_min_epu16(_mm256_min_epu16(a, b), _mm256_min_epu16(c, d));
    const __m256i nul = _mm256_cmpeq_epi16(least, _mm256_setzero_si256());
    if (!_mm256_testz_si256(any, _mm256_set1_epi16(-0x80)) || !_mm256_testz_si256(nul, nul)) break;
  }
  return p;
}

TARVO_AVX2 std::size_t MeasureUtf8(const char16_t* units, std::size_t size, std::size_t* utf8Length) {
  const char16_t* p = units;
  const char16_t* const end = p + size;
  const __m256i zero = _mm256_setzero_si256();
  // Three bytes per unit, less one for each unit of at most two bytes and one more for ASCII: each
  // lane of `fewer` counts those (as -1 per compare), and is emptied before it could overflow.
  // Runs of plain ASCII, the common case, are skipped first, 64 units a round, one byte each.
  std::int64_t length = 0;
  while (end - p >= 16) {
    const char16_t* const plainEnd = PlainAsciiRun(p, end);
    length += plainEnd - p;
    p = plainEnd;
    __m256i fewer = zero;
    const std::ptrdiff_t whole = (end - p) & ~std::ptrdiff_t{15};
    const char16_t* const stop = p + (whole < 1024 ? whole : 1024);
    for (; p != stop; p += 16) {
      const __m256i block = Load256(p);
      const __m256i nul = _mm256_cmpeq_epi16(block, zero);
      if (!_mm256_testz_si256(nul, nul)) break;
      const __m256i top5 = _mm256_and_si256(block, _mm256_set1_epi16(-0x800));
      const __m256i ascii = _mm256_cmpeq_epi16(_mm256_and_si256(block, _mm256_set1_epi16(-0x80)), zero);
      const __m256i atMost2Bytes = _mm256_or_si256(_mm256_cmpeq_epi16(top5, zero),
                                                   _mm256_cmpeq_epi16(top5, _mm256_set1_epi16(-0x2800)));
      fewer = _mm256_add_epi16(fewer, _mm256_add_epi16(ascii, atMost2Bytes));
      length += 48;
    }
    length += SumLanes(fewer);
    if (p != stop) break;  // a NUL in the next block
  }
  std::size_t rest = 0;
  p = scalar::MeasureUtf8(p, end, rest);
  *utf8Length = static_cast<std::size_t>(length) + rest;
  return static_cast<std::size_t>(p - units);
}

// Looks up bytes 80..FF in rows of 16 (see SingleByteTables) with byte shuffles: the index for row h
// addresses the bytes whose high nibble is 8 + h and zeroes every other byte, because the saturating
// add sets the shuffle's zeroing bit wherever the xor left a high nibble.
struct UpperHalfIndexes {
  __m256i rows[8];
};

TARVO_AVX2 inline UpperHalfIndexes IndexUpperHalf(__m256i bytes) {
  UpperHalfIndexes indexes;
  for (int row = 0; row < 8; ++row) {
    indexes.rows[row] =
        _mm256_adds_epu8(_mm256_xor_si256(bytes, _mm256_set1_epi8(static_cast<char>(0x80 + 16 * row))),
                         _mm256_set1_epi8(0x70));
  }
  return indexes;
}

TARVO_AVX2 inline __m256i LookUp(const UpperHalfIndexes& indexes,
                                 const NarrowCodec::SingleByteTables::ShuffleRows& rows) {
  __m256i result = _mm256_setzero_si256();
  for (int row = 0; row < 8; ++row) {
    const __m256i entries = _mm256_broadcastsi128_si256(Load128(rows[row].data()));
    result = _mm256_or_si256(result, _mm256_shuffle_epi8(entries, indexes.rows[row]));
  }
  return result;
}

// Single-byte text is mostly ASCII with a few other letters, or mostly other letters. A block whose
// bytes all stand for the characters of the same number (Latin text in ISO-8859-1 or CP1252) is
// widened or narrowed whole. Otherwise a block of 32 with up to four bytes outside ASCII is widened
// (or narrowed) whole and then has those positions rewritten from the table, without a branch per
// position: the rounds without a position left rewrite position 31, whose entry is right whatever
// it holds (ASCII maps to itself). Denser blocks go through byte shuffles of the table's upper half.
constexpr unsigned kMostPatches = 4;

TARVO_AVX2 inline void PatchDecoded(const unsigned char* in, char16_t* out, unsigned upper,
                                    const NarrowCodec::SingleByteTables& tables) {
  for (unsigned round = 0; round < kMostPatches; ++round) {
    unsigned i = _tzcnt_u32(upper);
    i -= i >> 5;
    out[i] = tables.decode[in[i]];
    upper &= upper - 1;
  }
}

// Returns false when one of the units is a character the codeset lacks.
TARVO_AVX2 inline bool PatchEncoded(const char16_t* in, unsigned char* out, unsigned upper,
                                    const NarrowCodec::SingleByteTables& tables) {
  bool lacking = false;
  for (unsigned round = 0; round < kMostPatches; ++round) {
    unsigned i = _tzcnt_u32(upper);
    i -= i >> 5;
    out[i] = tables.encode[in[i]];
    lacking |= out[i] == 0;
    upper &= upper - 1;
  }
  return !lacking;
}

// Whether every byte of the block stays what it is (see upperDecodeMoves): the low nibble picks a
// column, the high nibble the bit of its row, and ASCII has no bit.
TARVO_AVX2 inline bool NoneMoves(__m256i bytes, const NarrowCodec::SingleByteTables::ShuffleRow& moves) {
  const __m256i columns = _mm256_broadcastsi128_si256(Load128(moves.data()));
  const __m256i rowBits = _mm256_broadcastsi128_si256(
      _mm_setr_epi8(0, 0, 0, 0, 0, 0, 0, 0, 1, 2, 4, 8, 16, 32, 64, static_cast<char>(0x80)));
  const __m256i nibble = _mm256_set1_epi8(0x0F);
  const __m256i moved =
      _mm256_and_si256(_mm256_shuffle_epi8(columns, _mm256_and_si256(bytes, nibble)),
                       _mm256_shuffle_epi8(rowBits, _mm256_and_si256(_mm256_srli_epi16(bytes, 4), nibble)));
  return _mm256_testz_si256(moved, moved);
}

TARVO_AVX2 inline __m256i KeepAscii(__m256i bytes) {
  return _mm256_and_si256(bytes, _mm256_cmpgt_epi8(bytes, _mm256_set1_epi8(-1)));
}

TARVO_AVX2 void DecodeSingleByte(const unsigned char* p, std::size_t size, char16_t* out,
                                 const NarrowCodec::SingleByteTables& tables) {
  const unsigned char* const end = p + size;
  if (tables.asciiCompatible) {
    AlignOnAsciiHead(p, end, out);
    for (; end - p >= 32; p += 32, out += 32) {
      const __m256i block = Load256(p);
      const unsigned upper = Mask(block);
      if (upper == 0) {
        StoreWidened(out, block);
        p += 32;
        out += 32;
        WidenAsciiRun(p, end, out);
        p -= 32;  // the loop steps forward again
        out -= 32;
        continue;
      }
      if (NoneMoves(block, tables.upperDecodeMoves)) {
        StoreWidened(out, block);
        continue;
      }
      if (PopCount(upper) <= kMostPatches) {
        StoreWidened(out, block);
        PatchDecoded(p, out, upper, tables);
        continue;
      }
      const UpperHalfIndexes indexes = IndexUpperHalf(block);
      const __m256i low = _mm256_or_si256(KeepAscii(block), LookUp(indexes, tables.upperDecodeLow));
      const __m256i high = LookUp(indexes, tables.upperDecodeHigh);
      // unpack works within 128-bit lanes: units 0-7 and 16-23, then 8-15 and 24-31.
      const __m256i first = _mm256_unpacklo_epi8(low, high), second = _mm256_unpackhi_epi8(low, high);
      Store256(out, _mm256_permute2x128_si256(first, second, 0x20));
      Store256(out + 16, _mm256_permute2x128_si256(first, second, 0x31));
    }
  }
  // Short text is mostly what is left here, so its ASCII still goes 16 bytes at a time.
  if (tables.asciiCompatible && end - p >= 16 && Mask(Load128(p)) == 0) {
    Store256(out, _mm256_cvtepu8_epi16(Load128(p)));
    p += 16;
    out += 16;
  }
  scalar::DecodeSingleByte(p, end, out, tables);
}

TARVO_AVX2 std::size_t EncodeSingleByte(const char16_t* p, std::size_t size, unsigned char* out,
                                        const NarrowCodec::SingleByteTables& tables) {
  const char16_t* const end = p + size;
  unsigned char* const start = out;
  if (tables.asciiCompatible) {
    while (end - p >= 32) {
      const __m256i first = Load256(p), second = Load256(p + 16);
      // Units below 0x100 map one to one; a zero from the table marks a character the codeset lacks,
      // and the scalar steps take such a block, or one with units above 0xFF.
      if (_mm256_testz_si256(_mm256_or_si256(first, second), _mm256_set1_epi16(-0x100))) {
        const __m256i bytes = _mm256_permute4x64_epi64(_mm256_packus_epi16(first, second), 0xD8);
        const unsigned upper = Mask(bytes);
        bool done = true;
        if (upper == 0 || NoneMoves(bytes, tables.upperEncodeMoves)) {
          Store256(out, bytes);
        } else if (PopCount(upper) <= kMostPatches) {
          Store256(out, bytes);
          done = PatchEncoded(p, out, upper, tables);
        } else {
          const __m256i encoded =
              _mm256_or_si256(KeepAscii(bytes), LookUp(IndexUpperHalf(bytes), tables.upperEncode));
          Store256(out, encoded);
          done = Mask(_mm256_cmpeq_epi8(encoded, _mm256_setzero_si256())) == 0;
        }
        if (done) {
          p += 32;
          out += 32;
          continue;
        }
      }
      const char16_t* const blockEnd = p + 32;
      while (p < blockEnd) p = scalar::EncodeSingleByteStep(p, end, out, tables);
    }
  }
  if (tables.asciiCompatible && end - p >= 16) {  // as in DecodeSingleByte
    const __m256i units = Load256(p);
    if (_mm256_testz_si256(units, _mm256_set1_epi16(-0x80))) {
      StoreNarrowed(out, units);
      p += 16;
      out += 16;
    }
  }
  out += scalar::EncodeSingleByte(p, end, out, tables);
  return static_cast<std::size_t>(out - start);
}

TARVO_AVX2 std::size_t AsciiPrefix16(const char16_t* units, std::size_t size) {
  std::size_t i = static_cast<std::size_t>(PlainAsciiRun(units, units + size) - units);
  for (; size - i >= 16; i += 16) {
    const unsigned plain = PlainBytes(Narrowed(Load256(units + i)));
    if (plain != 0xFFFF) return i + CountTrailingZeros(~plain);
  }
  while (i < size && units[i] != 0 && units[i] < 0x80) ++i;
  return i;
}

TARVO_AVX2 inline unsigned NulUnits(__m256i units) {
  return Mask(_mm256_cmpeq_epi16(units, _mm256_setzero_si256()));
}

TARVO_AVX2 std::size_t FindNul16(const char16_t* units, std::size_t size) {
  if (size < 16) {
    std::size_t i = 0;
    while (i < size && units[i] != 0) ++i;
    return i;
  }
  std::size_t i = 0;
  for (; size - i >= 64; i += 64) {
    const __m256i nul = _mm256_cmpeq_epi16(
        _mm256_min_epu16(_mm256_min_epu16(Load256(units + i), Load256(units + i + 16)),
                         _mm256_min_epu16(Load256(units + i + 32), Load256(units + i + 48))),
        _mm256_setzero_si256());
    if (!_mm256_testz_si256(nul, nul)) break;
  }
  for (; size - i >= 16; i += 16) {
    const unsigned nul = NulUnits(Load256(units + i));
    if (nul != 0) return i + CountTrailingZeros(nul) / 2;
  }
  if (i == size) return size;
  // The last units, in a block that overlaps units already found free of NUL.
  const unsigned nul = NulUnits(Load256(units + size - 16));
  return nul != 0 ? size - 16 + CountTrailingZeros(nul) / 2 : size;
}

// One compare of the written bytes checks a block (see PlainBytes).
TARVO_AVX2 std::size_t NarrowAscii(const char16_t* units, std::size_t size, char* out) {
  std::size_t i = 0;
  for (; size - i >= 32; i += 32) {
    const __m256i bytes =
        _mm256_permute4x64_epi64(_mm256_packus_epi16(Load256(units + i), Load256(units + i + 16)), 0xD8);
    Store256(out + i, bytes);
    const unsigned plain = PlainBytes(bytes);
    if (plain != ~0u) return i + CountTrailingZeros(~plain);
  }
  // Then 16 at a time; where fewer are left, the last 16, overlapping units already found plain.
  while (i < size && size >= 16) {
    const std::size_t at = size - i >= 16 ? i : size - 16;
    const __m128i bytes = Narrowed(Load256(units + at));
    Store128(out + at, bytes);
    const unsigned plain = PlainBytes(bytes);
    if (plain != 0xFFFF) return at + CountTrailingZeros(~plain);
    i = at + 16;
  }
  for (; i < size && units[i] != 0 && units[i] < 0x80; ++i) out[i] = static_cast<char>(units[i]);
  return i;
}

TARVO_AVX2 std::size_t WidenAscii(const char* bytes, std::size_t size, char16_t* out) {
  std::size_t i = 0;
  for (; size - i >= 32; i += 32) {
    const __m256i block = Load256(bytes + i);
    StoreWidened(out + i, block);
    // Bytes 01..7F are the ones above zero as signed bytes.
    const unsigned others = ~Mask(_mm256_cmpgt_epi8(block, _mm256_setzero_si256()));
    if (others != 0) return i + CountTrailingZeros(others);
  }
  while (i < size && size >= 16) {  // as in NarrowAscii
    const std::size_t at = size - i >= 16 ? i : size - 16;
    const __m128i block = Load128(bytes + at);
    Store256(out + at, _mm256_cvtepu8_epi16(block));
    const unsigned others = ~Mask(_mm_cmpgt_epi8(block, _mm_setzero_si128())) & 0xFFFF;
    if (others != 0) return at + CountTrailingZeros(others);
    i = at + 16;
  }
  for (const unsigned char* in = Bytes(bytes); i < size && in[i] != 0 && in[i] < 0x80; ++i) out[i] = in[i];
  return i;
}

constexpr CodecKernels kAvx2 = {NarrowCodec::KernelSet::Avx2,
                                DecodeUtf8,
                                EncodeUtf8,
                                MeasureUtf8,
                                DecodeSingleByte,
                                EncodeSingleByte,
                                AsciiPrefix16,
                                FindNul16,
                                NarrowAscii,
                                WidenAscii};

}  // namespace

const CodecKernels* Avx2Kernels() {
  __builtin_cpu_init();
  const bool supported =
      __builtin_cpu_supports("avx2") && __builtin_cpu_supports("bmi") && __builtin_cpu_supports("popcnt");
  return supported ? &kAvx2 : nullptr;
}

}  // namespace tarvo::interop

#else

namespace tarvo::interop {
const CodecKernels* Avx2Kernels() {
  return nullptr;
}
}  // namespace tarvo::interop

#endif
