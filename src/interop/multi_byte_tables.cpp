// Converting text with the multi-byte tables, both ways.
#include "interop/multi_byte_tables.h"

#include <algorithm>
#include <bit>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "interop/codec_scalar.h"

namespace tarvo::interop {
namespace {

constexpr std::size_t kLongRun = 64;

#if defined(__SSE2__)
// Text in these codesets mixes short runs of ASCII with other characters, so runs go 16 at a time
// inline rather than through a kernel call each. SSE2 is part of every x86-64 processor.
constexpr bool kHaveSse2 = true;

// Widens the 16 bytes at `in` (all of them, ASCII or not) and returns how many lead the block as ASCII.
inline std::size_t WidenAscii16(const unsigned char* in, char16_t* out) {
  const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_unpacklo_epi8(bytes, _mm_setzero_si128()));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out + 8), _mm_unpackhi_epi8(bytes, _mm_setzero_si128()));
  const unsigned others = static_cast<unsigned>(_mm_movemask_epi8(bytes));
  return others == 0 ? 16 : static_cast<std::size_t>(__builtin_ctz(others));
}

// Whether the mask has four bits or more set: each step clears the lowest one.
inline bool FourOrMore(unsigned mask) {
  for (int i = 0; i < 3; ++i) mask &= mask - 1;
  return mask != 0;
}

// Bit i set where unit i of the 16 in `first` and `second` is outside ASCII: adding 0x7F80 with
// saturation carries exactly those units into the sign bit.
inline unsigned MarkOthers(__m128i first, __m128i second) {
  const __m128i carry = _mm_set1_epi16(0x7F80);
  return static_cast<unsigned>(
      _mm_movemask_epi8(_mm_packs_epi16(_mm_adds_epu16(first, carry), _mm_adds_epu16(second, carry))));
}

// Narrows the 16 units at `in` into out (saturated, so that only the ASCII among them is right) and
// returns which of them are outside ASCII: bit i for unit i.
inline unsigned NarrowAndMarkOthers16(const char16_t* in, char* out) {
  const __m128i first = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in));
  const __m128i second = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8));
  _mm_storeu_si128(reinterpret_cast<__m128i*>(out), _mm_packus_epi16(first, second));
  return MarkOthers(first, second);
}

// Narrows the 16 units at `in` and returns how many lead them as ASCII (those bytes are right).
inline std::size_t NarrowAscii16(const char16_t* in, char* out) {
  return static_cast<std::size_t>(__builtin_ctz(NarrowAndMarkOthers16(in, out) | 0x10000));
}
#else
constexpr bool kHaveSse2 = false;
inline std::size_t WidenAscii16(const unsigned char*, char16_t*) {
  return 0;
}
inline std::size_t NarrowAscii16(const char16_t*, char*) {
  return 0;
}
inline unsigned NarrowAndMarkOthers16(const char16_t*, char*) {
  return 0xFFFF;
}
#endif

// Writes the bytes of an encoding table entry at out and returns where the next character goes.
// On a little-endian processor the whole entry is stored at once: its top byte, the count, lands
// where the next character's bytes go, or in the output's slack.
inline char* StoreSequence(std::uint32_t entry, char* out) {
  if constexpr (std::endian::native == std::endian::little) {
    std::memcpy(out, &entry, sizeof(entry));
  } else {
    out[0] = static_cast<char>(entry & 0xFF);
    out[1] = static_cast<char>((entry >> 8) & 0xFF);
    out[2] = static_cast<char>((entry >> 16) & 0xFF);
  }
  return out + (entry >> 24);
}

// Text where ASCII is itself and other characters are few, as in words of a Latin script with
// accents, is encoded by chunks in two passes: the first lists where the other characters are, the
// second narrows the ASCII between them and looks each of them up. No branch depends on where a
// character falls, where a single pass ends each run of ASCII at an unpredictable place.
constexpr std::size_t kSparseChunk = 512;
// The second pass narrows 32 units after each character whether or not they are ASCII, reading up to
// that far past the chunk; so a chunk is only taken with that much text after it.
constexpr std::size_t kSparseReadAhead = 32;

// How many units (or bytes) of the `left` to take as a chunk: a multiple of 64, or 0 where too few are
// left for one with its read-ahead.
inline std::size_t SparseChunkUnits(std::ptrdiff_t left) {
  if (left < static_cast<std::ptrdiff_t>(64 + kSparseReadAhead)) return 0;
  return std::min(kSparseChunk, (static_cast<std::size_t>(left) - kSparseReadAhead) & ~std::size_t{63});
}

// Whether the processor runs the chunks' builds for POPCNT and BMI.
inline bool HasBitInstructions(const CodecKernels& kernels) {
  return kernels.set == NarrowCodec::KernelSet::Avx2 || kernels.set == NarrowCodec::KernelSet::Avx512;
}

enum class SparseChunk {
  Encoded,  // and out moved past it
  Dense,    // more than one character in four is outside ASCII
  Unmapped  // a unit is not in the table: a surrogate, or a character that the codeset lacks
};

#if defined(__SSE2__)
// Bit i set where unit i of the 16 at `in` is outside ASCII.
inline unsigned MarkOthers16(const char16_t* in) {
  return MarkOthers(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)),
                    _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 8)));
}

inline std::uint64_t MarkOthers64(const char16_t* in) {
  return MarkOthers16(in) | std::uint64_t{MarkOthers16(in + 16)} << 16 |
         std::uint64_t{MarkOthers16(in + 32)} << 32 | std::uint64_t{MarkOthers16(in + 48)} << 48;
}

// Appends base plus the position of each bit set in `mask`, lowest first, and returns the new end.
// Eight are written whether or not the mask has them, so that the usual count takes no branch of its
// own; the array has room for eight past its last position.
[[gnu::always_inline]] inline std::uint16_t* AppendPositions(std::uint64_t mask, std::size_t base,
                                                             std::uint16_t* positions) {
  const int count = std::popcount(mask);
  // Past the last bit, any position will do; testing for none would be a branch taken at random. The
  // top bit keeps the mask from running out, and stands for itself where the mask has it too.
  constexpr std::uint64_t kTop = std::uint64_t{1} << 63;
  const auto append = [&](int i) {
    positions[i] = static_cast<std::uint16_t>(base + static_cast<std::size_t>(__builtin_ctzll(mask | kTop)));
    mask &= mask - 1;
  };
  for (int i = 0; i < 8; ++i) append(i);
  for (int i = 8; i < count; ++i) append(i);
  return positions + count;
}

// Encodes the `units` at p (a multiple of 64, up to kSparseChunk), which kSparseReadAhead more
// follow, where ASCII is itself.
[[gnu::always_inline]] inline SparseChunk EncodeSparseChunk(const char16_t* p, std::size_t units, char*& out,
                                                            const std::uint32_t* encode) {
  std::uint64_t masks[kSparseChunk / 64];
  int count = 0;
  for (std::size_t i = 0; i < units / 64; ++i) {
    masks[i] = MarkOthers64(p + 64 * i);
    count += std::popcount(masks[i]);
  }
  if (count > static_cast<int>(units / 4)) return SparseChunk::Dense;
  std::uint16_t positions[kSparseChunk / 4 + 8];
  std::uint16_t* last = positions;
  for (std::size_t i = 0; i < units / 64; ++i) last = AppendPositions(masks[i], 64 * i, last);
  char* written = out;
  std::size_t done = 0;  // units of the chunk written
  std::uint32_t unknown = 0;
  for (const std::uint16_t* next = positions; next != last; ++next) {
    const std::size_t at = *next;
    // Most runs of ASCII between two characters are shorter than 32 units.
    NarrowAndMarkOthers16(p + done, written);
    NarrowAndMarkOthers16(p + done + 16, written + 16);
    for (std::size_t more = 32; more < at - done; more += 16) {
      NarrowAndMarkOthers16(p + done + more, written + more);
    }
    written += at - done;
    const std::uint32_t entry = encode[p[at]];
    unknown |= static_cast<std::uint32_t>(entry == 0);
    written = StoreSequence(entry, written);
    done = at + 1;
  }
  for (std::size_t ascii = done; ascii < units; ascii += 16) {
    NarrowAndMarkOthers16(p + ascii, written + (ascii - done));
  }
  if (unknown != 0) return SparseChunk::Unmapped;
  out = written + (units - done);
  return SparseChunk::Encoded;
}

// The same, built once for any x86-64 processor and once for those with POPCNT and BMI (every one
// that runs the AVX2 or AVX-512 kernels), where counting and finding bits take an instruction each.
SparseChunk EncodeSparseChunkSse2(const char16_t* p, std::size_t units, char*& out,
                                  const std::uint32_t* encode) {
  return EncodeSparseChunk(p, units, out, encode);
}
[[gnu::target("popcnt,bmi")]] SparseChunk EncodeSparseChunkBmi(const char16_t* p, std::size_t units,
                                                               char*& out, const std::uint32_t* encode) {
  return EncodeSparseChunk(p, units, out, encode);
}
#else
SparseChunk EncodeSparseChunkSse2(const char16_t*, std::size_t, char*&, const std::uint32_t*) {
  return SparseChunk::Dense;
}
SparseChunk EncodeSparseChunkBmi(const char16_t*, std::size_t, char*&, const std::uint32_t*) {
  return SparseChunk::Dense;
}
#endif

// Copies the run of ASCII at p, which maps to itself both ways, and leaves p after it. With vector
// instructions, whole blocks of 16 go through `block` (which converts 16 and tells how many of them
// lead as ASCII) and step by a constant, so that the next load need not wait for this one's count; a
// run that goes on past kLongRun is left to `rest` (the kernels, faster on long runs), which converts
// the whole remaining run and tells its length.
template <class In, class Out, class Block, class Rest>
void CopyAsciiRun(const In*& p, const In* end, Out*& out, bool vector, Block block, Rest rest) {
  for (std::size_t blocks = 0; vector && end - p >= 16; ++blocks) {
    if (blocks * 16 == kLongRun) {
      const std::size_t length = rest(static_cast<std::size_t>(end - p));
      p += length;
      out += length;
      return;
    }
    const std::size_t run = block(p, out);
    if (run != 16) {
      p += run;
      out += run;
      return;
    }
    p += 16;
    out += 16;
  }
  while (p != end && *p < 0x80) *out++ = static_cast<Out>(*p++);
}

// Decodes the character at p, which has at least MultiByteTables::kLongestSequence bytes from p on,
// so that the walk down the tree needs no check for the end of the text. Each outcome has a branch of
// its own that steps p by a constant: where the branches are predicted, the next character's
// position does not wait for the table loads.
inline const unsigned char* DecodeCharacter(const unsigned char* p, char16_t*& out,
                                            const std::array<std::uint32_t, 256>* rows) {
  static_assert(MultiByteTables::kLongestSequence == 3, "one branch per byte of the longest sequence");
  constexpr std::uint32_t kNext = MultiByteTables::kNext;
  constexpr std::uint32_t kInvalid = MultiByteTables::kInvalid;  // kNext is set in it too
  const std::uint32_t first = rows[0][p[0]];
  if (first < kNext) {
    *out++ = static_cast<char16_t>(first);
    return p + 1;
  }
  if (first != kInvalid) {
    const std::uint32_t second = rows[first & ~kNext][p[1]];
    if (second < kNext) {
      *out++ = static_cast<char16_t>(second);
      return p + 2;
    }
    if (second != kInvalid) {
      // The third byte's row holds only characters and kInvalid: no sequence is longer.
      const std::uint32_t third = rows[second & ~kNext][p[2]];
      if (third != kInvalid) {
        *out++ = static_cast<char16_t>(third);
        return p + 3;
      }
    }
  }
  *out++ = scalar::kReplacementCharacter;  // and the next byte may begin a character
  return p + 1;
}

#if defined(__SSE2__)
// Bit i set where byte i of the 64 at `in` is from 0x80 up.
inline std::uint64_t MarkHighBytes64(const unsigned char* in) {
  std::uint64_t mask = 0;
  for (int i = 0; i < 4; ++i) {
    const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16 * i));
    mask |= std::uint64_t{static_cast<unsigned>(_mm_movemask_epi8(bytes))} << (16 * i);
  }
  return mask;
}

// Decodes the `units` bytes at p (a multiple of 64, up to kSparseChunk), which begin a character and
// which kSparseReadAhead more follow, where ASCII is itself, and returns where it stopped: after the
// chunk, or after a character that the chunk's end cut. The first pass lists where each run of bytes
// from 0x80 up begins; the second widens the ASCII before each run and decodes the run one character
// at a time.
[[gnu::always_inline]] inline const unsigned char* DecodeChunk(const unsigned char* p, std::size_t units,
                                                               char16_t*& out,
                                                               const std::array<std::uint32_t, 256>* rows) {
  std::uint16_t starts[kSparseChunk / 2 + 8];
  std::uint16_t* last = starts;
  std::uint64_t previous = 0;
  for (std::size_t base = 0; base < units; base += 64) {
    const std::uint64_t high = MarkHighBytes64(p + base);
    // A run that goes on from the 64 bytes before does not begin again here.
    last = AppendPositions(high & ~(high << 1 | previous >> 63), base, last);
    previous = high;
  }
  const unsigned char* const chunkEnd = p + units;
  const unsigned char* done = p;  // the bytes before it are decoded
  for (const std::uint16_t* next = starts; next != last; ++next) {
    const unsigned char* const run = p + *next;
    // Behind `done` where a character took a byte below 0x80 as its last (possible in GBK and Big5).
    if (run < done) continue;
    WidenAscii16(done, out);
    WidenAscii16(done + 16, out + 16);
    for (std::ptrdiff_t more = 32; more < run - done; more += 16) {
      WidenAscii16(done + more, out + more);
    }
    out += run - done;
    done = run;
    do {
      done = DecodeCharacter(done, out, rows);
    } while (done < chunkEnd && *done >= 0x80);
  }
  for (const unsigned char* ascii = done; ascii < chunkEnd; ascii += 16) {
    WidenAscii16(ascii, out + (ascii - done));
  }
  if (done < chunkEnd) {
    out += chunkEnd - done;
    done = chunkEnd;
  }
  return done;
}

// Built twice, as EncodeSparseChunk is.
const unsigned char* DecodeChunkSse2(const unsigned char* p, std::size_t units, char16_t*& out,
                                     const std::array<std::uint32_t, 256>* rows) {
  return DecodeChunk(p, units, out, rows);
}
[[gnu::target("popcnt,bmi")]] const unsigned char* DecodeChunkBmi(
    const unsigned char* p, std::size_t units, char16_t*& out, const std::array<std::uint32_t, 256>* rows) {
  return DecodeChunk(p, units, out, rows);
}
#else
const unsigned char* DecodeChunkSse2(const unsigned char* p, std::size_t, char16_t*&,
                                     const std::array<std::uint32_t, 256>*) {
  return p;
}
const unsigned char* DecodeChunkBmi(const unsigned char* p, std::size_t, char16_t*&,
                                    const std::array<std::uint32_t, 256>*) {
  return p;
}
#endif

}  // namespace

std::size_t DecodeMultiByte(const unsigned char* p, std::size_t size, char16_t* out,
                            const MultiByteTables& tables, const CodecKernels& kernels) {
  const unsigned char* const end = p + size;
  char16_t* const start = out;
  const std::array<std::uint32_t, 256>* const rows = tables.rows.data();
  if (kHaveSse2 && kernels.set != NarrowCodec::KernelSet::Portable && tables.asciiCompatible) {
    // Each step is a chunk that begins with another character, or one character near the end, or one
    // block of 16 bytes that starts with ASCII: in text that mixes the two, most runs of ASCII end
    // within their first block. Two full blocks in a row make a long run, which the kernels widen
    // faster.
    const bool bmi = HasBitInstructions(kernels);
    while (end - p >= 16) {
      if (*p >= 0x80) {
        const std::size_t units = SparseChunkUnits(end - p);
        if (units == 0) {
          p = DecodeCharacter(p, out, rows);
        } else {
          // A copy for the call, whose address escapes, so that `out` itself stays in a register.
          char16_t* chunkOut = out;
          p = bmi ? DecodeChunkBmi(p, units, chunkOut, rows) : DecodeChunkSse2(p, units, chunkOut, rows);
          out = chunkOut;
        }
        continue;
      }
      const std::size_t run = WidenAscii16(p, out);
      p += run;
      out += run;
      if (run == 16 && end - p >= static_cast<std::ptrdiff_t>(kLongRun)) {
        const std::size_t more = WidenAscii16(p, out);
        p += more;
        out += more;
        if (more == 16) {
          const std::size_t length =
              kernels.widenAscii(reinterpret_cast<const char*>(p), static_cast<std::size_t>(end - p), out);
          p += length;
          out += length;
        }
      }
    }
  }
  // The last bytes; all of them without vector instructions, or where bytes 01-7F are not ASCII.
  while (p != end) {
    if (*p < 0x80 && tables.asciiCompatible) {
      do {
        *out++ = static_cast<char16_t>(*p++);
      } while (p != end && *p < 0x80);
      continue;
    }
    if (end - p >= static_cast<std::ptrdiff_t>(MultiByteTables::kLongestSequence)) {
      p = DecodeCharacter(p, out, rows);
      continue;
    }
    // A sequence that the end of the text may cut short.
    std::uint32_t entry = rows[0][*p];
    const unsigned char* next = p + 1;
    while (entry != MultiByteTables::kInvalid && (entry & MultiByteTables::kNext) != 0) {
      entry = next == end ? MultiByteTables::kInvalid : rows[entry & ~MultiByteTables::kNext][*next++];
    }
    if (entry == MultiByteTables::kInvalid) {
      *out++ = scalar::kReplacementCharacter;  // and the next byte may begin a character
      ++p;
    } else {
      *out++ = static_cast<char16_t>(entry);
      p = next;
    }
  }
  return static_cast<std::size_t>(out - start);
}

// Encodes the character at p, which ends before `end`, and returns where the next one begins.
inline const char16_t* EncodeCharacter(const char16_t* p, const char16_t* end, char*& out,
                                       const MultiByteTables& tables) {
  const char16_t unit = *p;
  std::uint32_t entry;
  if (scalar::IsSurrogate(unit)) {
    // A pair is one character beyond what the codeset holds; a lone surrogate is none at all.
    const bool pair = scalar::IsHighSurrogate(unit) && end - p >= 2 && scalar::IsLowSurrogate(p[1]);
    p += pair ? 2 : 1;
    entry = tables.replacement;
  } else {
    entry = tables.encode[unit] != 0 ? tables.encode[unit] : tables.replacement;
    ++p;
  }
  out = StoreSequence(entry, out);
  return p;
}

std::size_t EncodeMultiByte(const char16_t* p, std::size_t size, char* out, const MultiByteTables& tables,
                            const CodecKernels& kernels) {
  const char16_t* const end = p + size;
  char* const start = out;
  const std::uint32_t* const encode = tables.encode.data();
  const bool vector = kHaveSse2 && kernels.set != NarrowCodec::KernelSet::Portable;
  const auto encodeCharacter = [&] { p = EncodeCharacter(p, end, out, tables); };
  if (vector) {
    // Blocks of 16 units, each narrowed whole first. Where ASCII is itself and the block has fewer than
    // four other characters, as where words of a Latin script mix accents with ASCII, the ASCII
    // before each other character is right already; the character's bytes go after it, followed by
    // the next 16 units narrowed, right up to the next other character. A block of more characters
    // has every unit looked up in the table, which holds ASCII too. Either way, a unit that the
    // table lacks (a surrogate, or a character that the codeset lacks) has the block done again one
    // character at a time. Two blocks of ASCII in a row make a long run, which the kernels narrow.
    // Where ASCII is itself, a block with other characters first has the chunk that it begins tried
    // in two passes.
    const bool asciiIsItself = tables.asciiCompatible;
    unsigned asciiBlocks = 0;
    const bool bmi = HasBitInstructions(kernels);
    // Where to try two passes again, after a chunk that they declined; the end where they never serve.
    const char16_t* byBlocksUntil = asciiIsItself ? p : end;
    while (end - p >= 32) {  // the narrowing after a character reads up to 16 units past the block
      char* const blockOut = out;
      const unsigned others = NarrowAndMarkOthers16(p, out);
      if (others != 0 && p >= byBlocksUntil) {
        const std::size_t units = SparseChunkUnits(end - p);
        if (units == 0) {
          byBlocksUntil = end;
        } else {
          const SparseChunk chunk = bmi ? EncodeSparseChunkBmi(p, units, out, encode)
                                        : EncodeSparseChunkSse2(p, units, out, encode);
          if (chunk == SparseChunk::Encoded) {
            p += units;
            asciiBlocks = 0;
            continue;
          }
          // Dense text (a script other than Latin) is likely to go on so for a while.
          byBlocksUntil = p + (chunk == SparseChunk::Dense ? 8 * units : units);
          NarrowAndMarkOthers16(p, out);  // again: the chunk's attempt wrote over it
        }
      }
      std::uint32_t unknown = 0;
      if (!asciiIsItself || FourOrMore(others)) {
        for (int i = 0; i < 16; ++i) {
          const std::uint32_t entry = encode[p[i]];
          unknown |= static_cast<std::uint32_t>(entry == 0);
          out = StoreSequence(entry, out);
        }
      } else {
        // Two characters are written whether the block has them or not, so that blocks with none,
        // one or two, most of them in such text, take the same branches. Past the last character,
        // `at` is 16: the ASCII to the end of the block is counted and a sequence of no bytes
        // written.
        std::size_t done = 0;  // units of the block written
        const auto writeCharacter = [&](unsigned left) {
          const std::size_t at = static_cast<std::size_t>(__builtin_ctz(left | 0x10000));
          out += at - done;
          // All ones unless at is 16, computed rather than tested, so that no branch depends on it.
          const auto present = static_cast<std::uint32_t>(at >> 4) - 1;
          const std::uint32_t entry = encode[p[at]] & present;
          unknown |= present & static_cast<std::uint32_t>(entry == 0);
          out = StoreSequence(entry, out);
          done = at + (present & 1);
          NarrowAndMarkOthers16(p + done, out);
        };
        const unsigned second = others & (others - 1);
        writeCharacter(others);
        writeCharacter(second);
        if ((second & (second - 1)) != 0) writeCharacter(second & (second - 1));
        out += 16 - done;
      }
      if (unknown != 0) {
        out = blockOut;
        const char16_t* const blockEnd = p + 16;
        while (p < blockEnd) encodeCharacter();  // which moves p
        asciiBlocks = 0;
        continue;
      }
      p += 16;
      asciiBlocks = (asciiBlocks + 1) * static_cast<unsigned>(others == 0);
      if (asciiBlocks == 2) {
        const std::size_t length = kernels.narrowAscii(p, static_cast<std::size_t>(end - p), out);
        p += length;
        out += length;
        asciiBlocks = 0;
      }
    }
  }
  while (p != end) {
    if (*p < 0x80 && tables.asciiCompatible) {
      CopyAsciiRun(p, end, out, vector, NarrowAscii16,
                   [&](std::size_t available) { return kernels.narrowAscii(p, available, out); });
      continue;
    }
    encodeCharacter();
  }
  return static_cast<std::size_t>(out - start);
}

std::size_t EncodeMultiByteUntilNul(const char16_t* units, std::size_t size, char* out,
                                    const MultiByteTables& tables) {
  const char16_t* const end = units + size;
  return scalar::EncodeUntilNul(
      units, end, out, tables.asciiCompatible,
      [end, &tables](const char16_t* at, char*& to) { return EncodeCharacter(at, end, to, tables); });
}

}  // namespace tarvo::interop
