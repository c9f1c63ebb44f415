// Reading the multi-byte tables from the platform converter: every sequence of up to three bytes and
// every BMP character, each converted alone from the initial state.
#include "interop/multi_byte_tables.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "interop/codec_scalar.h"
#include "interop/iconv_converter.h"

namespace tarvo::interop {
namespace {

constexpr std::size_t kLongestSequence = MultiByteTables::kLongestSequence;
// Rows of the decoding tree, 1 KiB each. EUC-JP needs 191, GBK 127; codesets with four-byte
// sequences (GB18030, EUC-TW) stop here or at the depth limit and stay with iconv.
constexpr std::size_t kMostRows = 400;

// What converting one sequence alone, from the initial state, gave.
enum class Probe { Converted, Invalid, Incomplete, Unusable };

// Converts `inBytes` bytes at `in` into `out` (room for `capacity` units). Converted means the whole
// input became `*produced` units and the flush added nothing; Unusable means anything that a table
// cannot reproduce: output held back to the flush, or a partial conversion.
template <class Out>
Probe ConvertAlone(iconv_t cd, const void* in, std::size_t inBytes, Out* out, std::size_t capacity,
                   std::size_t* produced) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = static_cast<char*>(const_cast<void*>(in));
  std::size_t inLeft = inBytes;
  char* outPtr = reinterpret_cast<char*>(out);
  const std::size_t roomBytes = capacity * sizeof(Out);
  std::size_t outLeft = roomBytes;
  errno = 0;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
    const int error = errno;
    if (inLeft != inBytes || outLeft != roomBytes) return Probe::Unusable;
    return error == EILSEQ ? Probe::Invalid : error == EINVAL ? Probe::Incomplete : Probe::Unusable;
  }
  const std::size_t beforeFlush = outLeft;
  if (inLeft != 0 || iconv(cd, nullptr, nullptr, &outPtr, &outLeft) == static_cast<std::size_t>(-1) ||
      outLeft != beforeFlush || (roomBytes - outLeft) % sizeof(Out) != 0) {
    return Probe::Unusable;
  }
  *produced = (roomBytes - outLeft) / sizeof(Out);
  return Probe::Converted;
}

// The row that `entry` sends the next byte to, where it does and the row is below 256; else 0.
unsigned char SmallRow(std::uint32_t entry) {
  const bool next = entry != MultiByteTables::kInvalid && (entry & MultiByteTables::kNext) != 0;
  return next && (entry & ~MultiByteTables::kNext) < 0x100 ? static_cast<unsigned char>(entry) : 0;
}

// Fills leadRows, threeByteLead, threeByteRows and upperUnits from the decoding tree.
void FindLeadRows(MultiByteTables& tables) {
  int threeByteLeads = 0;
  for (unsigned byte = 0x80; byte < 0x100; ++byte) {
    const unsigned char row = SmallRow(tables.rows[0][byte]);
    tables.leadRows[byte - 0x80] = row;
    if (row == 0) continue;
    const auto& second = tables.rows[row];
    if (std::none_of(second.begin(), second.end(),
                     [](std::uint32_t entry) { return SmallRow(entry) != 0; })) {
      continue;
    }
    ++threeByteLeads;
    tables.threeByteLead = static_cast<unsigned char>(byte);
    for (unsigned next = 0x80; next < 0x100; ++next)
      tables.threeByteRows[next - 0x80] = SmallRow(second[next]);
  }
  if (threeByteLeads != 1) {
    tables.threeByteLead = 0;
    tables.threeByteRows.fill(0);
  }
  tables.upperUnits.resize(std::min<std::size_t>(tables.rows.size(), 0x100));
  for (std::size_t row = 0; row < tables.upperUnits.size(); ++row) {
    for (unsigned byte = 0x80; byte < 0x100; ++byte) {
      const std::uint32_t entry = tables.rows[row][byte];
      tables.upperUnits[row][byte - 0x80] = entry < MultiByteTables::kNext ? static_cast<char16_t>(entry) : 0;
    }
  }
}

bool ProbeDecoding(const std::string& codeset, MultiByteTables& tables) {
  IconvHandle decoder(kUtf16, codeset.c_str(), codeset);
  struct Pending {
    std::size_t row;
    unsigned char prefix[kLongestSequence];
    std::size_t length;
  };
  std::vector<Pending> pending{{0, {}, 0}};
  tables.rows.emplace_back().fill(MultiByteTables::kInvalid);
  for (std::size_t next = 0; next < pending.size(); ++next) {
    const Pending at = pending[next];  // a copy: `pending` grows below
    // No byte of a character is NUL: text ends at the first one before it reaches the tables.
    for (unsigned byte = 1; byte < 256; ++byte) {
      unsigned char sequence[kLongestSequence];
      std::memcpy(sequence, at.prefix, at.length);
      sequence[at.length] = static_cast<unsigned char>(byte);
      char16_t units[4];
      std::size_t produced = 0;
      std::uint32_t entry = MultiByteTables::kInvalid;
      switch (ConvertAlone(decoder.get(), sequence, at.length + 1, units, 4, &produced)) {
        case Probe::Converted:
          // No output is a shift; two units a surrogate pair or a composed character.
          if (produced != 1 || scalar::IsSurrogate(units[0])) return false;
          entry = units[0];
          break;
        case Probe::Invalid:
          break;
        case Probe::Incomplete:
          if (at.length + 1 == kLongestSequence || tables.rows.size() == kMostRows) return false;
          entry = MultiByteTables::kNext | static_cast<std::uint32_t>(tables.rows.size());
          pending.push_back({tables.rows.size(), {}, at.length + 1});
          std::memcpy(pending.back().prefix, sequence, at.length + 1);
          tables.rows.emplace_back().fill(MultiByteTables::kInvalid);
          break;
        case Probe::Unusable:
          return false;
      }
      tables.rows[at.row][byte] = entry;
    }
  }
  tables.asciiCompatible = true;
  for (unsigned byte = 1; byte < 0x80; ++byte) {
    if (tables.rows[0][byte] != byte) tables.asciiCompatible = false;
  }
  FindLeadRows(tables);
  return tables.rows.size() > 1;  // else the single-byte tables would serve
}

bool ProbeEncoding(const std::string& codeset, MultiByteTables& tables) {
  IconvHandle encoder(codeset.c_str(), kUtf16, codeset);
  tables.encode.assign(0x10000, 0);
  for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
    const char16_t in = static_cast<char16_t>(unit);
    if (scalar::IsSurrogate(in)) continue;  // never a character alone
    unsigned char bytes[8];
    std::size_t produced = 0;
    switch (ConvertAlone(encoder.get(), &in, sizeof(in), bytes, sizeof(bytes), &produced)) {
      case Probe::Converted:
        if (produced == 0 || produced > kLongestSequence) return false;
        for (std::size_t i = 0; i < produced; ++i) tables.encode[unit] |= std::uint32_t{bytes[i]} << (8 * i);
        tables.encode[unit] |= static_cast<std::uint32_t>(produced) << 24;
        break;
      case Probe::Invalid:
        break;
      case Probe::Incomplete:
      case Probe::Unusable:
        return false;
    }
  }
  for (std::uint32_t unit = 1; unit < 0x80; ++unit) {
    if (tables.encode[unit] != ((1u << 24) | unit)) tables.asciiCompatible = false;
  }
  // The decoding tree holds no character beyond the BMP; the encoder must not know any either
  // (a few from the planes that East Asian sets extend into).
  for (const char32_t codePoint : {U'\U00010000', U'\U0001F600', U'\U00020000', U'\U0002A6D6'}) {
    const char16_t pair[2] = {static_cast<char16_t>(0xD800 + ((codePoint - 0x10000) >> 10)),
                              static_cast<char16_t>(0xDC00 + ((codePoint - 0x10000) & 0x3FF))};
    unsigned char bytes[8];
    std::size_t produced = 0;
    if (ConvertAlone(encoder.get(), pair, sizeof(pair), bytes, sizeof(bytes), &produced) != Probe::Invalid) {
      return false;
    }
  }
  tables.replacement = tables.encode[u'?'];
  return true;
}

}  // namespace

std::shared_ptr<const MultiByteTables> ProbeMultiByte(const std::string& codeset) {
  auto tables = std::make_shared<MultiByteTables>();
  if (!ProbeDecoding(codeset, *tables) || !ProbeEncoding(codeset, *tables)) return nullptr;
  return tables;
}

}  // namespace tarvo::interop
