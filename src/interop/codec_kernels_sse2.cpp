// Kernels for SSE2, which every x86-64 processor has: 16 bytes at a time through runs of ASCII and
// single-byte text, one character at a time through the rest. Without a byte shuffle (SSSE3) there
// is no cheap way to gather multi-byte UTF-8, so that is left to the scalar steps.
#include "interop/codec_kernels.h"

#if defined(__x86_64__) && defined(__SSE2__)

#include <emmintrin.h>

#include "interop/codec_scalar.h"

namespace tarvo::interop {
namespace {

const unsigned char* Bytes(const char* bytes) {
  return reinterpret_cast<const unsigned char*>(bytes);
}

__m128i Load(const void* from) {
  return _mm_loadu_si128(static_cast<const __m128i*>(from));
}

void Store(void* to, __m128i value) {
  _mm_storeu_si128(static_cast<__m128i*>(to), value);
}

// Widens 16 bytes to 16 units.
void StoreWidened(char16_t* out, __m128i bytes) {
  const __m128i zero = _mm_setzero_si128();
  Store(out, _mm_unpacklo_epi8(bytes, zero));
  Store(out + 8, _mm_unpackhi_epi8(bytes, zero));
}

// One bit per unit (two mask bits each, both set) for the units below 0x80.
unsigned AsciiUnits(__m128i units) {
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_cmpeq_epi16(_mm_and_si128(units, _mm_set1_epi16(-0x80)), _mm_setzero_si128())));
}

unsigned CountTrailingZeros(unsigned value) {
  return static_cast<unsigned>(__builtin_ctz(value));
}

std::size_t DecodeUtf8(const char* bytes, std::size_t size, char16_t* out) {
  const unsigned char* p = Bytes(bytes);
  const unsigned char* const end = p + size;
  char16_t* const start = out;
  while (end - p >= 16) {
    const __m128i block = Load(p);
    const unsigned nonAscii = static_cast<unsigned>(_mm_movemask_epi8(block));
    // Widening the whole block is cheaper than measuring the run; the units past it are overwritten.
    StoreWidened(out, block);
    if (nonAscii == 0) {
      p += 16;
      out += 16;
      continue;
    }
    const unsigned run = CountTrailingZeros(nonAscii);
    p += run;
    out += run;
    p = scalar::DecodeUtf8Step(p, end, out);
  }
  out += scalar::DecodeUtf8(p, end, out);
  return static_cast<std::size_t>(out - start);
}

std::size_t EncodeUtf8(const char16_t* p, std::size_t size, char* out) {
  const char16_t* const end = p + size;
  char* const start = out;
  while (end - p >= 8) {
    const __m128i units = Load(p);
    const unsigned ascii = AsciiUnits(units);
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(units, units));
    if (ascii == 0xFFFF) {
      p += 8;
      out += 8;
      continue;
    }
    const unsigned run = CountTrailingZeros(~ascii) / 2;
    p += run;
    out += run;
    p = scalar::EncodeUtf8Step(p, end, out);
  }
  out += scalar::EncodeUtf8(p, end, out);
  return static_cast<std::size_t>(out - start);
}

std::size_t MeasureUtf8(const char16_t* units, std::size_t size, std::size_t* utf8Length) {
  const char16_t* p = units;
  const char16_t* const end = p + size;
  std::size_t length = 0;
  const __m128i zero = _mm_setzero_si128();
  for (; end - p >= 8; p += 8) {
    const __m128i block = Load(p);
    if (_mm_movemask_epi8(_mm_cmpeq_epi16(block, zero)) != 0) break;
    const __m128i top5 = _mm_and_si128(block, _mm_set1_epi16(-0x800));
    const __m128i atMost2Bytes =
        _mm_or_si128(_mm_cmpeq_epi16(top5, zero), _mm_cmpeq_epi16(top5, _mm_set1_epi16(-0x2800)));  // D800
    // Three bytes per unit, less one for each unit of at most two bytes and one more for ASCII.
    const int fewer = __builtin_popcount(AsciiUnits(block)) +
                      __builtin_popcount(static_cast<unsigned>(_mm_movemask_epi8(atMost2Bytes)));
    length += 24 - static_cast<std::size_t>(fewer / 2);
  }
  p = scalar::MeasureUtf8(p, end, length);
  *utf8Length = length;
  return static_cast<std::size_t>(p - units);
}

void DecodeSingleByte(const unsigned char* p, std::size_t size, char16_t* out,
                      const NarrowCodec::SingleByteTables& tables) {
  const unsigned char* const end = p + size;
  if (tables.asciiCompatible) {
    // Widen as if everything were ASCII, then look up the few bytes that are not.
    for (; end - p >= 16; p += 16, out += 16) {
      const __m128i block = Load(p);
      StoreWidened(out, block);
      for (unsigned upper = static_cast<unsigned>(_mm_movemask_epi8(block)); upper != 0; upper &= upper - 1) {
        const unsigned i = CountTrailingZeros(upper);
        out[i] = tables.decode[p[i]];
      }
    }
  }
  scalar::DecodeSingleByte(p, end, out, tables);
}

std::size_t EncodeSingleByte(const char16_t* p, std::size_t size, unsigned char* out,
                             const NarrowCodec::SingleByteTables& tables) {
  const char16_t* const end = p + size;
  unsigned char* const start = out;
  if (tables.asciiCompatible) {
    while (end - p >= 16) {
      const __m128i low = Load(p), high = Load(p + 8);
      Store(out, _mm_packus_epi16(low, high));
      // A unit the codeset lacks may be half of a pair that becomes one '?', which breaks the
      // one-byte-per-unit layout of the block: the scalar step takes over from there.
      unsigned others = ~(AsciiUnits(low) | AsciiUnits(high) << 16);
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

// Eight units narrowed into the low half (units from 0x100 up saturate to FF), and one mask bit for
// each of them that is 01..7F, which is where its narrowed byte is positive.
__m128i Narrowed8(__m128i units) {
  return _mm_packus_epi16(units, units);
}
unsigned PlainLow8(__m128i bytes) {
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_setzero_si128()))) & 0xFF;
}

std::size_t AsciiPrefix16(const char16_t* units, std::size_t size) {
  std::size_t i = 0;
  for (; size - i >= 8; i += 8) {
    const unsigned plain = PlainLow8(Narrowed8(Load(units + i)));
    if (plain != 0xFF) return i + CountTrailingZeros(~plain);
  }
  while (i < size && units[i] != 0 && units[i] < 0x80) ++i;
  return i;
}

std::size_t FindNul16(const char16_t* units, std::size_t size) {
  std::size_t i = 0;
  for (; size - i >= 8; i += 8) {
    const unsigned nul =
        static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi16(Load(units + i), _mm_setzero_si128())));
    if (nul != 0) return i + CountTrailingZeros(nul) / 2;
  }
  while (i < size && units[i] != 0) ++i;
  return i;
}

std::size_t NarrowAscii(const char16_t* units, std::size_t size, char* out) {
  std::size_t i = 0;
  for (; size - i >= 8; i += 8) {
    const __m128i bytes = Narrowed8(Load(units + i));
    _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i), bytes);
    const unsigned plain = PlainLow8(bytes);
    if (plain != 0xFF) return i + CountTrailingZeros(~plain);
  }
  for (; i < size && units[i] != 0 && units[i] < 0x80; ++i) out[i] = static_cast<char>(units[i]);
  return i;
}

std::size_t WidenAscii(const char* bytes, std::size_t size, char16_t* out) {
  std::size_t i = 0;
  for (; size - i >= 16; i += 16) {
    const __m128i block = Load(bytes + i);
    Store(out + i, _mm_unpacklo_epi8(block, _mm_setzero_si128()));
    Store(out + i + 8, _mm_unpackhi_epi8(block, _mm_setzero_si128()));
    // Bytes 01..7F are the ones above zero as signed bytes.
    const unsigned others =
        ~static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpgt_epi8(block, _mm_setzero_si128())));
    if ((others & 0xFFFF) != 0) return i + CountTrailingZeros(others);
  }
  for (const unsigned char* in = Bytes(bytes); i < size && in[i] != 0 && in[i] < 0x80; ++i) out[i] = in[i];
  return i;
}

constexpr CodecKernels kSse2 = {NarrowCodec::KernelSet::Sse2,
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

const CodecKernels* Sse2Kernels() {
  return &kSse2;
}

}  // namespace tarvo::interop

#else

namespace tarvo::interop {
const CodecKernels* Sse2Kernels() {
  return nullptr;
}
}  // namespace tarvo::interop

#endif
