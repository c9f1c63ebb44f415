// Short ASCII converted whole, in a few instructions: the commonest argument and result, which the
// codec takes inline before anything else. Likewise short Latin text into codesets whose upper half
// is Latin-1's, such as CP1252.
#ifndef TARVO_INTEROP_SHORT_ASCII_H
#define TARVO_INTEROP_SHORT_ASCII_H

#include <cstddef>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tarvo::interop::scalar {

#if defined(__SSE2__) && defined(__x86_64__)
// The sixteen units at p as bytes. Narrowing saturates, so the bytes are 01..7F, positive as signed
// bytes, exactly where the units were.
inline __m128i PackSixteenUnits(const char16_t* p) {
  return _mm_packus_epi16(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)),
                          _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 8)));
}
#endif

// The short text that most calls carry, 16 to 32 characters, in two sixteen-unit windows that
// overlap unless it has 32: the first sixteen and the last sixteen. Each converts all n characters
// if they all lie in [1, 0x7F], writes nothing otherwise, and tells which. Without SSE2 they never
// do, and the codec's loops take the text as they would any other.
inline bool WidenShortAscii(const unsigned char* p, std::size_t n, char16_t* out) {
#if defined(__SSE2__) && defined(__x86_64__)
  if (n - 16 > 16) return false;
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
  const __m128i last = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + n - 16));
  const __m128i zero = _mm_setzero_si128();
  if (_mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(first, zero), _mm_cmpgt_epi8(last, zero))) != 0xFFFF) {
    return false;
  }
  // Where the windows overlap, both write the same units.
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 16), _mm_unpacklo_epi8(last, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 8), _mm_unpackhi_epi8(last, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(first, zero));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(first, zero));
  return true;
#else
  static_cast<void>(p);
  static_cast<void>(n);
  static_cast<void>(out);
  return false;
#endif
}

#if defined(__SSE2__) && defined(__x86_64__)
// Both windows of n units packed into bytes, stored where `fits` finds from the bytes that every
// unit converts so; nothing written otherwise.
template <class Fits>
inline bool NarrowShortWindows(const char16_t* p, std::size_t n, char* out, Fits fits) {
  if (n - 16 > 16) return false;
  const __m128i first = PackSixteenUnits(p), last = PackSixteenUnits(p + n - 16);
  if (!fits(first, last)) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 16), last);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), first);
  return true;
}

inline bool NarrowShortAscii(const char16_t* p, std::size_t n, char* out) {
  return NarrowShortWindows(p, n, out, [](__m128i first, __m128i last) {
    const __m128i zero = _mm_setzero_si128();
    return _mm_movemask_epi8(_mm_and_si128(_mm_cmpgt_epi8(first, zero), _mm_cmpgt_epi8(last, zero))) ==
           0xFFFF;
  });
}

// As NarrowShortAscii, for codesets where units A0-FF also encode as the bytes of the same values
// (ISO-8859-1, CP1252): converts all n characters if each lies in [1, 0x7F] or [0xA0, 0xFE]. U+00FF
// is left to the codec's other paths, since a unit above FF packs to the same byte.
inline bool NarrowShortLatin(const char16_t* p, std::size_t n, char* out) {
  return NarrowShortWindows(p, n, out, [](__m128i first, __m128i last) {
    // As signed bytes, 01-7F and A0-FE are those above -97 but for 0 (a NUL, or a surrogate, which
    // packs to 0) and -1 (FF itself, or a unit above it).
    const __m128i least = _mm_set1_epi8(-97), zero = _mm_setzero_si128(), ones = _mm_set1_epi8(-1);
    const __m128i above = _mm_and_si128(_mm_cmpgt_epi8(first, least), _mm_cmpgt_epi8(last, least));
    const __m128i excluded =
        _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(first, zero), _mm_cmpeq_epi8(first, ones)),
                     _mm_or_si128(_mm_cmpeq_epi8(last, zero), _mm_cmpeq_epi8(last, ones)));
    return _mm_movemask_epi8(_mm_andnot_si128(excluded, above)) == 0xFFFF;
  });
}
#else
inline bool NarrowShortAscii(const char16_t*, std::size_t, char*) {
  return false;
}
inline bool NarrowShortLatin(const char16_t*, std::size_t, char*) {
  return false;
}
#endif

}  // namespace tarvo::interop::scalar

#endif  // TARVO_INTEROP_SHORT_ASCII_H
