// Kernels for AVX2 processors: 32 bytes at a time through ASCII, 16 at a time through text of one-
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

#include "interop/codec_scalar.h"

#define TARVO_AVX2 __attribute__((target("avx2,bmi,popcnt")))

namespace tarvo::interop {
namespace {

// Byte shuffles that move the kept 16-bit lanes of a register (bit j of the index keeps lane j) to its
// front, in order; the lanes after them are zeroed.
struct CompressTable {
  alignas(16) unsigned char lanes[256][16];
};
constexpr CompressTable MakeCompressTable() {
  CompressTable table{};
  for (unsigned keep = 0; keep < 256; ++keep) {
    unsigned at = 0;
    for (unsigned lane = 0; lane < 8; ++lane) {
      if ((keep >> lane) & 1) {
        table.lanes[keep][at++] = static_cast<unsigned char>(2 * lane);
        table.lanes[keep][at++] = static_cast<unsigned char>(2 * lane + 1);
      }
    }
    while (at < 16) table.lanes[keep][at++] = 0x80;
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

// Two mask bits per unit, set for the units below 0x80.
TARVO_AVX2 inline unsigned AsciiUnits(__m256i units) {
  return Mask(_mm256_cmpeq_epi16(_mm256_and_si256(units, _mm256_set1_epi16(-0x80)), _mm256_setzero_si256()));
}

// Widens 32 bytes to 32 units.
TARVO_AVX2 inline void StoreWidened(char16_t* out, __m256i bytes) {
  Store256(out, _mm256_cvtepu8_epi16(_mm256_castsi256_si128(bytes)));
  Store256(out + 16, _mm256_cvtepu8_epi16(_mm256_extracti128_si256(bytes, 1)));
}

// Narrows 16 units below 0x100 to 16 bytes.
TARVO_AVX2 inline void StoreNarrowed(void* out, __m256i units) {
  Store128(out, _mm_packus_epi16(_mm256_castsi256_si128(units), _mm256_extracti128_si256(units, 1)));
}

// Decodes the 16 bytes at p when they hold only ASCII and complete two-byte sequences (a lead in the
// last byte waits for the next block). Returns the bytes used, or 0 when the block holds anything else.
TARVO_AVX2 inline std::size_t DecodeOneAndTwoByteBlock(const unsigned char* p, char16_t*& out) {
  const __m128i bytes = Load128(p);
  const __m128i continuation = _mm_cmpgt_epi8(_mm_set1_epi8(-0x40), bytes);  // 80..BF
  const __m128i fromC2 = _mm_sub_epi8(bytes, _mm_set1_epi8(static_cast<char>(0xC2)));
  const __m128i lead = _mm_cmpeq_epi8(_mm_min_epu8(fromC2, _mm_set1_epi8(0x1D)), fromC2);  // C2..DF
  const unsigned ascii = ~Mask(bytes) & 0xFFFF;
  const unsigned continuations = Mask(continuation);
  const unsigned leads = Mask(lead);
  // Each continuation byte must follow a lead and each lead be followed by one; C0, C1 and E0..FF
  // are none of the three.
  if ((ascii | continuations | leads) != 0xFFFF || continuations != ((leads << 1) & 0xFFFF)) return 0;
  unsigned starts = ~continuations & 0xFFFF;
  std::size_t used = 16;
  if (leads & 0x8000) {
    starts &= 0x7FFF;
    used = 15;
  }

  const __m128i next = _mm_srli_si128(bytes, 1);
  const __m128i low6 = _mm_set1_epi16(0x3F), low5 = _mm_set1_epi16(0x1F);
  for (int half = 0; half < 2; ++half) {
    const __m128i units = _mm_cvtepu8_epi16(half == 0 ? bytes : _mm_srli_si128(bytes, 8));
    const __m128i following = _mm_cvtepu8_epi16(half == 0 ? next : _mm_srli_si128(next, 8));
    const __m128i isLead = _mm_cvtepi8_epi16(half == 0 ? lead : _mm_srli_si128(lead, 8));
    const __m128i combined =
        _mm_or_si128(_mm_slli_epi16(_mm_and_si128(units, low5), 6), _mm_and_si128(following, low6));
    const unsigned keep = (starts >> (8 * half)) & 0xFF;
    const __m128i shuffle = Load128(kCompress.lanes[keep]);
    Store128(out, _mm_shuffle_epi8(_mm_blendv_epi8(units, combined, isLead), shuffle));
    out += PopCount(keep);
  }
  return used;
}

TARVO_AVX2 std::size_t DecodeUtf8(const char* bytes, std::size_t size, char16_t* out) {
  const unsigned char* p = Bytes(bytes);
  const unsigned char* const end = p + size;
  char16_t* const start = out;
  while (end - p >= 16) {
    if (end - p >= 32) {
      const __m256i block = Load256(p);
      if (Mask(block) == 0) {
        StoreWidened(out, block);
        p += 32;
        out += 32;
        continue;
      }
    }
    const std::size_t used = DecodeOneAndTwoByteBlock(p, out);
    if (used != 0) {
      p += used;
      continue;
    }
    const unsigned char* const blockEnd = p + 16;
    while (p < blockEnd) p = scalar::DecodeUtf8Step(p, end, out);
  }
  out += scalar::DecodeUtf8(p, end, out);
  return static_cast<std::size_t>(out - start);
}

// Encodes eight units below 0x800 and returns where the output continues.
TARVO_AVX2 inline char* EncodeOneAndTwoByteUnits(__m128i units, char* out) {
  const __m128i isAscii = _mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(-0x80)), _mm_setzero_si128());
  const unsigned twoBytes = ~Mask(_mm_packs_epi16(isAscii, _mm_setzero_si128())) & 0xFF;
  const __m128i first = _mm_or_si128(_mm_srli_epi16(units, 6), _mm_set1_epi16(0xC0));
  const __m128i second = _mm_or_si128(_mm_and_si128(units, _mm_set1_epi16(0x3F)), _mm_set1_epi16(0x80));
  const __m128i pairs = _mm_or_si128(first, _mm_slli_epi16(second, 8));
  const __m128i shuffle = Load128(kExpand.bytes[twoBytes]);
  Store128(out, _mm_shuffle_epi8(_mm_blendv_epi8(pairs, units, isAscii), shuffle));
  return out + 8 + PopCount(twoBytes);
}

TARVO_AVX2 std::size_t EncodeUtf8(const char16_t* p, std::size_t size, char* out) {
  const char16_t* const end = p + size;
  char* const start = out;
  while (end - p >= 16) {
    const __m256i units = Load256(p);
    if (_mm256_testz_si256(units, _mm256_set1_epi16(-0x80))) {
      StoreNarrowed(out, units);
      p += 16;
      out += 16;
    } else if (_mm256_testz_si256(units, _mm256_set1_epi16(-0x800))) {
      out = EncodeOneAndTwoByteUnits(_mm256_castsi256_si128(units), out);
      out = EncodeOneAndTwoByteUnits(_mm256_extracti128_si256(units, 1), out);
      p += 16;
    } else {
      const char16_t* const blockEnd = p + 16;
      while (p < blockEnd) p = scalar::EncodeUtf8Step(p, end, out);
    }
  }
  out += scalar::EncodeUtf8(p, end, out);
  return static_cast<std::size_t>(out - start);
}

TARVO_AVX2 std::size_t Utf8Length(const char16_t* p, std::size_t size) {
  const char16_t* const end = p + size;
  std::size_t length = 0;
  const __m256i zero = _mm256_setzero_si256();
  for (; end - p >= 16; p += 16) {
    const __m256i units = Load256(p);
    const __m256i top5 = _mm256_and_si256(units, _mm256_set1_epi16(-0x800));
    const __m256i atMost2Bytes = _mm256_or_si256(
        _mm256_cmpeq_epi16(top5, zero), _mm256_cmpeq_epi16(top5, _mm256_set1_epi16(-0x2800)));  // D800
    // Three bytes per unit, less one for each unit of at most two bytes and one more for ASCII.
    const unsigned fewer = PopCount(AsciiUnits(units)) + PopCount(Mask(atMost2Bytes));
    length += 48 - fewer / 2;
  }
  return length + scalar::Utf8Length(p, end);
}

TARVO_AVX2 void DecodeSingleByte(const unsigned char* p, std::size_t size, char16_t* out,
                                 const NarrowCodec::SingleByteTables& tables) {
  const unsigned char* const end = p + size;
  if (tables.asciiCompatible) {
    // Widen as if everything were ASCII, then look up the bytes that are not.
    for (; end - p >= 32; p += 32, out += 32) {
      const __m256i block = Load256(p);
      StoreWidened(out, block);
      for (unsigned upper = Mask(block); upper != 0; upper &= upper - 1) {
        const unsigned i = CountTrailingZeros(upper);
        out[i] = tables.decode[p[i]];
      }
    }
  }
  scalar::DecodeSingleByte(p, end, out, tables);
}

TARVO_AVX2 std::size_t EncodeSingleByte(const char16_t* p, std::size_t size, unsigned char* out,
                                        const NarrowCodec::SingleByteTables& tables) {
  const char16_t* const end = p + size;
  unsigned char* const start = out;
  if (tables.asciiCompatible) {
    while (end - p >= 16) {
      const __m256i units = Load256(p);
      StoreNarrowed(out, units);
      // A unit the codeset lacks may be half of a pair that becomes one replacement, which breaks
      // the one-byte-per-unit layout of the block: the scalar step takes over from there.
      unsigned others = ~AsciiUnits(units);
      unsigned handled = 16;
      for (; others != 0; others &= others - 1) {
        const unsigned i = CountTrailingZeros(others) / 2;
        others &= others - 1;  // the unit's second mask bit
        const unsigned char byte = tables.encode[p[i]];
        if (byte == 0) {
          handled = i;
          break;
        }
        out[i] = byte;
      }
      p += handled;
      out += handled;
      if (handled != 16) p = scalar::EncodeSingleByteStep(p, end, out, tables);
    }
  }
  out += scalar::EncodeSingleByte(p, end, out, tables);
  return static_cast<std::size_t>(out - start);
}

TARVO_AVX2 std::size_t AsciiPrefix(const char* bytes, std::size_t size) {
  std::size_t i = 0;
  for (; size - i >= 32; i += 32) {
    const unsigned nonAscii = Mask(Load256(bytes + i));
    if (nonAscii != 0) return i + CountTrailingZeros(nonAscii);
  }
  while (i < size && Bytes(bytes)[i] < 0x80) ++i;
  return i;
}

TARVO_AVX2 std::size_t AsciiPrefix16(const char16_t* units, std::size_t size) {
  std::size_t i = 0;
  for (; size - i >= 16; i += 16) {
    const unsigned others = ~AsciiUnits(Load256(units + i));
    if (others != 0) return i + CountTrailingZeros(others) / 2;
  }
  while (i < size && units[i] < 0x80) ++i;
  return i;
}

TARVO_AVX2 std::size_t FindNul16(const char16_t* units, std::size_t size) {
  std::size_t i = 0;
  for (; size - i >= 16; i += 16) {
    const unsigned nul = Mask(_mm256_cmpeq_epi16(Load256(units + i), _mm256_setzero_si256()));
    if (nul != 0) return i + CountTrailingZeros(nul) / 2;
  }
  while (i < size && units[i] != 0) ++i;
  return i;
}

constexpr CodecKernels kAvx2 = {NarrowCodec::KernelSet::Avx2,
                                DecodeUtf8,
                                EncodeUtf8,
                                Utf8Length,
                                DecodeSingleByte,
                                EncodeSingleByte,
                                AsciiPrefix,
                                AsciiPrefix16,
                                FindNul16};

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
