// Short ASCII converted whole, in a few instructions: the commonest argument and result, which the
// codec takes inline before anything else. Likewise short Latin text into codesets whose upper half
// is Latin-1's, such as CP1252, and short text of one script into codesets that write its letters
// as consecutive bytes, such as Russian into CP1251.
#ifndef TARVO_INTEROP_SHORT_ASCII_H
#define TARVO_INTEROP_SHORT_ASCII_H

#include <cstddef>
#include <cstdint>

#if defined(__SSE2__) && defined(__x86_64__)
#include <emmintrin.h>
#endif

namespace tarvo::interop::scalar {

// Units that a codeset writes as consecutive bytes: `units` of them from `firstUnit`, written from
// `firstByte` on (CP1251's А..я, U+0410..U+044F, as C0..FF).
struct UnitRun {
  char16_t firstUnit = 0;
  std::uint16_t units = 0;  // 0: the codeset has no run worth the check
  unsigned char firstByte = 0;
};

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

// Eight units as the bytes of such a run, in 16-bit lanes, where each is ASCII (01-7F) or in the
// run; `outside` gains the lanes that are neither.
inline __m128i RunLanes(__m128i units, const UnitRun& run, __m128i& outside) {
  const __m128i zero = _mm_setzero_si128();
  const __m128i first = _mm_set1_epi16(static_cast<short>(run.firstUnit));
  // Unsigned comparisons by saturating subtraction: a - b saturates to 0 exactly where a <= b.
  const __m128i inRun = _mm_cmpeq_epi16(
      _mm_subs_epu16(_mm_sub_epi16(units, first), _mm_set1_epi16(static_cast<short>(run.units - 1))), zero);
  const __m128i ascii =
      _mm_cmpeq_epi16(_mm_subs_epu16(_mm_sub_epi16(units, _mm_set1_epi16(1)), _mm_set1_epi16(0x7E)), zero);
  outside = _mm_or_si128(outside, _mm_andnot_si128(_mm_or_si128(inRun, ascii), _mm_set1_epi16(-1)));
  const __m128i shift = _mm_set1_epi16(static_cast<short>(run.firstByte - run.firstUnit));
  return _mm_add_epi16(units, _mm_and_si128(inRun, shift));
}

// As NarrowShortAscii, for 16 to 32 units of ASCII and one run of units (UnitRun): converts all n
// if every unit is either, writes nothing otherwise.
inline bool NarrowShortRun(const char16_t* p, std::size_t n, char* out, const UnitRun& run) {
  if (n - 16 > 16) return false;
  const auto load = [](const char16_t* at) { return _mm_loadu_si128(reinterpret_cast<const __m128i*>(at)); };
  __m128i outside = _mm_setzero_si128();
  const __m128i first =
      _mm_packus_epi16(RunLanes(load(p), run, outside), RunLanes(load(p + 8), run, outside));
  const __m128i last =
      _mm_packus_epi16(RunLanes(load(p + n - 16), run, outside), RunLanes(load(p + n - 8), run, outside));
  if (_mm_movemask_epi8(outside) != 0) return false;
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + n - 16), last);
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), first);
  return true;
}
#else
inline bool NarrowShortAscii(const char16_t*, std::size_t, char*) {
  return false;
}
inline bool NarrowShortLatin(const char16_t*, std::size_t, char*) {
  return false;
}
inline bool NarrowShortRun(const char16_t*, std::size_t, char*, const UnitRun&) {
  return false;
}
#endif

}  // namespace tarvo::interop::scalar

#endif  // TARVO_INTEROP_SHORT_ASCII_H
