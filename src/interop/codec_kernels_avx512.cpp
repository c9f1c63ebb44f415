// Kernels for AVX-512 processors with the byte instructions (BW, VBMI, VBMI2): UTF-8 decoding 64
// bytes at a time and encoding 32 units at a time, through ASCII and through characters of one and
// two bytes, whose bytes are packed with one byte compress instead of table shuffles; ASCII
// widening 64 bytes at a time; and short text (up to 32 bytes or units) in one block both ways, in
// UTF-8 and in the codesets with single-byte or multi-byte tables. Everything else is the AVX2
// set's: on the processors measured, its other loops were no slower than 64-byte versions of them.
//
// Compiled for the baseline processor like the AVX2 file: only the functions marked TARVO_AVX512
// use these instructions, and they run only after the processor was asked.
#include "interop/codec_kernels.h"

#if defined(__x86_64__)

// GCC 12 takes the placeholder operand of some AVX-512 intrinsics (a variable initialised with itself)
// for an uninitialised one wherever they are inlined.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif
#include <immintrin.h>
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif

#include <cstdint>

#include "interop/codec_scalar.h"
#include "interop/multi_byte_tables.h"

#define TARVO_AVX512 \
  __attribute__((target("avx512f,avx512bw,avx512vl,avx512vbmi,avx512vbmi2,avx2,bmi,bmi2,popcnt")))

namespace tarvo::interop {
namespace {

TARVO_AVX512 inline __m512i Load512(const void* from) {
  return _mm512_loadu_si512(from);
}

// Whether `span` bytes from `start` reach past the page of the last of the `used` bytes from it.
// A masked load or store leaves the lanes outside its mask alone, yet where its span reaches a page
// that is not present (not mapped, or mapped and never touched), the processor checks that page at
// every access, in a microcode assist: 150 to 180 ns on the AMD processor measured, against under
// 1 ns, even with every lane of that page masked off. The short blocks and the last blocks below
// therefore take only text whose span stays within the pages of the bytes they use, and leave the
// rest to loops that touch nothing past it.
constexpr std::uintptr_t kSmallestPage = 4096;  // larger pages only make the check fall back more often
TARVO_AVX512 inline bool SpanLeavesPage(const void* start, std::size_t used, std::size_t span) {
  const std::uintptr_t first = reinterpret_cast<std::uintptr_t>(start);
  if ((first & (kSmallestPage - 1)) <= kSmallestPage - span) return false;  // within one page
  const std::uintptr_t lastUsed = first + used - (used != 0 ? 1 : 0);
  return ((first + span - 1) ^ lastUsed) >= kSmallestPage;
}

// Bit i set where byte i is from 0x80 up.
TARVO_AVX512 inline std::uint64_t HighBytes(__m512i bytes) {
  return _mm512_movepi8_mask(bytes);
}

// Bit i set where byte i is not 01..7F: NUL, or from 0x80 up.
TARVO_AVX512 inline std::uint64_t NulOrHighBytes(__m512i bytes) {
  return ~_mm512_cmpgt_epi8_mask(bytes, _mm512_setzero_si512());  // signed: only 01..7F are above zero
}

// Widens 64 bytes to 64 units.
TARVO_AVX512 inline void StoreWidened(char16_t* out, __m512i bytes) {
  _mm512_storeu_si512(out, _mm512_cvtepu8_epi16(_mm512_castsi512_si256(bytes)));
  _mm512_storeu_si512(out + 32, _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(bytes, 1)));
}

// Output stores that straddle cache lines take twice as long, and the allocator only aligns to 16
// bytes: when long text starts with 64 bytes of ASCII without NUL, they are widened whole and only
// the units up to the output's next 64-byte boundary are kept, which aligns the stores that follow.
TARVO_AVX512 inline void AlignOnAsciiHead(const unsigned char*& p, const unsigned char* end, char16_t*& out) {
  if (end - p < 128) return;
  const __m512i block = Load512(p);
  if (NulOrHighBytes(block) != 0) return;
  StoreWidened(out, block);
  const std::size_t step = ((64 - (reinterpret_cast<std::uintptr_t>(out) & 63)) & 63) / sizeof(char16_t);
  p += step;
  out += step;
}

// Byte i - 1 of a block, from the previous block's last byte for byte 0: indexes 63 + i of the
// two registers side by side.
alignas(64) constexpr unsigned char kPreceding[64] = {
    63,  64,  65,  66,  67,  68,  69,  70,  71,  72,  73,  74,  75,  76,  77,  78,
    79,  80,  81,  82,  83,  84,  85,  86,  87,  88,  89,  90,  91,  92,  93,  94,
    95,  96,  97,  98,  99,  100, 101, 102, 103, 104, 105, 106, 107, 108, 109, 110,
    111, 112, 113, 114, 115, 116, 117, 118, 119, 120, 121, 122, 123, 124, 125, 126};
// Units 0 to 31 and 32 to 63 from their low bytes (indexes 0..63) and high bytes (64..127).
alignas(64) constexpr unsigned char kInterleaved[128] = {
    0,  64,  1,  65,  2,  66,  3,  67,  4,  68,  5,  69,  6,  70,  7,  71,  8,  72,  9,  73,  10, 74,
    11, 75,  12, 76,  13, 77,  14, 78,  15, 79,  16, 80,  17, 81,  18, 82,  19, 83,  20, 84,  21, 85,
    22, 86,  23, 87,  24, 88,  25, 89,  26, 90,  27, 91,  28, 92,  29, 93,  30, 94,  31, 95,  32, 96,
    33, 97,  34, 98,  35, 99,  36, 100, 37, 101, 38, 102, 39, 103, 40, 104, 41, 105, 42, 106, 43, 107,
    44, 108, 45, 109, 46, 110, 47, 111, 48, 112, 49, 113, 50, 114, 51, 115, 52, 116, 53, 117, 54, 118,
    55, 119, 56, 120, 57, 121, 58, 122, 59, 123, 60, 124, 61, 125, 62, 126, 63, 127};

// The bytes of a block that are continuations (80..BF) and leads of two-byte sequences (C2..DF).
struct TwoByteMarks {
  std::uint64_t continuations;
  std::uint64_t leads;
};
TARVO_AVX512 inline TwoByteMarks MarkTwoByteSequences(__m512i bytes) {
  return {_mm512_cmplt_epi8_mask(bytes, _mm512_set1_epi8(-0x40)),
          _mm512_cmple_epu8_mask(_mm512_sub_epi8(bytes, _mm512_set1_epi8(static_cast<char>(0xC2))),
                                 _mm512_set1_epi8(0x1D))};
}

// kPreceding and kInterleaved in registers, loaded once per loop.
struct TwoByteIndexes {
  __m512i preceding, firstUnits, secondUnits;
};
TARVO_AVX512 inline TwoByteIndexes LoadTwoByteIndexes() {
  return {Load512(kPreceding), Load512(kInterleaved), Load512(kInterleaved + 64)};
}

// Units 0 to 31 and 32 to 63 of a block.
struct Units64 {
  __m512i first, second;
};

// The units of a block of ASCII and two-byte sequences, given each byte's preceding byte: each
// continuation byte becomes the unit that it ends (low byte the lead's two low bits and its own six,
// high byte the lead's bits 2 to 4), every other byte is ASCII and stands for itself, and the bytes
// outside `keep` (the leads) are dropped. One compress each packs the low and high bytes to the
// front, and one two-register permute per 32 units pairs them up.
TARVO_AVX512 inline Units64 TwoByteUnits(__m512i bytes, __m512i preceding, std::uint64_t continuations,
                                         std::uint64_t keep, const TwoByteIndexes& indexes) {
  const __m512i combinedLow = _mm512_or_si512(
      _mm512_and_si512(_mm512_slli_epi16(preceding, 6), _mm512_set1_epi8(static_cast<char>(0xC0))),
      _mm512_and_si512(bytes, _mm512_set1_epi8(0x3F)));
  const __m512i lowBytes = _mm512_mask_blend_epi8(continuations, bytes, combinedLow);
  const __m512i highBytes = _mm512_maskz_mov_epi8(
      continuations, _mm512_and_si512(_mm512_srli_epi16(preceding, 2), _mm512_set1_epi8(0x07)));
  const __m512i low = _mm512_maskz_compress_epi8(keep, lowBytes);
  const __m512i high = _mm512_maskz_compress_epi8(keep, highBytes);
  return {_mm512_permutex2var_epi8(low, indexes.firstUnits, high),
          _mm512_permutex2var_epi8(low, indexes.secondUnits, high)};
}

// Decodes blocks of 64 bytes from p for as long as they hold only ASCII and two-byte sequences, and
// leaves p where the first other block begins, as the AVX2 set's loop of the same name does 32 at a
// time: each continuation byte is decoded together with the byte before it, which may end the
// previous block, and each lead byte is dropped; a lead in the last byte is carried over, and given
// back when the run ends there. The units are built as their low and high bytes, which one
// compress each packs to the front, dropping the leads; one two-register permute per 32 units then
// pairs them up, where widening both halves and merging them took three instructions.
TARVO_AVX512 inline void DecodeOneAndTwoByteRun(const unsigned char*& p, const unsigned char* end,
                                                char16_t*& out) {
  __m512i previous = _mm512_setzero_si512();  // p starts a sequence: no lead before it
  std::uint64_t carried = 0;                  // 1 when the previous block ended with a lead
  const TwoByteIndexes indexes = LoadTwoByteIndexes();
  while (end - p >= 64) {
    const __m512i bytes = Load512(p);
    const auto [continuations, leads] = MarkTwoByteSequences(bytes);
    const std::uint64_t ascii = ~HighBytes(bytes);
    // Each continuation byte must follow a lead and each lead be followed by one; C0, C1 and E0..FF
    // are none of the three.
    if ((ascii | continuations | leads) != ~std::uint64_t{0} || continuations != ((leads << 1) | carried))
      break;
    const __m512i preceding = _mm512_permutex2var_epi8(previous, indexes.preceding, bytes);
    const std::uint64_t keep = ~leads;
    const Units64 units = TwoByteUnits(bytes, preceding, continuations, keep, indexes);
    _mm512_storeu_si512(out, units.first);
    _mm512_storeu_si512(out + 32, units.second);
    out += _mm_popcnt_u64(keep);
    carried = leads >> 63;
    previous = bytes;
    p += 64;
  }
  p -= carried;  // the dropped lead starts what follows
}

TARVO_AVX512 std::size_t DecodeUtf8(const char* bytes, std::size_t size, char16_t* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  const unsigned char* const end = p + size;
  char16_t* const start = out;
  AlignOnAsciiHead(p, end, out);
  while (end - p >= 64) {
    const __m512i block = Load512(p);
    if (HighBytes(block) == 0) {
      StoreWidened(out, block);
      p += 64;
      out += 64;
      continue;
    }
    const unsigned char* const runStart = p;
    DecodeOneAndTwoByteRun(p, end, out);
    if (p != runStart) continue;
    // Longer sequences or broken ones: one character at a time for 32 bytes, as the AVX2 set does.
    const unsigned char* const blockEnd = p + 32;
    while (p < blockEnd) p = scalar::DecodeUtf8Step(p, end, out);
  }
  // The last bytes go to the AVX2 loop, whose address is looked up once.
  static const auto decodeRest = Avx2Kernels()->decodeUtf8;
  out += decodeRest(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p), out);
  return static_cast<std::size_t>(out - start);
}

// Short text in one block: a masked load reads nothing past its end. `text` marks the bytes (or
// units) before the first NUL, or all of them where there is none.
struct ShortBytes {
  __m512i block;
  std::uint64_t text;
};
// Short bytes take one 64-byte load, and their units one 64-byte store (32 units).
TARVO_AVX512 inline bool ShortSpansLeavePages(const char* bytes, std::size_t size, const char16_t* out) {
  return SpanLeavesPage(bytes, size, 64) || SpanLeavesPage(out, 2 * size, 64);
}
TARVO_AVX512 inline ShortBytes LoadShortBytes(const char* bytes, std::size_t size) {  // below 64
  const std::uint64_t inText = (std::uint64_t{1} << size) - 1;
  const __m512i block = _mm512_maskz_loadu_epi8(inText, bytes);
  const std::uint64_t nul = _mm512_testn_epi8_mask(block, block) & inText;
  return {block, nul == 0 ? inText : (nul & (0 - nul)) - 1};
}
struct ShortUnits {
  __m512i block;
  __mmask32 text;
  unsigned length;
};
// Short units take one 64-byte load (32 units); their bytes go to the caller's stack.
TARVO_AVX512 inline bool ShortUnitsLeavePage(const char16_t* units, std::size_t size) {
  return SpanLeavesPage(units, 2 * size, 64);
}
TARVO_AVX512 inline ShortUnits LoadShortUnits(const char16_t* units, std::size_t size) {  // up to 32
  const __mmask32 inText = static_cast<__mmask32>((std::uint64_t{1} << size) - 1);
  const __m512i block = _mm512_maskz_loadu_epi16(inText, units);
  const __mmask32 nul = _mm512_mask_testn_epi16_mask(inText, block, block);
  const unsigned length = nul == 0 ? static_cast<unsigned>(size) : _tzcnt_u32(nul);
  return {block, static_cast<__mmask32>((std::uint64_t{1} << length) - 1), length};
}

// The first 32 bytes of a register in 16-bit lanes, one byte to each.
TARVO_AVX512 inline __m512i ByteLanes(__m512i block) {
  return _mm512_cvtepu8_epi16(_mm512_castsi512_si256(block));
}
// For each of those lanes, the byte after its own within `text`: the bytes read again one byte
// further on, so that nothing past the text is read.
TARVO_AVX512 inline __m512i NextByteLanes(const char* bytes, std::uint64_t text) {
  return _mm512_cvtepu8_epi16(_mm256_maskz_loadu_epi8(static_cast<__mmask32>(text >> 1), bytes + 1));
}
// The lanes whose byte is from C0 up (bit 6 set, among bytes from 0x80 up).
TARVO_AVX512 inline __mmask32 UpperQuarter(__m512i lanes) {
  return _mm512_test_epi16_mask(lanes, _mm512_set1_epi16(0x40));
}
// The entries of `upper` (128 units, four registers) for bytes from 0x80 up, one per lane: two
// two-register permutes by the byte's low six bits, and a blend by its seventh, which `upperQuarter`
// marks.
TARVO_AVX512 inline __m512i LookUpUpperHalf(const char16_t* upper, __m512i lanes, __mmask32 upperQuarter) {
  return _mm512_mask_blend_epi16(upperQuarter,
                                 _mm512_permutex2var_epi16(Load512(upper), lanes, Load512(upper + 32)),
                                 _mm512_permutex2var_epi16(Load512(upper + 64), lanes, Load512(upper + 96)));
}
// Writes the lanes that `keep` marks, packed to the front, and returns how many.
TARVO_AVX512 inline unsigned StoreKeptLanes(char16_t* out, std::uint64_t keep, __m512i lanes) {
  const unsigned kept = static_cast<unsigned>(_mm_popcnt_u64(keep));
  _mm512_mask_storeu_epi16(out, static_cast<__mmask32>((std::uint64_t{1} << kept) - 1),
                           _mm512_maskz_compress_epi16(static_cast<__mmask32>(keep), lanes));
  return kept;
}

// Short text of up to 32 bytes in one block: a masked load reads no byte past its end, the checks
// are those of the loop above within the bytes before the first NUL, and a masked store writes its
// units only. Each byte takes a 16-bit lane, and each lead of a two-byte sequence becomes the unit
// with the byte after it, read again one byte further on; one compress then keeps those units and
// the ASCII, dropping the continuations.
TARVO_AVX512 std::size_t DecodeShortUtf8(const char* bytes, std::size_t size, char16_t* out) {
  if (size > 32 || ShortSpansLeavePages(bytes, size, out)) return NarrowCodec::kDoesNotFit;
  const auto [block, text] = LoadShortBytes(bytes, size);
  const TwoByteMarks marks = MarkTwoByteSequences(block);
  const std::uint64_t continuations = marks.continuations & text, leads = marks.leads & text;
  const std::uint64_t ascii = ~HighBytes(block) & text;
  // A lead in the last byte wants a continuation past the text, and so fails the second test.
  if ((ascii | continuations | leads) != text || continuations != leads << 1) return NarrowCodec::kDoesNotFit;
  const __m512i lanes = ByteLanes(block);
  const __m512i next = NextByteLanes(bytes, text);
  // 110xxxxx then 10yyyyyy make xxxxxyyyyyy: (lead << 6) | (next & 3F), the lead's top bits
  // shifted out of the unit.
  const __m512i twoByteUnits = _mm512_and_si512(
      _mm512_ternarylogic_epi32(_mm512_slli_epi16(lanes, 6), next, _mm512_set1_epi16(0x3F), 0xF8),
      _mm512_set1_epi16(0x7FF));
  const __m512i units = _mm512_mask_mov_epi16(lanes, static_cast<__mmask32>(leads), twoByteUnits);
  return StoreKeptLanes(out, text & ~continuations, units);
}

// Short single-byte text of up to 32 bytes in one block, where bytes 01-7F are ASCII: each byte
// takes a 16-bit lane, and those from 0x80 up their units from the codeset's upper half, four
// registers that two two-register permutes by the byte's low six bits and a blend by its seventh
// look up.
TARVO_AVX512 std::size_t DecodeShortSingleByte(const char* bytes, std::size_t size, char16_t* out,
                                               const NarrowCodec::SingleByteTables& tables) {
  if (size > 32 || !tables.asciiCompatible || ShortSpansLeavePages(bytes, size, out))
    return NarrowCodec::kDoesNotFit;
  const auto [block, text] = LoadShortBytes(bytes, size);
  const unsigned length = static_cast<unsigned>(_mm_popcnt_u64(text));
  const __m512i lanes = ByteLanes(block);
  const __m512i found = LookUpUpperHalf(tables.decode.data() + 0x80, lanes, UpperQuarter(lanes));
  const __m512i units = _mm512_mask_mov_epi16(lanes, static_cast<__mmask32>(HighBytes(block)), found);
  _mm512_mask_storeu_epi16(out, static_cast<__mmask32>((std::uint64_t{1} << length) - 1), units);
  return length;
}

// Short multi-byte text spanning more rows than this goes the long way.
constexpr int kMostRowsInShortText = 4;
// Up to this many pairs are looked up one at a time.
constexpr int kMostPairsLookedUpAlone = 2;

// Short multi-byte text of up to 32 bytes in one block, where bytes 01-7F are ASCII and every other
// character is two bytes, or three that begin with the codeset's one three-byte lead. Leaving those
// leads aside, the bytes from 0x80 up pair off from the start of each run of them, as decoding one
// character after another would pair them where each pair is a character. One or two pairs are
// looked up with plain loads; more by permutes, every byte in a 16-bit lane as if it led a pair,
// so that the units come out in their leads' places among the ASCII. A lead without a row, a pair
// that is no character or a run of odd length sends the text the long way.
TARVO_AVX512 std::size_t DecodeShortMultiByte(const char* bytes, std::size_t size, char16_t* out,
                                              const MultiByteTables& tables) {
  if (size > 32 || !tables.asciiCompatible || ShortSpansLeavePages(bytes, size, out))
    return NarrowCodec::kDoesNotFit;
  const auto [block, text] = LoadShortBytes(bytes, size);
  const std::uint64_t highOrLead = HighBytes(block) & text;
  const unsigned length = static_cast<unsigned>(_mm_popcnt_u64(text));
  if (highOrLead == 0) {
    _mm512_mask_storeu_epi16(out, static_cast<__mmask32>((std::uint64_t{1} << length) - 1), ByteLanes(block));
    return length;
  }
  const std::uint64_t threeByteLeads =
      tables.threeByteLead == 0 ? 0
                                : _mm512_mask_cmpeq_epi8_mask(
                                      text, block, _mm512_set1_epi8(static_cast<char>(tables.threeByteLead)));
  const std::uint64_t high = highOrLead & ~threeByteLeads;
  // Adding a run's first bit carries through the run and clears it: so the runs that start on an
  // even byte are found at once, and each run's leads are the bytes of its start's parity.
  constexpr std::uint64_t kEven = 0x5555555555555555;
  const std::uint64_t starts = high & ~(high << 1);
  const std::uint64_t evenRuns = high & ~(high + (starts & kEven));
  const std::uint64_t leads = (evenRuns & kEven) | (high & ~evenRuns & ~kEven);
  const std::uint64_t trails = high & ~leads;
  if (trails != leads << 1 || (threeByteLeads << 1 & ~leads) != 0) return NarrowCodec::kDoesNotFit;
  const std::uint64_t keep = text & ~trails & ~threeByteLeads;
  __m512i units = ByteLanes(block);
  if (_mm_popcnt_u64(leads) <= kMostPairsLookedUpAlone) {
    // A pair or two, as in Latin text with accents: each looked up with plain loads and put in its
    // lead's place among the widened bytes, which is shorter than the shuffles below.
    for (std::uint64_t left = leads; left != 0; left &= left - 1) {
      const std::uint64_t at = _tzcnt_u64(left);
      const std::size_t lead = static_cast<unsigned char>(bytes[at]) - 0x80;
      const std::uint32_t row =
          (threeByteLeads << 1 >> at & 1) != 0 ? tables.threeByteRows[lead] : tables.leadRows[lead];
      const std::uint32_t entry = tables.rows[row][static_cast<unsigned char>(bytes[at + 1])];
      if (row == 0 || entry >= MultiByteTables::kNext) return NarrowCodec::kDoesNotFit;
      units = _mm512_mask_set1_epi16(units, static_cast<__mmask32>(std::uint64_t{1} << at),
                                     static_cast<short>(entry));
    }
    return StoreKeptLanes(out, keep, units);
  }
  // Each byte's row, as if it led a pair, from one shuffle (from another after a three-byte lead,
  // made only where the text has one), and its trail, the byte after it, read again one byte
  // further on.
  const __mmask32 leadLanes = static_cast<__mmask32>(leads);
  __m512i leadRows =
      _mm512_permutex2var_epi8(Load512(tables.leadRows.data()), block, Load512(tables.leadRows.data() + 64));
  if (threeByteLeads != 0) {
    leadRows = _mm512_mask_blend_epi8(threeByteLeads << 1, leadRows,
                                      _mm512_permutex2var_epi8(Load512(tables.threeByteRows.data()), block,
                                                               Load512(tables.threeByteRows.data() + 64)));
  }
  const __m512i rows = ByteLanes(leadRows);
  if (_mm512_mask_testn_epi16_mask(leadLanes, rows, rows) != 0) return NarrowCodec::kDoesNotFit;
  const __m512i trailBytes = NextByteLanes(bytes, text);
  // A row's units for the trails are its upper half, looked up for every lead of the row at once.
  const __mmask32 upperQuarter = UpperQuarter(trailBytes);
  __mmask32 left = leadLanes;
  // The first row comes from the bytes themselves, sooner than from the register.
  const std::uint64_t firstLead = _tzcnt_u64(leads);
  const std::size_t firstLeadByte = static_cast<unsigned char>(bytes[firstLead]) - 0x80;
  std::uint32_t row = (threeByteLeads << 1 >> firstLead & 1) != 0 ? tables.threeByteRows[firstLeadByte]
                                                                  : tables.leadRows[firstLeadByte];
  for (int rowsSeen = 1;; ++rowsSeen) {
    const __mmask32 same =
        _mm512_mask_cmpeq_epi16_mask(left, rows, _mm512_set1_epi16(static_cast<short>(row)));
    units = _mm512_mask_blend_epi16(same, units,
                                    LookUpUpperHalf(tables.upperUnits[row].data(), trailBytes, upperQuarter));
    left &= static_cast<__mmask32>(~same);
    if (left == 0) break;
    if (rowsSeen == kMostRowsInShortText) return NarrowCodec::kDoesNotFit;
    row = static_cast<std::uint32_t>(
        _mm_extract_epi16(_mm512_castsi512_si128(_mm512_permutexvar_epi16(
                              _mm512_set1_epi16(static_cast<short>(_tzcnt_u32(left))), rows)),
                          0));
  }
  if (_mm512_mask_testn_epi16_mask(leadLanes, units, units) != 0) return NarrowCodec::kDoesNotFit;
  return StoreKeptLanes(out, keep, units);
}

// Encodes 32 units below 0x800, some of them from 0x80 up, and returns where the output continues.
// Each unit is first written as two bytes: a two-byte sequence (lead, then continuation), or ASCII and
// a zero byte; one compress then packs the bytes that belong to the output to the front.
TARVO_AVX512 inline char* EncodeOneAndTwoByteUnits(__m512i units, char* out,
                                                   std::uint64_t inText = ~std::uint64_t{0}) {
  const __m512i pairs = _mm512_ternarylogic_epi32(  // a | b | c
      _mm512_srli_epi16(units, 6), _mm512_and_si512(_mm512_slli_epi16(units, 8), _mm512_set1_epi16(0x3F00)),
      _mm512_set1_epi16(static_cast<short>(0x80C0)), 0xFE);
  const __m512i bytes =
      _mm512_mask_mov_epi16(units, _mm512_test_epi16_mask(units, _mm512_set1_epi16(-0x80)), pairs);
  // Every low byte stays; a high byte stays where it is a continuation, which is never zero.
  const std::uint64_t keep =
      (_mm512_test_epi8_mask(bytes, _mm512_set1_epi16(static_cast<short>(0xFF00))) | 0x5555555555555555) &
      inText;
  _mm512_storeu_si512(out, _mm512_maskz_compress_epi8(keep, bytes));
  return out + _mm_popcnt_u64(keep);
}

// 32 units at a time: narrowed whole when all are ASCII, packed as above when none needs three or
// four bytes, one character at a time otherwise.
TARVO_AVX512 std::size_t EncodeUtf8(const char16_t* p, std::size_t size, char* out) {
  const char16_t* const end = p + size;
  char* const start = out;
  while (end - p >= 32) {
    const __m512i units = Load512(p);
    if (_mm512_test_epi16_mask(units, _mm512_set1_epi16(-0x80)) == 0) {
      _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), _mm512_cvtepi16_epi8(units));
      p += 32;
      out += 32;
    } else if (_mm512_test_epi16_mask(units, _mm512_set1_epi16(-0x800)) == 0) {
      out = EncodeOneAndTwoByteUnits(units, out);
      p += 32;
    } else {
      // A surrogate pair across the block's end is taken whole, and the next block starts after it.
      const char16_t* const blockEnd = p + 32;
      while (p < blockEnd) p = scalar::EncodeUtf8Step(p, end, out);
    }
  }
  static const auto encodeRest = Avx2Kernels()->encodeUtf8;
  out += encodeRest(p, static_cast<std::size_t>(end - p), out);
  return static_cast<std::size_t>(out - start);
}

// Short text of up to 32 units in one block: a masked load reads no unit past its end, and only the
// bytes of the units before the first U+0000 are kept.
TARVO_AVX512 std::size_t EncodeShortUtf8(const char16_t* units, std::size_t size, char* out) {
  if (size > 32 || ShortUnitsLeavePage(units, size)) return NarrowCodec::kDoesNotFit;
  const auto [block, text, length] = LoadShortUnits(units, size);
  if (_mm512_mask_test_epi16_mask(text, block, _mm512_set1_epi16(-0x800)) != 0)
    return NarrowCodec::kDoesNotFit;
  const std::uint64_t bytesInText = length == 32 ? ~std::uint64_t{0} : (std::uint64_t{1} << (2 * length)) - 1;
  return static_cast<std::size_t>(EncodeOneAndTwoByteUnits(block, out, bytesInText) - out);
}

// Short text spanning more values of the units' high byte than this goes the long way.
constexpr int kMostPagesInShortText = 4;

// Every unit's byte as if its high byte were `page`: the encoding table holds 256 bytes for each
// value of a unit's high byte, four registers, and two two-register permutes by the low byte's low
// seven bits and a blend by its top bit look them up. The upper half of the register is of no use.
TARVO_AVX512 inline __m256i PageBytes(const NarrowCodec::SingleByteTables& tables, unsigned page,
                                      __m512i lowBytes, __mmask64 upperHalf) {
  const unsigned char* const table = tables.encode.data() + 256 * page;
  const __m512i lower = _mm512_permutex2var_epi8(Load512(table), lowBytes, Load512(table + 64));
  const __m512i upper = _mm512_permutex2var_epi8(Load512(table + 128), lowBytes, Load512(table + 192));
  return _mm512_castsi512_si256(_mm512_mask_blend_epi8(upperHalf, lower, upper));
}

// Short text of up to 32 units into a single-byte codeset in one block: every unit of one high byte
// at once (PageBytes), for up to four of them. The first unit's high byte is looked up first, and
// where that is not 00, high byte 00 (spaces, digits, punctuation) at the same time rather than
// after it, as text in another script needs: 24 bytes of Russian into CP1251 took 5 to 8% less
// time than with the two looked up one after the other.
TARVO_AVX512 std::size_t EncodeShortSingleByte(const char16_t* units, std::size_t size, unsigned char* out,
                                               const NarrowCodec::SingleByteTables& tables) {
  if (size > 32 || ShortUnitsLeavePage(units, size)) return NarrowCodec::kDoesNotFit;
  const auto [block, text, length] = LoadShortUnits(units, size);
  const __m512i lowBytes = _mm512_castsi256_si512(_mm512_cvtepi16_epi8(block));
  const __m256i high = _mm512_cvtepi16_epi8(_mm512_srli_epi16(block, 8));
  const __mmask64 upperHalf = _mm512_movepi8_mask(lowBytes);
  if (length == 0) return 0;
  const unsigned firstPage = static_cast<unsigned>(units[0]) >> 8;
  const __mmask32 onFirst =
      _mm256_mask_cmpeq_epi8_mask(text, high, _mm256_set1_epi8(static_cast<char>(firstPage)));
  __m256i bytes = _mm256_maskz_mov_epi8(onFirst, PageBytes(tables, firstPage, lowBytes, upperHalf));
  __mmask32 left = text & static_cast<__mmask32>(~onFirst);
  if (left != 0 && firstPage != 0) {
    const __mmask32 onZero = _mm256_mask_testn_epi8_mask(left, high, high);
    bytes = _mm256_mask_mov_epi8(bytes, onZero, PageBytes(tables, 0, lowBytes, upperHalf));
    left &= static_cast<__mmask32>(~onZero);
  }
  for (int pagesSeen = firstPage != 0 ? 2 : 1; left != 0; ++pagesSeen) {
    if (pagesSeen == kMostPagesInShortText) return NarrowCodec::kDoesNotFit;
    const unsigned page = static_cast<unsigned>(units[_tzcnt_u32(left)]) >> 8;
    const __mmask32 same = _mm256_mask_cmpeq_epi8_mask(left, high, _mm256_set1_epi8(static_cast<char>(page)));
    bytes = _mm256_mask_mov_epi8(bytes, same, PageBytes(tables, page, lowBytes, upperHalf));
    left &= static_cast<__mmask32>(~same);
  }
  // 0 marks a character that the codeset lacks, and every surrogate.
  if (_mm256_mask_testn_epi8_mask(text, bytes, bytes) != 0) return NarrowCodec::kDoesNotFit;
  _mm256_storeu_si256(reinterpret_cast<__m256i*>(out), bytes);
  return length;
}

// Packs the bytes of sixteen multi-byte table entries (each its bytes, the first lowest, and their
// count in the top byte) to the front of `out`, writing only those, and returns how many.
TARVO_AVX512 inline unsigned StoreSequences(char* out, __m512i entries) {
  // Each entry's count in all four of its bytes, against each byte's place in the entry.
  const __m512i counts = _mm512_shuffle_epi8(
      entries, _mm512_broadcast_i32x4(_mm_setr_epi8(3, 3, 3, 3, 7, 7, 7, 7, 11, 11, 11, 11, 15, 15, 15, 15)));
  const std::uint64_t keep = _mm512_cmplt_epu8_mask(_mm512_set1_epi32(0x03020100), counts);
  const unsigned kept = static_cast<unsigned>(_mm_popcnt_u64(keep));
  _mm512_mask_storeu_epi8(out, (std::uint64_t{1} << kept) - 1, _mm512_maskz_compress_epi8(keep, entries));
  return kept;
}

// Up to this many units of sixteen are looked up with plain loads, more with a gather, which costs
// as much as several.
constexpr int kMostUnitsLookedUpAlone = 4;

// The table entries of sixteen units (a lane each) that `lanes` marks, 0 in the other lanes. Where
// ASCII is itself, its entries are made here rather than looked up: one byte, itself.
TARVO_AVX512 inline __m512i EntriesOf(const char16_t* units, __m256i block, __mmask16 lanes,
                                      const MultiByteTables& tables) {
  const __m512i indexes = _mm512_cvtepu16_epi32(block);
  __m512i entries = _mm512_setzero_si512();
  if (tables.asciiCompatible) {
    const __mmask16 ascii = _mm512_mask_cmplt_epu32_mask(lanes, indexes, _mm512_set1_epi32(0x80));
    entries = _mm512_maskz_or_epi32(ascii, indexes, _mm512_set1_epi32(0x01000000));
    lanes &= static_cast<__mmask16>(~ascii);
  }
  if (_mm_popcnt_u32(lanes) > kMostUnitsLookedUpAlone) {
    return _mm512_mask_i32gather_epi32(entries, lanes, indexes, tables.encode.data(), 4);
  }
  for (unsigned left = lanes; left != 0; left &= left - 1) {
    const unsigned at = _tzcnt_u32(left);
    entries = _mm512_mask_set1_epi32(entries, static_cast<__mmask16>(1u << at),
                                     static_cast<int>(tables.encode[units[at]]));
  }
  return entries;
}

// Byte positions 0 to 63.
alignas(64) constexpr unsigned char kPositions[64] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21,
    22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 32, 33, 34, 35, 36, 37, 38, 39, 40, 41, 42, 43,
    44, 45, 46, 47, 48, 49, 50, 51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 62, 63};

// Up to this many units outside ASCII among ASCII that is itself are put in place one by one.
constexpr int kMostUnitsPutInPlace = 2;

// Short text of up to 32 units into a multi-byte codeset in one block: each unit's table entry
// comes into a 32-bit lane, sixteen at a time, and its bytes are packed. A unit that the table lacks
// (0: a character that the codeset lacks, and every surrogate) sends the text the long way, which
// writes the replacement. Text of ASCII with a character or two of the codeset, as Latin text with
// accents, is narrowed whole instead, and each character's bytes are put in its place by one
// two-register byte permute, which moves the bytes after it on: the last character first, so that
// the places before it hold (Latin in EUC-JP, 24 bytes: 15% less time).
TARVO_AVX512 std::size_t EncodeShortMultiByte(const char16_t* units, std::size_t size, char* out,
                                              const MultiByteTables& tables) {
  if (size > 32 || ShortUnitsLeavePage(units, size)) return NarrowCodec::kDoesNotFit;
  const auto [block, text, length] = LoadShortUnits(units, size);
  const __mmask32 others = _mm512_mask_cmpge_epu16_mask(text, block, _mm512_set1_epi16(0x80));
  if (tables.asciiCompatible && _mm_popcnt_u32(others) <= kMostUnitsPutInPlace) {
    const __m512i positions = Load512(kPositions);
    __m512i bytes = _mm512_castsi256_si512(_mm512_cvtepi16_epi8(block));
    std::size_t written = length;
    for (__mmask32 left = others; left != 0;) {
      const unsigned at = 31 - static_cast<unsigned>(__builtin_clz(left));
      left &= static_cast<__mmask32>(~(1u << at));
      const std::uint32_t entry = tables.encode[units[at]];
      if (entry == 0) return NarrowCodec::kDoesNotFit;
      const unsigned count = entry >> 24;
      // Byte j takes byte j before the character, its sequence's byte j - at (the entry, repeated
      // in the second register) within it, and byte j - count + 1 after it.
      const __mmask64 before = _mm512_cmplt_epu8_mask(positions, _mm512_set1_epi8(static_cast<char>(at)));
      const __mmask64 within =
          _mm512_cmplt_epu8_mask(positions, _mm512_set1_epi8(static_cast<char>(at + count))) & ~before;
      __m512i index = _mm512_sub_epi8(positions, _mm512_set1_epi8(static_cast<char>(count - 1)));
      index = _mm512_mask_mov_epi8(index, before, positions);
      index = _mm512_mask_add_epi8(index, within, positions, _mm512_set1_epi8(static_cast<char>(64 - at)));
      bytes = _mm512_permutex2var_epi8(bytes, index, _mm512_set1_epi32(static_cast<int>(entry)));
      written += count - 1;
    }
    _mm512_mask_storeu_epi8(out, (std::uint64_t{1} << written) - 1, bytes);
    return written;
  }
  const __mmask16 first = static_cast<__mmask16>(text), second = static_cast<__mmask16>(text >> 16);
  const __m512i firstEntries = EntriesOf(units, _mm512_castsi512_si256(block), first, tables);
  if (_mm512_mask_testn_epi32_mask(first, firstEntries, firstEntries) != 0) return NarrowCodec::kDoesNotFit;
  if (second == 0) return StoreSequences(out, firstEntries);
  const __m512i secondEntries = EntriesOf(units + 16, _mm512_extracti64x4_epi64(block, 1), second, tables);
  if (_mm512_mask_testn_epi32_mask(second, secondEntries, secondEntries) != 0)
    return NarrowCodec::kDoesNotFit;
  const unsigned written = StoreSequences(out, firstEntries);
  return written + StoreSequences(out + written, secondEntries);
}

TARVO_AVX512 std::size_t WidenAscii(const char* bytes, std::size_t size, char16_t* out) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(bytes);
  const unsigned char* const end = p + size;
  char16_t* const start = out;
  AlignOnAsciiHead(p, end, out);
  for (; end - p >= 64; p += 64, out += 64) {
    const __m512i block = Load512(p);
    StoreWidened(out, block);
    const std::uint64_t others = NulOrHighBytes(block);
    if (others != 0) return static_cast<std::size_t>(out - start) + _tzcnt_u64(others);
  }
  // The last bytes, fewer than 64, in one masked block. The bytes past them read as NULs, which end
  // the run at their start at the latest.
  const std::size_t rest = static_cast<std::size_t>(end - p);
  if (SpanLeavesPage(p, rest, 64) || SpanLeavesPage(out, 2 * rest, 128)) {
    static const auto widenRest = Avx2Kernels()->widenAscii;
    return static_cast<std::size_t>(out - start) + widenRest(reinterpret_cast<const char*>(p), rest, out);
  }
  const auto [block, text] = LoadShortBytes(reinterpret_cast<const char*>(p), rest);
  _mm512_mask_storeu_epi16(out, static_cast<__mmask32>(text), ByteLanes(block));
  _mm512_mask_storeu_epi16(out + 32, static_cast<__mmask32>(text >> 32),
                           _mm512_cvtepu8_epi16(_mm512_extracti64x4_epi64(block, 1)));
  return static_cast<std::size_t>(out - start) + _tzcnt_u64(NulOrHighBytes(block));
}

// The low byte of each of 64 units held in two registers side by side.
alignas(64) constexpr unsigned char kLowBytes[64] = {
    0,  2,  4,  6,  8,  10, 12,  14,  16,  18,  20,  22,  24,  26,  28,  30,  32,  34,  36,  38, 40, 42,
    44, 46, 48, 50, 52, 54, 56,  58,  60,  62,  64,  66,  68,  70,  72,  74,  76,  78,  80,  82, 84, 86,
    88, 90, 92, 94, 96, 98, 100, 102, 104, 106, 108, 110, 112, 114, 116, 118, 120, 122, 124, 126};

// Units 0001 to 007F.
TARVO_AVX512 inline __mmask32 PlainUnits(__m512i units) {
  return _mm512_cmplt_epu16_mask(_mm512_sub_epi16(units, _mm512_set1_epi16(1)), _mm512_set1_epi16(0x7F));
}

// 64 units at a time: one two-register permute takes their low bytes, and two compares check them.
TARVO_AVX512 std::size_t NarrowAscii(const char16_t* units, std::size_t size, char* out) {
  const __m512i lowBytes = Load512(kLowBytes);
  std::size_t i = 0;
  for (; size - i >= 64; i += 64) {
    const __m512i first = Load512(units + i), second = Load512(units + i + 32);
    _mm512_storeu_si512(out + i, _mm512_permutex2var_epi8(first, lowBytes, second));
    const std::uint64_t plain = PlainUnits(first) | std::uint64_t{PlainUnits(second)} << 32;
    if (plain != ~std::uint64_t{0}) return i + _tzcnt_u64(~plain);
  }
  // The last units, fewer than 64, in one masked block. The units past them read as U+0000, which
  // ends the run at `rest` at the latest.
  const std::size_t rest = size - i;
  if (SpanLeavesPage(units + i, 2 * rest, 128) || SpanLeavesPage(out + i, rest, 64)) {
    static const auto narrowRest = Avx2Kernels()->narrowAscii;
    return i + narrowRest(units + i, rest, out + i);
  }
  const std::uint64_t inRest = (std::uint64_t{1} << rest) - 1;
  const __m512i first = _mm512_maskz_loadu_epi16(static_cast<__mmask32>(inRest), units + i);
  const __m512i second = _mm512_maskz_loadu_epi16(static_cast<__mmask32>(inRest >> 32), units + i + 32);
  _mm512_mask_storeu_epi8(out + i, inRest, _mm512_permutex2var_epi8(first, lowBytes, second));
  const std::uint64_t plain = PlainUnits(first) | std::uint64_t{PlainUnits(second)} << 32;
  return i + _tzcnt_u64(~plain);
}

}  // namespace

const CodecKernels* Avx512Kernels() {
  __builtin_cpu_init();
  const bool supported = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                         __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
                         __builtin_cpu_supports("avx512vbmi2") && __builtin_cpu_supports("bmi2") &&
                         Avx2Kernels() != nullptr;
  if (!supported) return nullptr;
  // The AVX2 set with this file's loops in place of its own; built once, then only read.
  static const CodecKernels kAvx512 = [] {
    CodecKernels kernels = *Avx2Kernels();
    kernels.set = NarrowCodec::KernelSet::Avx512;
    kernels.decodeUtf8 = DecodeUtf8;
    kernels.encodeUtf8 = EncodeUtf8;
    kernels.narrowAscii = NarrowAscii;
    kernels.widenAscii = WidenAscii;
    kernels.decodeShortUtf8 = DecodeShortUtf8;
    kernels.encodeShortUtf8 = EncodeShortUtf8;
    kernels.encodeShortSingleByte = EncodeShortSingleByte;
    kernels.decodeShortSingleByte = DecodeShortSingleByte;
    kernels.decodeShortMultiByte = DecodeShortMultiByte;
    kernels.encodeShortMultiByte = EncodeShortMultiByte;
    return kernels;
  }();
  return &kAvx512;
}

}  // namespace tarvo::interop

#else

namespace tarvo::interop {
const CodecKernels* Avx512Kernels() {
  return nullptr;
}
}  // namespace tarvo::interop

#endif
