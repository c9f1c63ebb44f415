#include "interop/narrow_codec.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <new>
#include <stdexcept>
#include <type_traits>
#include <utility>

#include <langinfo.h>
#include <locale.h>

#include "interop/chunked_output.h"
#include "interop/codec_kernels.h"
#include "interop/codec_scalar.h"
#include "interop/iconv_converter.h"
#include "interop/multi_byte_tables.h"

namespace tarvo::interop {
namespace {

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

bool isContinuationByte(char byte) {
  return (static_cast<unsigned char>(byte) & 0xC0) == 0x80;
}

// Where to end a chunk of UTF-8 that would end before `end`, so that no sequence, valid or not, is cut:
// at the last byte within four of `end` that is not a continuation byte, since every such byte starts
// the next step of the decoder. When the four are all continuation bytes, no sequence crosses `end`.
std::size_t utf8ChunkEnd(std::string_view bytes, std::size_t end) {
  for (std::size_t at = end; at + 3 >= end; --at) {
    if (!isContinuationByte(bytes[at])) return at;
  }
  return end;
}

// Runs of chunks: `convert(offset, length)` for consecutive pieces of at most kChunkUnits, each ended
// where `chunkEnd(end)` says when more follows.
template <class Convert, class ChunkEnd>
void inChunks(std::size_t size, Convert convert, ChunkEnd chunkEnd) {
  for (std::size_t at = 0; at < size;) {
    std::size_t end = at + std::min(kChunkUnits, size - at);
    if (end < size) end = chunkEnd(end);
    convert(at, end - at);
    at = end;
  }
}

// Text up to this long is converted into a small buffer on the stack, which spares the short strings
// that most calls carry the bookkeeping of chunks. Stack buffers are aligned for the same reason as
// ChunkedOutput's.
constexpr std::size_t kShortUnits = 256;

// Text up to this long is encoded one character at a time, which costs less than finding its end and
// calling a kernel.
constexpr std::size_t kExactUnits = 32;

std::size_t noAdjustment(std::size_t end) {
  return end;
}

// Converts the leading ASCII of `in` into `out` a chunk at a time with `convert` (the kernels'
// widenAscii or narrowAscii, which find where it ends as they go) and returns its length.
template <class Unit, class Output, class Convert>
std::size_t convertLeadingAscii(std::basic_string_view<Unit> in, Output& out, Convert convert) {
  std::size_t done = 0;
  while (done < in.size()) {
    const std::size_t length = std::min(kChunkUnits, in.size() - done);
    const std::size_t ascii = convert(in.data() + done, length, out.space(length));
    out.commit(ascii);
    done += ascii;
    if (ascii < length) break;
  }
  return done;
}

// Long text cut at its NUL, and in `ascii` the length of the ASCII that leads it: one pass where
// ASCII goes on up to the NUL or the end, a second over the rest only where something else follows.
std::u16string_view cutAtNul(std::u16string_view text, const CodecKernels& kernels, std::size_t& ascii) {
  ascii = kernels.asciiPrefix16(text.data(), text.size());
  if (ascii == text.size() || text[ascii] == u'\0') return text.substr(0, ascii);
  const std::u16string_view rest = text.substr(ascii);
  return text.substr(0, ascii + kernels.findNul16(rest.data(), rest.size()));
}

std::u16string decodeUtf8(std::string_view bytes, const CodecKernels& kernels) {
  if (bytes.size() <= kShortUnits) {
    alignas(64) char16_t buffer[kShortUnits + kKernelSlack];
    return std::u16string(buffer, kernels.decodeUtf8(bytes.data(), bytes.size(), buffer));
  }
  DecodeOutput out(bytes.size());  // never more units than bytes
  inChunks(
      bytes.size(),
      [&](std::size_t at, std::size_t length) {
        out.commit(kernels.decodeUtf8(bytes.data() + at, length, out.space(length + kKernelSlack)));
      },
      [&](std::size_t end) { return utf8ChunkEnd(bytes, end); });
  return out.finish();
}

// Text of up to one chunk in a codeset where ASCII stands for itself, on the stack: its leading
// ASCII is narrowed in the pass that looks for the NUL, and only what follows the first other
// character goes through the codeset's own loop, `encodeRest(rest, out)` (after a search for the NUL
// of its own), which writes at most three bytes per unit plus the kernels' slack.
template <class EncodeRest>
std::string encodeAfterAscii(std::u16string_view text, const CodecKernels& kernels, EncodeRest encodeRest) {
  alignas(64) char buffer[3 * kChunkUnits + kKernelSlack];
  std::size_t length = kernels.narrowAscii(text.data(), text.size(), buffer);
  if (length < text.size() && text[length] != u'\0') {
    std::u16string_view rest = text.substr(length);
    rest = rest.substr(0, kernels.findNul16(rest.data(), rest.size()));
    length += encodeRest(rest, buffer + length);
  }
  return std::string(buffer, length);
}

// Text longer than a chunk (shorter text takes encodeAfterAscii).
std::string encodeUtf8(std::u16string_view text, const CodecKernels& kernels) {
  // Measured first, in the pass that finds its end, so that the result is allocated once, at its size.
  std::size_t expected = 0;
  text = text.substr(0, kernels.measureUtf8(text.data(), text.size(), &expected));
  EncodeOutput out(expected);
  inChunks(
      text.size(),
      [&](std::size_t at, std::size_t length) {
        out.commit(kernels.encodeUtf8(text.data() + at, length, out.space(3 * length + kKernelSlack)));
      },
      // A surrogate pair stays in one chunk.
      [&](std::size_t end) { return scalar::IsHighSurrogate(text[end - 1]) ? end - 1 : end; });
  return out.finish();
}

std::u16string decodeSingleByte(std::string_view bytes, const NarrowCodec::SingleByteTables& tables,
                                const CodecKernels& kernels) {
  if (bytes.size() <= kShortUnits) {
    alignas(64) char16_t buffer[kShortUnits + kKernelSlack];
    kernels.decodeSingleByte(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), buffer,
                             tables);
    return std::u16string(buffer, bytes.size());
  }
  DecodeOutput out(bytes.size());
  inChunks(
      bytes.size(),
      [&](std::size_t at, std::size_t length) {
        kernels.decodeSingleByte(reinterpret_cast<const unsigned char*>(bytes.data()) + at, length,
                                 out.space(length + kKernelSlack), tables);
        out.commit(length);
      },
      noAdjustment);
  return out.finish();
}

std::string encodeSingleByte(std::u16string_view text, const NarrowCodec::SingleByteTables& tables,
                             const CodecKernels& kernels) {
  if (text.size() <= kShortUnits) {
    alignas(64) unsigned char buffer[kShortUnits + kKernelSlack];
    const std::size_t length = kernels.encodeSingleByte(text.data(), text.size(), buffer, tables);
    return std::string(reinterpret_cast<const char*>(buffer), length);
  }
  EncodeOutput out(text.size());  // a surrogate pair makes one byte, everything else one each
  inChunks(
      text.size(),
      [&](std::size_t at, std::size_t length) {
        unsigned char* space = reinterpret_cast<unsigned char*>(out.space(length + kKernelSlack));
        out.commit(kernels.encodeSingleByte(text.data() + at, length, space, tables));
      },
      [&](std::size_t end) { return scalar::IsHighSurrogate(text[end - 1]) ? end - 1 : end; });
  return out.finish();
}

std::u16string decodeMultiByte(std::string_view bytes, const MultiByteTables& tables,
                               const CodecKernels& kernels) {
  const auto* in = reinterpret_cast<const unsigned char*>(bytes.data());
  if (bytes.size() <= kShortUnits) {
    alignas(64) char16_t buffer[kShortUnits];
    return std::u16string(buffer, DecodeMultiByte(in, bytes.size(), buffer, tables, kernels));
  }
  // One unit per byte at most: allocated once at that bound, then cut to what was written.
  std::u16string text(bytes.size(), u'\0');
  text.resize(DecodeMultiByte(in, bytes.size(), text.data(), tables, kernels));
  return text;
}

// Never more units than bytes, and blocks of ASCII are only written where as many bytes remain. Kept
// out of line, so that decodeExact's own paths stay free of what this call needs.
[[gnu::noinline]] std::size_t decodeMultiByteUntilNul(std::string_view bytes, char16_t* out,
                                                      const MultiByteTables& tables,
                                                      const CodecKernels& kernels) {
  const auto* const begin = reinterpret_cast<const unsigned char*>(bytes.data());
  return DecodeMultiByte(begin, std::min(bytes.size(), bytes.find('\0')), out, tables, kernels);
}

// Takes the text as it comes (cutAtNul below).
std::string encodeMultiByte(std::u16string_view text, const MultiByteTables& tables,
                            const CodecKernels& kernels) {
  std::size_t ascii = 0;
  text = cutAtNul(text, kernels, ascii);
  if (text.size() <= kShortUnits) {
    alignas(64) char buffer[3 * kShortUnits + kKernelSlack];
    return std::string(buffer, EncodeMultiByte(text.data(), text.size(), buffer, tables, kernels));
  }
  // As for iconv's multi-byte codesets: the leading ASCII one byte each, then two per character.
  EncodeOutput out(ascii + 2 * (text.size() - ascii));
  inChunks(
      text.size(),
      [&](std::size_t at, std::size_t length) {
        out.commit(
            EncodeMultiByte(text.data() + at, length, out.space(3 * length + kKernelSlack), tables, kernels));
      },
      [&](std::size_t end) { return scalar::IsHighSurrogate(text[end - 1]) ? end - 1 : end; });
  return out.finish();
}

template <class Output>
void decodeIconv(std::string_view bytes, const std::string& codeset, bool asciiAlone,
                 const CodecKernels& kernels, Output& out) {
  const std::size_t ascii = asciiAlone ? convertLeadingAscii(bytes, out, kernels.widenAscii) : 0;
  if (ascii < bytes.size()) DecodeWithIconv(bytes.substr(ascii), codeset, out);
}

std::u16string decodeIconv(std::string_view bytes, const std::string& codeset, bool asciiAlone,
                           const CodecKernels& kernels) {
  DecodeOutput out(bytes.size());  // one unit per byte at most, in every codeset iconv knows of but a few
  decodeIconv(bytes, codeset, asciiAlone, kernels, out);
  return out.finish();
}

// Takes the text as it comes: its leading ASCII, narrowed in the pass that stops at the NUL, often
// spares the separate search for the NUL.
std::string encodeIconv(std::u16string_view text, const std::string& codeset, bool asciiAlone,
                        const CodecKernels& kernels) {
  // Long text is cut at its NUL first, for the bound below.
  std::size_t leading = 0;
  if (!asciiAlone || text.size() > kChunkUnits) text = cutAtNul(text, kernels, leading);
  // Two bytes per character is what the common multi-byte codesets need; more grows the result. The
  // leading ASCII needs one each where it converts alone, which matters only for text that outgrows
  // the stack buffer.
  const std::size_t asciiBound = asciiAlone ? leading : 0;
  EncodeOutput out(asciiBound + 2 * (text.size() - asciiBound));
  const std::size_t ascii = asciiAlone ? convertLeadingAscii(text, out, kernels.narrowAscii) : 0;
  if (ascii < text.size() && text[ascii] != u'\0') {
    std::u16string_view rest = text.substr(ascii);
    EncodeWithIconv(rest.substr(0, kernels.findNul16(rest.data(), rest.size())), codeset, out);
  }
  return out.finish();
}

}  // namespace

NarrowCodec::NarrowCodec(Kind kind, std::string codeset, std::shared_ptr<const SingleByteTables> tables)
    : kind_(kind), codeset_(std::move(codeset)), tables_(std::move(tables)), kernels_(&BestKernels()) {
  if (kind_ == Kind::Utf8) asciiDecodesAlone_ = asciiEncodesAlone_ = true;
  if (kind_ == Kind::SingleByte) {
    asciiDecodesAlone_ = asciiEncodesAlone_ = tables_->asciiCompatible;
    // Units A0-FF are rows 2 to 7 of the upper half.
    latinEncodesAlone_ = tables_->asciiCompatible &&
                         std::ranges::none_of(tables_->upperEncodeMoves,
                                              [](unsigned char rows) { return (rows & 0xFC) != 0; });
    if (asciiEncodesAlone_ && !latinEncodesAlone_) run_ = tables_->longestRun;
  }
}

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

NarrowCodec NarrowCodec::makeProcessCodec() {
  try {
    return forCodeset(environmentCodeset());
  } catch (const std::bad_alloc&) {
    throw;  // the locale's codec may well exist
  } catch (const std::exception&) {
    return forCodeset("UTF-8");
  }
}

NarrowCodec NarrowCodec::forCodeset(std::string_view codeset) {
  if (equalsIgnoringCase(codeset, "UTF-8") || equalsIgnoringCase(codeset, "UTF8")) {
    return NarrowCodec(Kind::Utf8, "UTF-8", nullptr);
  }
  std::string name(codeset);
  // iconv reads "" as the locale's codeset and "//" suffixes as conversion options, and the C string
  // would silently end at an embedded NUL: none of these name a codeset.
  if (name.empty() || name.find('/') != std::string::npos || name.find('\0') != std::string::npos) {
    ThrowIconvOpenFailure(EINVAL, name);
  }
  // Both directions must exist: a converter that only decodes is no use for encoding.
  { IconvHandle encoder(name.c_str(), kUtf16, name); }
  std::shared_ptr<const SingleByteTables> tables = ProbeSingleByte(name);
  if (tables) return NarrowCodec(Kind::SingleByte, std::move(name), std::move(tables));
  if (std::shared_ptr<const MultiByteTables> multiByte = ProbeMultiByte(name)) {
    NarrowCodec codec(Kind::MultiByte, std::move(name), nullptr);
    codec.multiByte_ = std::move(multiByte);
    codec.asciiDecodesAlone_ = codec.asciiEncodesAlone_ = codec.multiByte_->asciiCompatible;
    return codec;
  }
  NarrowCodec codec(Kind::Iconv, std::move(name), nullptr);
  codec.asciiDecodesAlone_ = AsciiDecodesAlone(codec.codeset_);
  codec.asciiEncodesAlone_ = AsciiEncodesAlone(codec.codeset_);
  return codec;
}

std::u16string NarrowCodec::decode(std::string_view bytes) const {
  bytes = bytes.substr(0, bytes.find('\0'));
  switch (kind_) {
    case Kind::Utf8:
      return decodeUtf8(bytes, *kernels_);
    case Kind::SingleByte:
      return decodeSingleByte(bytes, *tables_, *kernels_);
    case Kind::MultiByte:
      return decodeMultiByte(bytes, *multiByte_, *kernels_);
    case Kind::Iconv:
      break;
  }
  return decodeIconv(bytes, codeset_, asciiDecodesAlone_, *kernels_);
}

std::size_t NarrowCodec::decodeRoom(std::string_view bytes) const noexcept {
  // One unit per byte, which bounds UTF-8, the tabled codesets and nearly every other codeset, and
  // the kernels' spare room.
  return bytes.size() + kKernelSlack;
}

std::size_t NarrowCodec::decodeUntilNulInto(std::string_view bytes, char16_t* out) const {
  // The leading ASCII is widened in the pass that also looks for the NUL, so that ASCII text, the
  // most common, is read once; only what follows it is searched for the NUL on its own.
  std::size_t ascii = 0;
  if (asciiDecodesAlone_) {
    ascii = kernels_->widenAscii(bytes.data(), bytes.size(), out);
    if (ascii == bytes.size() || bytes[ascii] == '\0') return ascii;
  }
  const std::string_view rest = bytes.substr(ascii);
  const std::size_t length = decodeInto(rest.substr(0, rest.find('\0')), out + ascii);
  return length == kDoesNotFit ? kDoesNotFit : ascii + length;
}

std::size_t NarrowCodec::decodeInto(std::string_view bytes, char16_t* out) const {
  switch (kind_) {
    case Kind::Utf8:
      return kernels_->decodeUtf8(bytes.data(), bytes.size(), out);
    case Kind::SingleByte:
      kernels_->decodeSingleByte(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out,
                                 *tables_);
      return bytes.size();
    case Kind::MultiByte:
      return DecodeMultiByte(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out,
                             *multiByte_, *kernels_);
    case Kind::Iconv:
      break;
  }
  FixedDecodeOutput fixed(out, decodeRoom(bytes));
  try {
    decodeIconv(bytes, codeset_, asciiDecodesAlone_, *kernels_, fixed);
  } catch (const FixedOutputFull&) {
    return kDoesNotFit;
  }
  return fixed.size();
}

[[gnu::noinline]] std::size_t NarrowCodec::decodeExactOtherText(std::string_view bytes,
                                                                char16_t* out) const noexcept {
  const auto* begin = reinterpret_cast<const unsigned char*>(bytes.data());
  const auto* end = begin + bytes.size();
  if (kind_ == Kind::Utf8) {
    // Letters of one and two bytes in one block where the processor has the instructions for it;
    // the rest a character at a time.
    if (kernels_->decodeShortUtf8 != nullptr) {
      const std::size_t length = kernels_->decodeShortUtf8(bytes.data(), bytes.size(), out);
      if (length != kDoesNotFit) return length;
    }
    return scalar::DecodeUtf8UntilNul(begin, end, out);
  }
  if (kind_ == Kind::SingleByte) {
    if (kernels_->decodeShortSingleByte != nullptr) {
      const std::size_t length = kernels_->decodeShortSingleByte(bytes.data(), bytes.size(), out, *tables_);
      if (length != kDoesNotFit) return length;
    }
    return scalar::DecodeSingleByteUntilNul(begin, end, out, *tables_);
  }
  if (kind_ == Kind::MultiByte) {
    if (kernels_->decodeShortMultiByte != nullptr) {
      const std::size_t length = kernels_->decodeShortMultiByte(bytes.data(), bytes.size(), out, *multiByte_);
      if (length != kDoesNotFit) return length;
    }
    return decodeMultiByteUntilNul(bytes, out, *multiByte_, *kernels_);
  }
  if (asciiDecodesAlone_) {
    const std::size_t ascii = kernels_->widenAscii(bytes.data(), bytes.size(), out);
    if (ascii == bytes.size() || bytes[ascii] == '\0') return ascii;
  }
  return kDoesNotFit;
}

[[gnu::noinline]] std::string NarrowCodec::encodeShortRunText(std::u16string_view text) const {
  char buffer[32];
  if (scalar::NarrowShortRun(text.data(), text.size(), buffer, run_)) return std::string(buffer, text.size());
  return encodeOtherText(text);
}

[[gnu::noinline]] std::string NarrowCodec::encodeOtherText(std::u16string_view text) const {
  // 33 to 64 units of ASCII, as paths often are, narrowed whole as encode() narrows shorter text:
  // here, so that the path inline in every call stays as short as it is.
  if (text.size() - 33 <= 31 && asciiEncodesAlone_) {
    char buffer[64];
    if (scalar::NarrowMediumAscii(text.data(), text.size(), buffer)) return std::string(buffer, text.size());
  }
  // The short strings that most calls return, in one pass that also finds the NUL, onto the stack:
  // in one block where the kernels have a loop for it, else a character at a time.
  if (text.size() <= kExactUnits && kind_ != Kind::Iconv) {
    char buffer[3 * kExactUnits + 1];  // a multi-byte sequence is stored as four bytes
    auto* const bytes = reinterpret_cast<unsigned char*>(buffer);
    const char16_t* const begin = text.data();
    const char16_t* const end = begin + text.size();
    std::size_t length = kDoesNotFit;
    if (kind_ == Kind::Utf8) {
      if (kernels_->encodeShortUtf8 != nullptr) {
        length = kernels_->encodeShortUtf8(begin, text.size(), buffer);
      }
      if (length == kDoesNotFit) length = scalar::EncodeUtf8UntilNul(begin, end, buffer);
    } else if (kind_ == Kind::SingleByte) {
      if (kernels_->encodeShortSingleByte != nullptr) {
        length = kernels_->encodeShortSingleByte(begin, text.size(), bytes, *tables_);
      }
      if (length == kDoesNotFit) length = scalar::EncodeSingleByteUntilNul(begin, end, bytes, *tables_);
    } else {
      if (kernels_->encodeShortMultiByte != nullptr) {
        length = kernels_->encodeShortMultiByte(begin, text.size(), buffer, *multiByte_);
      }
      if (length == kDoesNotFit) length = EncodeMultiByteUntilNul(begin, text.size(), buffer, *multiByte_);
    }
    return std::string(buffer, length);
  }
  if (text.size() <= kChunkUnits) {
    switch (kind_) {
      case Kind::Utf8:
        return encodeAfterAscii(text, *kernels_, [&](std::u16string_view rest, char* out) {
          return kernels_->encodeUtf8(rest.data(), rest.size(), out);
        });
      case Kind::SingleByte:
        if (!tables_->asciiCompatible) break;
        return encodeAfterAscii(text, *kernels_, [&](std::u16string_view rest, char* out) {
          return kernels_->encodeSingleByte(rest.data(), rest.size(), reinterpret_cast<unsigned char*>(out),
                                            *tables_);
        });
      case Kind::MultiByte:
        if (!multiByte_->asciiCompatible) break;
        return encodeAfterAscii(text, *kernels_, [&](std::u16string_view rest, char* out) {
          return EncodeMultiByte(rest.data(), rest.size(), out, *multiByte_, *kernels_);
        });
      case Kind::Iconv:
        break;
    }
  }
  if (kind_ == Kind::Utf8) return encodeUtf8(text, *kernels_);  // finds the NUL as it measures
  if (kind_ == Kind::Iconv) return encodeIconv(text, codeset_, asciiEncodesAlone_, *kernels_);  // likewise
  if (kind_ == Kind::MultiByte) return encodeMultiByte(text, *multiByte_, *kernels_);           // likewise
  text = text.substr(0, kernels_->findNul16(text.data(), text.size()));
  return encodeSingleByte(text, *tables_, *kernels_);
}

std::vector<NarrowCodec::KernelSet> NarrowCodec::availableKernelSets() {
  std::vector<KernelSet> sets{KernelSet::Portable};
  for (const CodecKernels* kernels : {Sse2Kernels(), Avx2Kernels(), Avx512Kernels()}) {
    if (kernels != nullptr) sets.push_back(kernels->set);
  }
  return sets;
}

NarrowCodec NarrowCodec::withKernelSet(KernelSet set) const {
  const CodecKernels* kernels = set == KernelSet::Portable ? &PortableKernels()
                                : set == KernelSet::Sse2   ? Sse2Kernels()
                                : set == KernelSet::Avx2   ? Avx2Kernels()
                                                           : Avx512Kernels();
  if (kernels == nullptr) {
    throw std::invalid_argument("NarrowCodec::withKernelSet: this processor lacks kernel set " +
                                std::to_string(static_cast<int>(set)));
  }
  NarrowCodec copy = *this;
  copy.kernels_ = kernels;
  return copy;
}

NarrowCodec::KernelSet NarrowCodec::kernelSet() const noexcept {
  return kernels_->set;
}

NarrowCodec NarrowCodec::throughIconv() const {
  if (kind_ != Kind::MultiByte) {
    throw std::invalid_argument("NarrowCodec::throughIconv: codeset " + codeset_ +
                                " has no multi-byte tables");
  }
  NarrowCodec copy = *this;
  copy.kind_ = Kind::Iconv;
  copy.multiByte_ = nullptr;
  copy.asciiDecodesAlone_ = AsciiDecodesAlone(codeset_);
  copy.asciiEncodesAlone_ = AsciiEncodesAlone(codeset_);
  return copy;
}

}  // namespace tarvo::interop
