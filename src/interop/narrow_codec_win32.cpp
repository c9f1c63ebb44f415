// NarrowCodec on Windows: the narrow encoding of a process is its ANSI code page (CP_ACP), and the
// system's own converters, MultiByteToWideChar and WideCharToMultiByte, do the work. A codec's
// codeset is kept as "CP<number>" (or "UTF-8" for code page 65001), from which each call reads the
// code page again, so a codec stays an immutable value like its POSIX counterpart.
#include <windows.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <climits>
#include <stdexcept>
#include <string>
#include <string_view>

#include "interop/narrow_codec.h"

namespace tarvo::interop {
namespace {

constexpr UINT kUtf8CodePage = 65001;

std::string_view untilNul(std::string_view bytes) {
  return bytes.substr(0, bytes.find('\0'));
}
std::u16string_view untilNul(std::u16string_view text) {
  return text.substr(0, text.find(u'\0'));
}

std::string lowerAscii(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return lower;
}

// The number at the end of `text` after `prefix`, or 0 when `text` is not prefix + digits.
UINT numberAfter(std::string_view text, std::string_view prefix) {
  if (text.size() <= prefix.size() || text.substr(0, prefix.size()) != prefix) return 0;
  unsigned value = 0;
  const char* first = text.data() + prefix.size();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, value);
  return error == std::errc() && end == last ? value : 0;
}

// The code page of a codeset name as POSIX systems and IANA spell it; 0 when unknown.
UINT codePageOf(std::string_view codeset) {
  const std::string name = lowerAscii(codeset);
  if (name == "utf-8" || name == "utf8") return kUtf8CodePage;
  for (const std::string_view prefix : {"cp", "windows-", "ibm"}) {
    if (const UINT number = numberAfter(name, prefix)) return number;
  }
  if (const UINT part = numberAfter(name, "iso-8859-"); part >= 1 && part <= 16) return 28590 + part;
  struct Alias {
    std::string_view name;
    UINT codePage;
  };
  static constexpr std::array<Alias, 9> kAliases = {{{"us-ascii", 20127},
                                                     {"ascii", 20127},
                                                     {"koi8-r", 20866},
                                                     {"koi8-u", 21866},
                                                     {"euc-jp", 20932},
                                                     {"shift_jis", 932},
                                                     {"sjis", 932},
                                                     {"gbk", 936},
                                                     {"gb18030", 54936}}};
  const auto alias =
      std::find_if(kAliases.begin(), kAliases.end(), [&](const Alias& a) { return a.name == name; });
  return alias != kAliases.end() ? alias->codePage : 0;
}

std::string nameOf(UINT codePage) {
  return codePage == kUtf8CodePage ? std::string("UTF-8") : "CP" + std::to_string(codePage);
}

UINT codePageOfName(const std::string& codeset) {
  return codeset == "UTF-8" ? kUtf8CodePage : numberAfter(codeset, "CP");
}

// These code pages refuse every flag of WideCharToMultiByte, and UTF-8 refuses a default character.
bool takesNoFlags(UINT codePage) {
  return codePage == 42 || codePage == 65000 || codePage == kUtf8CodePage ||
         (codePage >= 50220 && codePage <= 50229) || (codePage >= 57002 && codePage <= 57011);
}

int checkedLength(std::size_t size, const char* operation) {
  if (size > static_cast<std::size_t>(INT_MAX)) {
    throw std::length_error(std::string("NarrowCodec::") + operation + ": " + std::to_string(size) +
                            " code units are more than the Windows converters take at once");
  }
  return static_cast<int>(size);
}

[[noreturn]] void throwConversionFailure(const char* operation, const std::string& codeset) {
  throw std::runtime_error(std::string("NarrowCodec::") + operation + ": converting with code page " +
                           codeset + " failed (Windows error " + std::to_string(GetLastError()) + ")");
}

// A lone surrogate has no encoded form in any code page; '?' stands for it, as for any character
// the code page lacks.
std::u16string withoutLoneSurrogates(std::u16string_view text) {
  std::u16string clean(text);
  for (std::size_t i = 0; i < clean.size(); ++i) {
    const char16_t unit = clean[i];
    const bool high = unit >= 0xD800 && unit <= 0xDBFF;
    if (high && i + 1 < clean.size() && clean[i + 1] >= 0xDC00 && clean[i + 1] <= 0xDFFF) {
      ++i;
    } else if (unit >= 0xD800 && unit <= 0xDFFF) {
      clean[i] = u'?';
    }
  }
  return clean;
}

}  // namespace

NarrowCodec::NarrowCodec(Kind kind, std::string codeset, std::shared_ptr<const SingleByteTables> tables)
    : kind_(kind), codeset_(std::move(codeset)), tables_(std::move(tables)) {}

std::string NarrowCodec::environmentCodeset() {
  return nameOf(GetACP());
}

NarrowCodec NarrowCodec::makeProcessCodec() {
  return forCodeset(environmentCodeset());
}

NarrowCodec NarrowCodec::forCodeset(std::string_view codeset) {
  const UINT codePage = codePageOf(codeset);
  CPINFO info{};
  if (codePage == 0 || !IsValidCodePage(codePage) || !GetCPInfo(codePage, &info)) {
    throw std::invalid_argument("NarrowCodec: unknown codeset '" + std::string(codeset) + "'");
  }
  const Kind kind = codePage == kUtf8CodePage ? Kind::Utf8
                    : info.MaxCharSize == 1   ? Kind::SingleByte
                                              : Kind::Iconv;
  return NarrowCodec(kind, nameOf(codePage), nullptr);
}

std::u16string NarrowCodec::decode(std::string_view bytes) const {
  bytes = untilNul(bytes);
  if (bytes.empty()) return {};
  const UINT codePage = codePageOfName(codeset_);
  const int size = checkedLength(bytes.size(), "decode");
  // Without MB_ERR_INVALID_CHARS an undecodable sequence becomes U+FFFD instead of failing the call.
  const int units = MultiByteToWideChar(codePage, 0, bytes.data(), size, nullptr, 0);
  if (units <= 0) throwConversionFailure("decode", codeset_);
  std::u16string text(static_cast<std::size_t>(units), u'\0');
  if (MultiByteToWideChar(codePage, 0, bytes.data(), size, reinterpret_cast<wchar_t*>(text.data()), units) !=
      units)
    throwConversionFailure("decode", codeset_);
  return text;
}

std::string NarrowCodec::encode(std::u16string_view text) const {
  text = untilNul(text);
  if (text.empty()) return {};
  const UINT codePage = codePageOfName(codeset_);
  const std::u16string clean = withoutLoneSurrogates(text);
  const auto* wide = reinterpret_cast<const wchar_t*>(clean.data());
  const int size = checkedLength(clean.size(), "encode");
  // No best fit: a character the code page lacks becomes '?', never a look-alike such as 'a' for
  // 'ā', which could make a file name designate another file.
  const DWORD flags = takesNoFlags(codePage) ? 0 : WC_NO_BEST_FIT_CHARS;
  const char* fallback = takesNoFlags(codePage) ? nullptr : "?";
  const int bytes = WideCharToMultiByte(codePage, flags, wide, size, nullptr, 0, fallback, nullptr);
  if (bytes <= 0) throwConversionFailure("encode", codeset_);
  std::string result(static_cast<std::size_t>(bytes), '\0');
  if (WideCharToMultiByte(codePage, flags, wide, size, result.data(), bytes, fallback, nullptr) != bytes)
    throwConversionFailure("encode", codeset_);
  return result;
}

// The system measures its output in a pass of its own, so there is nothing to spare by decoding into
// the caller's storage: decode() is the way.
std::size_t NarrowCodec::decodeRoom(std::string_view) const noexcept {
  return 0;
}

std::size_t NarrowCodec::decodeInto(std::string_view, char16_t*) const {
  throw std::logic_error("NarrowCodec::decodeInto: the system converts the code page " + codeset_);
}

std::size_t NarrowCodec::decodeUntilNulInto(std::string_view, char16_t*) const {
  throw std::logic_error("NarrowCodec::decodeUntilNulInto: the system converts the code page " + codeset_);
}

std::size_t NarrowCodec::decodeExact(std::string_view, char16_t*) const noexcept {
  return kDoesNotFit;
}

}  // namespace tarvo::interop
