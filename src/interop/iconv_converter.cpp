#include "interop/iconv_converter.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <system_error>

#include "interop/codec_kernels.h"
#include "interop/codec_scalar.h"

namespace tarvo::interop {
namespace {

// Converts as much as iconv accepts into `out`, offering at least `room` units and making more room
// whenever it fills. With null `in` and `inLeft` it writes what a stateful encoding needs to return to
// its initial shift state. Returns 0 once done, or the errno (EILSEQ, EINVAL) that stopped iconv at *in.
template <class Output>
int Pump(iconv_t cd, const std::string& codeset, const char** in, std::size_t* inLeft, Output& out,
         std::size_t room) {
  using Unit = typename Output::UnitType;
  while (true) {
    char* outPtr = reinterpret_cast<char*>(out.space(room));
    const std::size_t roomBytes = out.room() * sizeof(Unit);
    std::size_t outLeft = roomBytes;
    // glibc declares the input as char** although it never writes through it.
    const std::size_t result = iconv(cd, const_cast<char**>(in), inLeft, &outPtr, &outLeft);
    const int error = errno;
    out.commit((roomBytes - outLeft) / sizeof(Unit));
    if (result != static_cast<std::size_t>(-1)) return 0;
    if (error == E2BIG) {
      out.grow();
      continue;
    }
    if (error == EILSEQ || error == EINVAL) return error;
    throw std::system_error(error, std::generic_category(),
                            "NarrowCodec: converting with codeset '" + codeset + "' failed");
  }
}

// Converts [*in, end) in windows of at most `window` bytes, each offered room for its whole output.
// iconv converts through a buffer of its own and, when the output fills mid-way, backs up and does
// part of its work again, so it is cheaper never to let it fill. A window that ends inside a
// character stops iconv there (EINVAL), and the character starts the next window. Returns 0 once
// done, or the errno (EILSEQ, or EINVAL at the very end) that stopped iconv at *in.
template <class Output>
int PumpWindows(iconv_t cd, const std::string& codeset, const char** in, const char* end, std::size_t window,
                std::size_t room, Output& out) {
  while (*in != end) {
    std::size_t inLeft = std::min<std::size_t>(static_cast<std::size_t>(end - *in), window);
    const bool last = *in + inLeft == end;
    const int error = Pump(cd, codeset, in, &inLeft, out, room);
    if (error == EILSEQ || (error == EINVAL && last)) return error;
  }
  return 0;
}

// Converts one code unit of type In, alone and from the initial state, and tells whether exactly one
// Out unit equal to it came out before the flush and nothing more at the flush.
template <class In, class Out>
bool ConvertsAloneToItself(iconv_t cd, In unit) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* in = reinterpret_cast<char*>(&unit);
  std::size_t inLeft = sizeof(unit);
  std::array<Out, 4> output{};
  char* out = reinterpret_cast<char*>(output.data());
  std::size_t outLeft = sizeof(output);
  const std::size_t oneUnitLeft = sizeof(output) - sizeof(Out);
  return iconv(cd, &in, &inLeft, &out, &outLeft) != static_cast<std::size_t>(-1) && outLeft == oneUnitLeft &&
         output[0] == static_cast<Out>(unit) &&
         iconv(cd, nullptr, nullptr, &out, &outLeft) != static_cast<std::size_t>(-1) &&
         outLeft == oneUnitLeft;
}

// Runs shorter than this are not worth a check of their own in short text.
constexpr unsigned kShortestRun = 32;

scalar::UnitRun LongestRun(const std::array<unsigned char, 65536>& encode) {
  scalar::UnitRun longest;
  unsigned start = 0, length = 0;
  for (unsigned unit = 0x80; unit < encode.size(); ++unit) {
    if (encode[unit] < 0x80) {  // 0 too: a unit that the codeset lacks
      length = 0;
      continue;
    }
    if (length != 0 && encode[unit] == encode[unit - 1] + 1) {
      ++length;
    } else {
      start = unit;
      length = 1;
    }
    if (length >= kShortestRun && length > longest.units) {
      longest = {static_cast<char16_t>(start), static_cast<std::uint16_t>(length), encode[start]};
    }
  }
  return longest;
}

}  // namespace

void ThrowIconvOpenFailure(int error, const std::string& codeset) {
  if (error == ENOMEM) throw std::bad_alloc();
  if (error == EINVAL) throw std::invalid_argument("NarrowCodec: unknown codeset '" + codeset + "'");
  throw std::system_error(error, std::generic_category(),
                          "NarrowCodec: cannot open a converter for codeset '" + codeset + "'");
}

IconvHandle::IconvHandle(const char* to, const char* from, const std::string& codeset) {
  errno = 0;
  cd_ = iconv_open(to, from);
  if (cd_ == reinterpret_cast<iconv_t>(-1)) ThrowIconvOpenFailure(errno, codeset);
}

std::shared_ptr<const NarrowCodec::SingleByteTables> ProbeSingleByte(const std::string& codeset) {
  IconvHandle cd(kUtf16, codeset.c_str(), codeset);
  auto tables = std::make_shared<NarrowCodec::SingleByteTables>();
  std::array<bool, 256> defined{};
  for (unsigned byte = 1; byte < 256; ++byte) {
    iconv(cd.get(), nullptr, nullptr, nullptr, nullptr);  // back to the initial state
    char input = static_cast<char>(byte);
    char* in = &input;
    std::size_t inLeft = 1;
    std::array<char16_t, 4> units{};
    char* out = reinterpret_cast<char*>(units.data());
    std::size_t outLeft = sizeof(units);
    if (iconv(cd.get(), &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1)) {
      if (errno != EILSEQ) return nullptr;  // EINVAL: the byte begins a multi-byte sequence
      tables->decode[byte] = scalar::kReplacementCharacter;
      continue;
    }
    // Output held back until the flush means the converter composes characters across bytes.
    if (outLeft != sizeof(units) - sizeof(char16_t) || scalar::IsSurrogate(units[0])) return nullptr;
    if (iconv(cd.get(), nullptr, nullptr, &out, &outLeft) == static_cast<std::size_t>(-1) ||
        outLeft != sizeof(units) - sizeof(char16_t)) {
      return nullptr;
    }
    tables->decode[byte] = units[0];
    defined[byte] = true;
  }
  // Walking downwards lets the lowest byte win when several decode to the same character.
  for (unsigned byte = 255; byte >= 1; --byte) {
    if (defined[byte]) tables->encode[tables->decode[byte]] = static_cast<unsigned char>(byte);
  }
  if (tables->encode[u'?'] != 0) tables->replacement = tables->encode[u'?'];
  tables->asciiCompatible = true;
  for (unsigned byte = 1; byte < 0x80; ++byte) {
    if (tables->decode[byte] != byte || tables->encode[byte] != byte) tables->asciiCompatible = false;
  }
  tables->longestRun = LongestRun(tables->encode);
  for (unsigned row = 0; row < 8; ++row) {
    for (unsigned column = 0; column < 16; ++column) {
      const unsigned upper = 0x80 + 16 * row + column;
      tables->upperDecodeLow[row][column] = static_cast<unsigned char>(tables->decode[upper] & 0xFF);
      tables->upperDecodeHigh[row][column] = static_cast<unsigned char>(tables->decode[upper] >> 8);
      tables->upperEncode[row][column] = tables->encode[upper];
      const auto bit = static_cast<unsigned char>(1u << row);
      if (tables->decode[upper] != upper) tables->upperDecodeMoves[column] |= bit;
      if (tables->encode[upper] != upper) tables->upperEncodeMoves[column] |= bit;
    }
  }
  return tables;
}

bool AsciiDecodesAlone(const std::string& codeset) {
  IconvHandle cd(kUtf16, codeset.c_str(), codeset);
  for (unsigned char byte = 1; byte < 0x80; ++byte) {
    if (!ConvertsAloneToItself<unsigned char, char16_t>(cd.get(), byte)) return false;
  }
  return true;
}

bool AsciiEncodesAlone(const std::string& codeset) {
  IconvHandle cd(codeset.c_str(), kUtf16, codeset);
  for (char16_t unit = 1; unit < 0x80; ++unit) {
    if (!ConvertsAloneToItself<char16_t, unsigned char>(cd.get(), unit)) return false;
  }
  return true;
}

template <class Output>
void DecodeWithIconv(std::string_view bytes, const std::string& codeset, Output& out) {
  IconvHandle cd(kUtf16, codeset.c_str(), codeset);
  const char* in = bytes.data();
  const char* const end = in + bytes.size();
  // A window of bytes makes at most as many units, in every codeset iconv knows of but a few.
  while (PumpWindows(cd.get(), codeset, &in, end, kChunkUnits, kChunkUnits + kKernelSlack, out) != 0) {
    // An invalid or truncated sequence: give up one byte only, since the next may start a character.
    *out.space(1) = scalar::kReplacementCharacter;
    out.commit(1);
    ++in;
  }
  Pump(cd.get(), codeset, nullptr, nullptr, out, kKernelSlack);
}

template void DecodeWithIconv(std::string_view, const std::string&, DecodeOutput&);
template void DecodeWithIconv(std::string_view, const std::string&, FixedDecodeOutput&);

namespace {

// A character in the Unicode tag block (U+E0000..U+E007F), as the surrogate pair at `pair`.
bool IsTagCharacter(const char16_t* pair, const char16_t* end) {
  return end - pair >= 2 && pair[0] == 0xDB40 && pair[1] >= 0xDC00 && pair[1] <= 0xDC7F;
}

// Writes '?' through the converter, so a stateful encoding shifts back to where '?' lives first. A
// codeset without '?' simply loses the character.
void EncodeQuestionMark(iconv_t cd, const std::string& codeset, EncodeOutput& out) {
  const char16_t question = u'?';
  const char* fill = reinterpret_cast<const char*>(&question);
  std::size_t fillLeft = sizeof(question);
  Pump(cd, codeset, &fill, &fillLeft, out, kKernelSlack);
}

// Encodes [begin, end), which holds no tag character, writing '?' for each character that the
// codeset lacks.
void EncodeSpan(iconv_t cd, const std::string& codeset, const char16_t* begin, const char16_t* end,
                EncodeOutput& out) {
  const char* in = reinterpret_cast<const char*>(begin);
  const char* const stop = reinterpret_cast<const char*>(end);
  // Six bytes of room per unit: more than a character takes in any codeset, shifts included.
  constexpr std::size_t kWindowUnits = kChunkUnits / 2;
  while (PumpWindows(cd, codeset, &in, stop, kWindowUnits * sizeof(char16_t), 6 * kWindowUnits, out) != 0) {
    // EILSEQ: a character the codeset lacks, or a lone surrogate; EINVAL: a high surrogate that
    // ends the span. Either way one '?' stands for the whole character.
    char16_t unit;
    std::memcpy(&unit, in, sizeof(unit));
    std::size_t skipped = sizeof(char16_t);
    if (scalar::IsHighSurrogate(unit) && stop - in >= static_cast<std::ptrdiff_t>(2 * sizeof(char16_t))) {
      char16_t next;
      std::memcpy(&next, in + sizeof(char16_t), sizeof(next));
      if (scalar::IsLowSurrogate(next)) skipped += sizeof(char16_t);
    }
    in += skipped;
    EncodeQuestionMark(cd, codeset, out);
  }
}

}  // namespace

void EncodeWithIconv(std::u16string_view text, const std::string& codeset, EncodeOutput& out) {
  IconvHandle cd(codeset.c_str(), kUtf16, codeset);
  // glibc drops a tag character that the codeset lacks instead of reporting it, so tag characters
  // go through iconv one at a time, and one that produced nothing becomes '?' like any other
  // character the codeset lacks.
  const char16_t* const end = text.data() + text.size();
  const char16_t* span = text.data();
  for (const char16_t* at = span; at != end; ++at) {
    if (*at != 0xDB40 || !IsTagCharacter(at, end)) continue;
    EncodeSpan(cd.get(), codeset, span, at, out);
    const std::size_t before = out.size();
    EncodeSpan(cd.get(), codeset, at, at + 2, out);
    if (out.size() == before) EncodeQuestionMark(cd.get(), codeset, out);
    span = at + 2;
    ++at;
  }
  EncodeSpan(cd.get(), codeset, span, end, out);
  Pump(cd.get(), codeset, nullptr, nullptr, out, kKernelSlack);
}

}  // namespace tarvo::interop
