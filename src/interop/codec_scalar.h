// One character at a time: the definition of every conversion, used whole by the portable kernels and
// by the vector kernels wherever a block is not one they handle (invalid or rarer sequences, tails).
//
// Plain inline functions without target attributes, so that every translation unit compiles them for
// the baseline processor; a vector kernel may still inline them into its own code.
#ifndef TARVO_INTEROP_CODEC_SCALAR_H
#define TARVO_INTEROP_CODEC_SCALAR_H

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "interop/codec_kernels.h"
#include "interop/short_ascii.h"

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tarvo::interop::scalar {

inline constexpr char16_t kReplacementCharacter = 0xFFFD;

inline bool IsHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
inline bool IsLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
inline bool IsSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}

// Decodes the sequence that starts at p (p < end) and returns where the next one starts.
inline const unsigned char* DecodeUtf8Step(const unsigned char* p, const unsigned char* end, char16_t*& out) {
  const unsigned lead = *p;
  if (lead < 0x80) {
    *out++ = static_cast<char16_t>(lead);
    return p + 1;
  }
  // The second byte's range is narrower than [80, BF] exactly where a wider range would admit an
  // overlong form, a surrogate or a code point beyond U+10FFFF; failing there makes the lead byte
  // alone the maximal subpart.
  int trailing;
  unsigned lower = 0x80, upper = 0xBF;
  char32_t codePoint;
  if (lead >= 0xC2 && lead <= 0xDF) {
    trailing = 1;
    codePoint = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    trailing = 2;
    codePoint = lead & 0x0F;
    if (lead == 0xE0) lower = 0xA0;
    if (lead == 0xED) upper = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    trailing = 3;
    codePoint = lead & 0x07;
    if (lead == 0xF0) lower = 0x90;
    if (lead == 0xF4) upper = 0x8F;
  } else {
    *out++ = kReplacementCharacter;  // stray continuation byte, C0, C1 or F5..FF
    return p + 1;
  }
  const unsigned char* q = p + 1;
  for (int i = 0; i < trailing; ++i, ++q) {
    if (q == end || *q < lower || *q > upper) {
      *out++ = kReplacementCharacter;
      return q;  // the byte at q is not consumed: it may start the next character
    }
    codePoint = (codePoint << 6) | (*q & 0x3F);
    lower = 0x80;
    upper = 0xBF;
  }
  if (codePoint >= 0x10000) {
    codePoint -= 0x10000;
    *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
    *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
  } else {
    *out++ = static_cast<char16_t>(codePoint);
  }
  return q;
}

inline std::size_t DecodeUtf8(const unsigned char* p, const unsigned char* end, char16_t* out) {
  char16_t* const start = out;
  while (p != end) {
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof(word));
      if (word & 0x8080808080808080u) break;
      for (int i = 0; i < 8; ++i) out[i] = p[i];
      p += 8;
      out += 8;
    }
    if (p == end) break;
    p = DecodeUtf8Step(p, end, out);
  }
  return static_cast<std::size_t>(out - start);
}

// Whether each unit of the 64-bit word (four UTF-16 units) lies in [1, 0x7F]: ASCII and not NUL. A
// zero unit borrows in the subtraction and sets its own high bit; a unit of 0x80 or more has a high
// bit already.
inline bool AsciiWithoutNul(std::uint64_t units) {
  return ((units | (units - 0x0001000100010001u)) & 0xFF80FF80FF80FF80u) == 0;
}

// Writes the units of a word of ASCII: widened or narrowed in one register where the processor has
// SSE2 (every x86-64 does), one by one elsewhere.
template <class In, class Out>
inline void CopyAsciiWord(std::uint64_t word, const In* p, Out* out) {
#if defined(__SSE2__) && defined(__x86_64__)
  static_cast<void>(p);
  const __m128i value = _mm_cvtsi64_si128(static_cast<long long>(word));
  if constexpr (sizeof(In) == 1) {
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(value, _mm_setzero_si128()));
  } else {
    const int bytes = _mm_cvtsi128_si32(_mm_packus_epi16(value, value));
    std::memcpy(out, &bytes, sizeof(bytes));
  }
#else
  static_cast<void>(word);
  for (std::size_t i = 0; i < sizeof(word) / sizeof(In); ++i) out[i] = static_cast<Out>(p[i]);
#endif
}

// Narrows the eight units at p into out if they all lie in [1, 0x7F], and tells whether they did.
template <class Out>
inline bool NarrowEightAscii(const char16_t* p, Out* out) {
#if defined(__SSE2__) && defined(__x86_64__)
  // Narrowing saturates, so the bytes are 01..7F, positive as signed bytes, exactly where the units were.
  const __m128i units = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i bytes = _mm_packus_epi16(units, units);
  if ((_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_setzero_si128())) & 0xFF) != 0xFF) return false;
  _mm_storel_epi64(reinterpret_cast<__m128i*>(out), bytes);
  return true;
#else
  std::uint64_t first, second;
  std::memcpy(&first, p, sizeof(first));
  std::memcpy(&second, p + 4, sizeof(second));
  if (!AsciiWithoutNul(first) || !AsciiWithoutNul(second)) return false;
  for (int i = 0; i < 8; ++i) out[i] = static_cast<Out>(p[i]);
  return true;
#endif
}

// Narrows the sixteen units at p into out if they all lie in [1, 0x7F], and tells whether they did.
// Without SSE2 it never does, and the eight-unit step takes over.
template <class Out>
inline bool NarrowSixteenAscii(const char16_t* p, Out* out) {
#if defined(__SSE2__) && defined(__x86_64__)
  const __m128i bytes = PackSixteenUnits(p);
  if (_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_setzero_si128())) != 0xFFFF) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), bytes);
  return true;
#else
  static_cast<void>(p);
  static_cast<void>(out);
  return false;
#endif
}

// Widens the sixteen bytes at p into out if they all lie in [1, 0x7F], and tells whether they did.
inline bool WidenSixteenAscii(const unsigned char* p, char16_t* out) {
#if defined(__SSE2__) && defined(__x86_64__)
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  if (_mm_movemask_epi8(_mm_cmpgt_epi8(bytes, _mm_setzero_si128())) != 0xFFFF) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
  return true;
#else
  static_cast<void>(p);
  static_cast<void>(out);
  return false;
#endif
}

// 33 to 64 units, as paths often are, the same way in four windows: the first 32 units and the last
// 32, each as two of sixteen.
inline bool NarrowMediumAscii(const char16_t* p, std::size_t n, char* out) {
#if defined(__SSE2__) && defined(__x86_64__)
  if (n - 33 > 31) return false;
  const __m128i first = PackSixteenUnits(p), second = PackSixteenUnits(p + 16);
  const __m128i third = PackSixteenUnits(p + n - 32), last = PackSixteenUnits(p + n - 16);
  const __m128i zero = _mm_setzero_si128();
  const __m128i plain =
      _mm_and_si128(_mm_and_si128(_mm_cmpgt_epi8(first, zero), _mm_cmpgt_epi8(second, zero)),
                    _mm_and_si128(_mm_cmpgt_epi8(third, zero), _mm_cmpgt_epi8(last, zero)));
  if (_mm_movemask_epi8(plain) != 0xFFFF) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 32), third);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 16), last);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), first);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 16), second);
  return true;
#else
  static_cast<void>(p);
  static_cast<void>(n);
  static_cast<void>(out);
  return false;
#endif
}

// Encodes [p, end) up to its first NUL, once the caller has tried the text as short ASCII whole
// (NarrowShortAscii). Where ASCII maps to itself, the ASCII that leads the text goes sixteen, then
// eight units at a time and later runs four at a time; everything else goes through `step(p, out)`,
// which converts the character at p, advances out past what it wrote and returns where the next
// character starts. Writes exactly what it returns. (The leading run has a loop of its own: trying
// eight units in the loop below slowed text with no ASCII in it by a third.)
template <class Out, class Step>
inline std::size_t EncodeUntilNul(const char16_t* p, const char16_t* end, Out* out, bool asciiIsItself,
                                  Step step) {
  Out* const start = out;
  // Text that starts with ASCII, as most does, sixteen and then eight units at a time while it lasts.
  while (asciiIsItself && end - p >= 16 && NarrowSixteenAscii(p, out)) {
    p += 16;
    out += 16;
  }
  while (asciiIsItself && end - p >= 8 && NarrowEightAscii(p, out)) {
    p += 8;
    out += 8;
  }
  while (p != end) {
    std::uint64_t word;
    if (asciiIsItself && end - p >= 4 && (std::memcpy(&word, p, sizeof(word)), AsciiWithoutNul(word))) {
      CopyAsciiWord(word, p, out);
      p += 4;
      out += 4;
      continue;
    }
    if (*p == 0) break;
    p = step(p, out);
  }
  return static_cast<std::size_t>(out - start);
}

// The eight bytes at p, the first in the lowest byte whatever the processor's byte order.
inline std::uint64_t LoadLittleEndian64(const unsigned char* p) {
  std::uint64_t word;
  std::memcpy(&word, p, sizeof(word));
  if constexpr (std::endian::native == std::endian::big) {
    std::uint64_t reversed = 0;
    for (int i = 0; i < 8; ++i) reversed |= ((word >> (8 * i)) & 0xFF) << (8 * (7 - i));
    word = reversed;
  }
  return word;
}

// How many leading bytes of the word (loaded little-endian) are ASCII other than NUL. A NUL borrows
// in the subtraction and so sets its high bit, a byte from 0x80 up has it already, and the bytes
// before the first of them do neither.
inline std::size_t LeadingAsciiBytes(std::uint64_t word) {
  const std::uint64_t stops = (word | (word - 0x0101010101010101u)) & 0x8080808080808080u;
  return stops == 0 ? 8 : static_cast<std::size_t>(std::countr_zero(stops)) / 8;
}

// Whether the word (loaded little-endian) is four two-byte sequences, as in words of Cyrillic, Greek,
// Hebrew or Arabic: a continuation byte after each lead, and leads C2..DF, since C0 and C1 begin
// overlong forms. Adding 7E to a lead's bits 1 to 4 carries into its bit 7 unless they are all 0.
inline bool FourTwoByteSequences(std::uint64_t word) {
  constexpr std::uint64_t kEachLeadBit7 = 0x0080008000800080u;
  return (word & 0xC0E0C0E0C0E0C0E0u) == 0x80C080C080C080C0u &&
         (((word & 0x001E001E001E001Eu) + 0x007E007E007E007Eu) & kEachLeadBit7) == kEachLeadBit7;
}

// Decodes up to the first NUL, which a sequence never swallows (0x00 continues nothing), so this
// makes what DecodeUtf8 makes of the bytes before it. The short text that most calls carry comes
// here, straight into storage of one unit per byte, once its caller has tried WidenShortAscii and
// the kernel set's short loop, where it has one: ASCII sixteen bytes at a time while it lasts,
// then, while a word of eight bytes remains, the ASCII at p a word at a time (all eight units
// written, as many kept as were ASCII) and four two-byte characters at once; an ASCII end of the
// text as the last word of eight bytes; the rest one character at a time. Writes within end - p
// units.
inline std::size_t DecodeUtf8UntilNul(const unsigned char* p, const unsigned char* end, char16_t* out) {
  const unsigned char* const begin = p;
  char16_t* const start = out;
  while (p != end) {
    const unsigned lead = *p;
    if (lead < 0x80) {
      if (end - p >= 16 && WidenSixteenAscii(p, out)) {
        p += 16;
        out += 16;
        continue;
      }
      if (end - p >= 8) {
        // Units never outnumber the bytes they came from, so the eight units fit.
        const std::uint64_t word = LoadLittleEndian64(p);
        CopyAsciiWord(word, p, out);
        const std::size_t ascii = LeadingAsciiBytes(word);
        if (ascii == 0) break;  // the NUL
        p += ascii;
        out += ascii;
        continue;
      }
      if (end - begin >= 8) {
        // Fewer than eight bytes left. When the last eight bytes of the text are ASCII, as the end
        // of most text is, they are widened whole: an ASCII byte always becomes one unit of its
        // own, so the units of those before p are the last ones written, and are written again.
        const std::uint64_t word = LoadLittleEndian64(end - 8);
        if (LeadingAsciiBytes(word) == 8) {
          const std::size_t left = static_cast<std::size_t>(end - p);
          CopyAsciiWord(word, end - 8, out - (8 - left));
          out += left;
          break;
        }
      }
      if (lead == 0) break;
      *out++ = static_cast<char16_t>(lead);
      ++p;
      continue;
    }
    if (lead - 0xC2u <= 0xDFu - 0xC2u) {
      if (end - p >= 8) {
        const std::uint64_t word = LoadLittleEndian64(p);
        if (FourTwoByteSequences(word)) {
          const std::uint64_t units =
              ((word & 0x001F001F001F001Fu) << 6) | ((word >> 8) & 0x003F003F003F003Fu);
          for (int i = 0; i < 4; ++i) out[i] = static_cast<char16_t>(units >> (16 * i));
          p += 8;
          out += 4;
          continue;
        }
      }
      if (end - p >= 2 && (p[1] & 0xC0) == 0x80) {
        *out++ = static_cast<char16_t>(((lead & 0x1F) << 6) | (p[1] & 0x3F));
        p += 2;
        continue;
      }
    }
    p = DecodeUtf8Step(p, end, out);
  }
  return static_cast<std::size_t>(out - start);
}

// Encodes the character that starts at p (p < end) and returns where the next one starts.
inline const char16_t* EncodeUtf8Step(const char16_t* p, const char16_t* end, char*& out) {
  const char16_t unit = *p++;
  if (unit < 0x80) {
    *out++ = static_cast<char>(unit);
  } else if (unit < 0x800) {
    *out++ = static_cast<char>(0xC0 | (unit >> 6));
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
  } else if (!IsSurrogate(unit)) {
    *out++ = static_cast<char>(0xE0 | (unit >> 12));
    *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (unit & 0x3F));
  } else if (IsHighSurrogate(unit) && p != end && IsLowSurrogate(*p)) {
    const char32_t codePoint = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (*p++ - 0xDC00);
    *out++ = static_cast<char>(0xF0 | (codePoint >> 18));
    *out++ = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    *out++ = '?';
  }
  return p;
}

inline std::size_t EncodeUtf8(const char16_t* p, const char16_t* end, char* out) {
  char* const start = out;
  while (p != end) p = EncodeUtf8Step(p, end, out);
  return static_cast<std::size_t>(out - start);
}

// Encodes up to the first NUL; writes exactly what it returns.
inline std::size_t EncodeUtf8UntilNul(const char16_t* p, const char16_t* end, char* out) {
  return EncodeUntilNul(p, end, out, true,
                        [end](const char16_t* at, char*& to) { return EncodeUtf8Step(at, end, to); });
}

// Measures up to the first NUL and returns where it stopped (see CodecKernels::measureUtf8).
inline const char16_t* MeasureUtf8(const char16_t* p, const char16_t* end, std::size_t& length) {
  for (; p != end && *p != 0; ++p) length += *p < 0x80 ? 1 : *p < 0x800 || IsSurrogate(*p) ? 2 : 3;
  return p;
}

inline void DecodeSingleByte(const unsigned char* p, const unsigned char* end, char16_t* out,
                             const NarrowCodec::SingleByteTables& tables) {
  for (; p != end; ++p) *out++ = tables.decode[*p];
}

// Decodes up to the first NUL (byte 0 is U+0000 in every single-byte codeset), once the caller has
// tried the text as short ASCII whole (WidenShortAscii); writes exactly what it returns.
inline std::size_t DecodeSingleByteUntilNul(const unsigned char* p, const unsigned char* end, char16_t* out,
                                            const NarrowCodec::SingleByteTables& tables) {
  char16_t* const start = out;
  const auto holdsNul = [](std::uint64_t word) {
    return ((word - 0x0101010101010101u) & ~word & 0x8080808080808080u) != 0;
  };
  // The eight bytes at `at`, none of them NUL: widened in a register when they are ASCII, else
  // looked up one by one with nothing to test in between.
  const auto convertWord = [&tables](std::uint64_t word, const unsigned char* at, char16_t* to) {
    if (tables.asciiCompatible && (word & 0x8080808080808080u) == 0) {
      CopyAsciiWord(word, at, to);
    } else {
      for (int i = 0; i < 8; ++i) to[i] = tables.decode[at[i]];
    }
  };
  for (; end - p >= 8; p += 8, out += 8) {
    std::uint64_t word;
    std::memcpy(&word, p, sizeof(word));
    if (holdsNul(word)) break;
    convertWord(word, p, out);
  }
  // Fewer than eight bytes left, and no NUL met: when the last eight bytes of the text hold none
  // either, they are converted whole, the units of those before p (one per byte, as many as there
  // are units already) written again as they were.
  if (p != end && end - p < 8 && (out - start) + (end - p) >= 8) {
    std::uint64_t word;
    std::memcpy(&word, end - 8, sizeof(word));
    if (!holdsNul(word)) {
      const std::size_t left = static_cast<std::size_t>(end - p);
      convertWord(word, end - 8, out - (8 - left));
      return static_cast<std::size_t>(out - start) + left;
    }
  }
  for (; p != end && *p != 0; ++p) *out++ = tables.decode[*p];
  return static_cast<std::size_t>(out - start);
}

inline const char16_t* EncodeSingleByteStep(const char16_t* p, const char16_t* end, unsigned char*& out,
                                            const NarrowCodec::SingleByteTables& tables) {
  const unsigned char byte = tables.encode[*p];
  if (byte != 0) {
    *out++ = byte;
    return p + 1;
  }
  // No single-byte codeset holds a supplementary character, and the pair stands for one of them.
  if (IsHighSurrogate(*p) && end - p >= 2 && IsLowSurrogate(p[1])) ++p;
  *out++ = tables.replacement;
  return p + 1;
}

inline std::size_t EncodeSingleByte(const char16_t* p, const char16_t* end, unsigned char* out,
                                    const NarrowCodec::SingleByteTables& tables) {
  unsigned char* const start = out;
  while (p != end) p = EncodeSingleByteStep(p, end, out, tables);
  return static_cast<std::size_t>(out - start);
}

// Encodes up to the first NUL; writes exactly what it returns.
inline std::size_t EncodeSingleByteUntilNul(const char16_t* p, const char16_t* end, unsigned char* out,
                                            const NarrowCodec::SingleByteTables& tables) {
  return EncodeUntilNul(p, end, out, tables.asciiCompatible,
                        [end, &tables](const char16_t* at, unsigned char*& to) {
                          return EncodeSingleByteStep(at, end, to, tables);
                        });
}

}  // namespace tarvo::interop::scalar

#endif  // TARVO_INTEROP_CODEC_SCALAR_H
