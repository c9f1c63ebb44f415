#include "interop/narrow_codec.h"

#include <array>
#include <bit>
#include <cerrno>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>
#include <system_error>
#include <type_traits>
#include <utility>

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

namespace tarvo::interop {

// Tables of a codeset in which every character is one byte. Built once by forCodeset and then shared
// read-only by every copy of the codec.
struct NarrowCodec::SingleByteTables {
  std::array<char16_t, 256> decode{};
  // Indexed by UTF-16 code unit; 0 marks a unit the codeset cannot represent (U+0000 never reaches
  // the table because both directions stop at NUL). 64 KiB buys a branch-free lookup per character.
  std::array<unsigned char, 65536> encode{};
  unsigned char replacement = '?';  // the codeset's own '?', which is not 0x3F in EBCDIC-like sets
};

namespace {

constexpr char16_t kReplacementCharacter = 0xFFFD;

// iconv has no "native" UTF-16 without a byte order mark, so name the byte order explicitly.
constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

bool isHighSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool isLowSurrogate(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}
bool isSurrogate(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDFFF;
}

char asciiLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (asciiLower(a[i]) != asciiLower(b[i])) return false;
  }
  return true;
}

std::string_view untilNul(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}
std::u16string_view untilNul(std::u16string_view text) {
  return text.substr(0, text.find(u'\0'));
}

// Running out of memory is std::bad_alloc, as everywhere else: a caller must be able to tell it from
// a codeset that does not exist, and process() must not settle on a fallback because of it.
[[noreturn]] void throwIconvOpenFailure(int error, const std::string& codeset) {
  if (error == ENOMEM) throw std::bad_alloc();
  if (error == EINVAL) throw std::invalid_argument("NarrowCodec: unknown codeset '" + codeset + "'");
  throw std::system_error(error, std::generic_category(),
                          "NarrowCodec: cannot open a converter for codeset '" + codeset + "'");
}

// Owns one conversion descriptor. A descriptor carries shift state, so it lives for one call and is
// never shared between threads.
class IconvHandle {
 public:
  // `codeset` is the side that the caller named, for the error message.
  IconvHandle(const char* to, const char* from, const std::string& codeset) {
    errno = 0;
    cd_ = iconv_open(to, from);
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throwIconvOpenFailure(errno, codeset);
  }
  ~IconvHandle() { iconv_close(cd_); }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// Feeds iconv and appends its output to a growing string of any code unit type; the output is written
// through char*, which may alias the string's storage.
template <class Out>
class IconvWriter {
 public:
  using Unit = typename Out::value_type;

  IconvWriter(iconv_t cd, const std::string& codeset, Out& out, std::size_t expectedBytes)
      : cd_(cd), codeset_(codeset), out_(out) {
    out_.resize(expectedBytes / sizeof(Unit) + 8);
  }

  // Converts as much as iconv accepts, growing the output whenever it fills. Returns 0 once the
  // input is used up, or the errno (EILSEQ, EINVAL) that stopped iconv at *in.
  int convert(const char** in, std::size_t* inLeft) {
    while (true) {
      char* outPtr = reinterpret_cast<char*>(out_.data()) + used_;
      std::size_t outLeft = out_.size() * sizeof(Unit) - used_;
      // glibc declares the input as char** although it never writes through it.
      const std::size_t result = iconv(cd_, in ? const_cast<char**>(in) : nullptr, inLeft, &outPtr, &outLeft);
      const int error = errno;
      used_ = out_.size() * sizeof(Unit) - outLeft;
      if (result != static_cast<std::size_t>(-1)) return 0;
      if (error == E2BIG) {
        out_.resize(out_.size() + out_.size() / 2 + 16);
        continue;
      }
      if (error == EILSEQ || error == EINVAL) return error;
      throw std::system_error(error, std::generic_category(),
                              "NarrowCodec: converting with codeset '" + codeset_ + "' failed");
    }
  }

  // Writes whatever a stateful encoding needs to return to its initial shift state.
  void flush() { convert(nullptr, nullptr); }

  // Adds a unit that needs no conversion.
  void append(Unit unit) {
    if (out_.size() * sizeof(Unit) - used_ < sizeof(Unit)) out_.resize(out_.size() + out_.size() / 2 + 16);
    std::memcpy(reinterpret_cast<char*>(out_.data()) + used_, &unit, sizeof(Unit));
    used_ += sizeof(Unit);
  }

  void finish() { out_.resize(used_ / sizeof(Unit)); }

 private:
  iconv_t cd_;
  const std::string& codeset_;
  Out& out_;
  std::size_t used_ = 0;  // in bytes
};

// Returns the tables when each byte of the codeset stands alone for at most one UTF-16 unit, and null
// when some byte starts a longer sequence or a conversion keeps state, which only iconv can follow.
std::shared_ptr<const NarrowCodec::SingleByteTables> probeSingleByte(const std::string& codeset) {
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
      tables->decode[byte] = kReplacementCharacter;
      continue;
    }
    // Output held back until the flush means the converter composes characters across bytes.
    if (outLeft != sizeof(units) - sizeof(char16_t) || isSurrogate(units[0])) return nullptr;
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
  return tables;
}

std::u16string decodeUtf8(std::string_view bytes) {
  const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* const end = p + bytes.size();
  // Every UTF-8 sequence, valid or not, yields no more units than it has bytes.
  std::u16string result(bytes.size(), u'\0');
  char16_t* out = result.data();
  while (p != end) {
    while (end - p >= 8) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof(word));
      if (word & 0x8080808080808080u) break;
      for (int i = 0; i < 8; ++i) out[i] = p[i];
      p += 8;
      out += 8;
    }
    while (p != end && *p < 0x80) *out++ = *p++;
    if (p == end) break;

    // The second byte's range is narrower than [80, BF] exactly where a wider range would admit an
    // overlong form, a surrogate or a code point beyond U+10FFFF; failing there makes the lead byte
    // alone the maximal subpart.
    const unsigned lead = *p;
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
      ++p;
      continue;
    }
    const unsigned char* q = p + 1;
    bool complete = true;
    for (int i = 0; i < trailing; ++i, ++q) {
      if (q == end || *q < lower || *q > upper) {
        complete = false;
        break;
      }
      codePoint = (codePoint << 6) | (*q & 0x3F);
      lower = 0x80;
      upper = 0xBF;
    }
    p = q;  // on failure the byte at q is not consumed: it may start the next character
    if (!complete) {
      *out++ = kReplacementCharacter;
    } else if (codePoint >= 0x10000) {
      codePoint -= 0x10000;
      *out++ = static_cast<char16_t>(0xD800 + (codePoint >> 10));
      *out++ = static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF));
    } else {
      *out++ = static_cast<char16_t>(codePoint);
    }
  }
  result.resize(static_cast<std::size_t>(out - result.data()));
  return result;
}

std::string encodeUtf8(std::u16string_view text) {
  // Exact for everything but surrogates, where it overestimates; that spares a growth check per unit.
  std::size_t bound = 0;
  for (const char16_t unit : text) bound += unit < 0x80 ? 1 : unit < 0x800 ? 2 : 3;
  std::string result(bound, '\0');
  char* out = result.data();
  const char16_t* p = text.data();
  const char16_t* const end = p + text.size();
  while (p != end) {
    while (end - p >= 4) {
      std::uint64_t word;
      std::memcpy(&word, p, sizeof(word));
      if (word & 0xFF80FF80FF80FF80u) break;  // the mask is the same in either byte order
      for (int i = 0; i < 4; ++i) out[i] = static_cast<char>(p[i]);
      p += 4;
      out += 4;
    }
    if (p == end) break;
    const char16_t unit = *p++;
    if (unit < 0x80) {
      *out++ = static_cast<char>(unit);
    } else if (unit < 0x800) {
      *out++ = static_cast<char>(0xC0 | (unit >> 6));
      *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    } else if (!isSurrogate(unit)) {
      *out++ = static_cast<char>(0xE0 | (unit >> 12));
      *out++ = static_cast<char>(0x80 | ((unit >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    } else if (isHighSurrogate(unit) && p != end && isLowSurrogate(*p)) {
      const char32_t codePoint = 0x10000 + ((static_cast<char32_t>(unit) - 0xD800) << 10) + (*p++ - 0xDC00);
      *out++ = static_cast<char>(0xF0 | (codePoint >> 18));
      *out++ = static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
      *out++ = static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
      *out++ = static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
      *out++ = '?';
    }
  }
  result.resize(static_cast<std::size_t>(out - result.data()));
  return result;
}

std::u16string decodeSingleByte(std::string_view bytes, const NarrowCodec::SingleByteTables& tables) {
  std::u16string result(bytes.size(), u'\0');
  for (std::size_t i = 0; i < bytes.size(); ++i)
    result[i] = tables.decode[static_cast<unsigned char>(bytes[i])];
  return result;
}

std::string encodeSingleByte(std::u16string_view text, const NarrowCodec::SingleByteTables& tables) {
  std::string result;
  result.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    const unsigned char byte = tables.encode[text[i]];
    if (byte != 0) {
      result.push_back(static_cast<char>(byte));
      continue;
    }
    // No single-byte codeset holds a supplementary character, and the pair stands for one of them.
    if (isHighSurrogate(text[i]) && i + 1 < text.size() && isLowSurrogate(text[i + 1])) ++i;
    result.push_back(static_cast<char>(tables.replacement));
  }
  return result;
}

std::u16string decodeIconv(std::string_view bytes, const std::string& codeset) {
  IconvHandle cd(kUtf16, codeset.c_str(), codeset);
  std::u16string result;
  IconvWriter writer(cd.get(), codeset, result, bytes.size() * sizeof(char16_t));
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  while (writer.convert(&in, &inLeft) != 0) {
    // An invalid or truncated sequence: give up one byte only, since the next may start a character.
    writer.append(kReplacementCharacter);
    ++in;
    --inLeft;
  }
  writer.flush();
  writer.finish();
  return result;
}

std::string encodeIconv(std::u16string_view text, const std::string& codeset) {
  IconvHandle cd(codeset.c_str(), kUtf16, codeset);
  std::string result;
  IconvWriter writer(cd.get(), codeset, result, text.size() * 2);
  const char* in = reinterpret_cast<const char*>(text.data());
  std::size_t inLeft = text.size() * sizeof(char16_t);
  while (writer.convert(&in, &inLeft) != 0) {
    // EILSEQ: a character the codeset lacks, or a lone surrogate; EINVAL: a high surrogate that
    // ends the text. Either way one '?' stands for the whole character.
    char16_t unit;
    std::memcpy(&unit, in, sizeof(unit));
    std::size_t skipped = sizeof(char16_t);
    if (isHighSurrogate(unit) && inLeft >= 2 * sizeof(char16_t)) {
      char16_t next;
      std::memcpy(&next, in + sizeof(char16_t), sizeof(next));
      if (isLowSurrogate(next)) skipped += sizeof(char16_t);
    }
    in += skipped;
    inLeft -= skipped;
    // Through the converter, so a stateful encoding shifts back to where '?' lives first. A codeset
    // without '?' simply loses the character.
    const char16_t question = u'?';
    const char* fill = reinterpret_cast<const char*>(&question);
    std::size_t fillLeft = sizeof(question);
    writer.convert(&fill, &fillLeft);
  }
  writer.flush();
  writer.finish();
  return result;
}

}  // namespace

NarrowCodec::NarrowCodec(Kind kind, std::string codeset, std::shared_ptr<const SingleByteTables> tables)
    : kind_(kind), codeset_(std::move(codeset)), tables_(std::move(tables)) {}

std::string NarrowCodec::environmentCodeset() {
  // The order in which setlocale(LC_CTYPE, "") consults the environment; an empty value counts as unset.
  const char* name = nullptr;
  for (const char* variable : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') {
      name = value;
      break;
    }
  }
  // UTF-8 stands in for plain ASCII: it is a superset, so no byte of a UTF-8 host is destroyed.
  const std::string fallback = "UTF-8";
  if (name == nullptr) return fallback;
  // A private locale object leaves the process's global locale, which the host owns, alone.
  errno = 0;
  const std::unique_ptr<std::remove_pointer_t<locale_t>, decltype(&freelocale)> locale(
      newlocale(LC_CTYPE_MASK, name, static_cast<locale_t>(0)), &freelocale);
  if (!locale && errno == ENOMEM) throw std::bad_alloc();  // the locale may well exist
  if (!locale) return fallback;
  const char* value = nl_langinfo_l(CODESET, locale.get());
  const std::string codeset = value != nullptr ? value : "";
  if (codeset.empty() || equalsIgnoringCase(codeset, "ANSI_X3.4-1968") ||
      equalsIgnoringCase(codeset, "ASCII")) {
    return fallback;
  }
  return codeset;
}

const NarrowCodec& NarrowCodec::process() {
  static const NarrowCodec codec = [] {
    try {
      return forCodeset(environmentCodeset());
    } catch (const std::bad_alloc&) {
      throw;  // leaves the static unset, so a later call tries again
    } catch (const std::exception&) {
      return forCodeset("UTF-8");
    }
  }();
  return codec;
}

NarrowCodec NarrowCodec::forCodeset(std::string_view codeset) {
  if (equalsIgnoringCase(codeset, "UTF-8") || equalsIgnoringCase(codeset, "UTF8")) {
    return NarrowCodec(Kind::Utf8, "UTF-8", nullptr);
  }
  std::string name(codeset);
  // iconv reads "" as the locale's codeset and "//" suffixes as conversion options, and the C string
  // would silently end at an embedded NUL: none of these name a codeset.
  if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos) {
    throwIconvOpenFailure(EINVAL, name);
  }
  // Both directions must exist: a converter that only decodes is no use for encoding.
  { IconvHandle encoder(name.c_str(), kUtf16, name); }
  std::shared_ptr<const SingleByteTables> tables = probeSingleByte(name);
  const Kind kind = tables ? Kind::SingleByte : Kind::Iconv;
  return NarrowCodec(kind, std::move(name), std::move(tables));
}

std::u16string NarrowCodec::decode(std::string_view bytes) const {
  bytes = untilNul(bytes);
  switch (kind_) {
    case Kind::Utf8:
      return decodeUtf8(bytes);
    case Kind::SingleByte:
      return decodeSingleByte(bytes, *tables_);
    case Kind::Iconv:
      break;
  }
  return decodeIconv(bytes, codeset_);
}

std::string NarrowCodec::encode(std::u16string_view text) const {
  text = untilNul(text);
  switch (kind_) {
    case Kind::Utf8:
      return encodeUtf8(text);
    case Kind::SingleByte:
      return encodeSingleByte(text, *tables_);
    case Kind::Iconv:
      break;
  }
  return encodeIconv(text, codeset_);
}

}  // namespace tarvo::interop
