// The narrow encoding that byte strings use on their way to and from backend text.
#ifndef TARVO_INTEROP_NARROW_CODEC_H
#define TARVO_INTEROP_NARROW_CODEC_H

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "interop/short_ascii.h"

namespace tarvo::interop {

struct CodecKernels;
struct MultiByteTables;

// Converts between byte strings in one codeset and UTF-16 text. UTF-8 is decoded and encoded here,
// single-byte codesets and stateless multi-byte ones (EUC-JP, Shift_JIS, GBK, EUC-KR, Big5, ...)
// through tables read once from iconv, and the rest (stateful ones such as ISO-2022-JP, and those
// with four-byte characters such as GB18030) through iconv itself.
//
// Both directions stop at the first NUL. Decoding replaces each maximal invalid subpart of UTF-8
// (and each undecodable byte of other codesets) with U+FFFD; encoding writes '?' for a character
// the codeset cannot represent and for a lone surrogate. A codec is an immutable value that any
// number of threads may use at once.
//
// Each result is allocated once, at its final size or an upper bound of it (decoding UTF-8 and
// multi-byte text reserves one unit per byte). Codesets that only iconv follows add the converter's
// own allocations, and a long multi-byte result that needs more than two bytes per character grows.
// The inner loops use the processor's vector instructions where it has them.
class NarrowCodec {
 public:
  enum class Kind { Utf8, SingleByte, MultiByte, Iconv };

  // Instruction sets the inner loops exist for. Every codec uses the best one the processor offers;
  // all give identical results.
  enum class KernelSet { Portable, Sse2, Avx2, Avx512 };

  // The codec of the process: the codeset of the locale that LC_ALL, LC_CTYPE or LANG selects, as
  // setlocale(LC_CTYPE, "") would choose it, resolved on first use and never again. The plain
  // C/POSIX locale, and a locale that is not installed, give UTF-8. The host's own setlocale calls
  // do not change it.
  // Inline, so that the calls that convert every argument pay only the check that it was made.
  static const NarrowCodec& process() {
    static const NarrowCodec codec = makeProcessCodec();
    return codec;
  }

  // The codeset that the environment selects now, by the rule above ("UTF-8" for the C locale).
  static std::string environmentCodeset();

  // A codec for a named codeset ("UTF-8", "ISO-8859-1", "CP1252", "KOI8-R", "EUC-JP", ...).
  // Raises std::invalid_argument naming the codeset when the platform converter does not know it.
  static NarrowCodec forCodeset(std::string_view codeset);

  std::u16string decode(std::string_view bytes) const;
  std::string encode(std::u16string_view text) const;

  // Decoding into storage that the caller allocates, which spares the copy out of decode()'s string.
  // decodeRoom tells how many units of room decodeInto needs for `bytes`, or 0 when this codec
  // cannot decode into the caller's storage; decode() is the way then. decodeInto takes bytes
  // without NUL, cut by the caller, writes what decode() would return and returns its length, or
  // kDoesNotFit for the few codesets (all converted by iconv) that can make more than one unit of a
  // byte, when this text does; decode() is the way then too.
  // decodeUntilNulInto does the same with the bytes as they come: it stops at the first NUL, as
  // decode() does, and finds it as it goes, in the pass that widens the text's leading ASCII where
  // ASCII stands for itself. The room that decodeRoom tells for all the bytes is enough.
  static constexpr std::size_t kDoesNotFit = static_cast<std::size_t>(-1);
  std::size_t decodeRoom(std::string_view bytes) const noexcept;
  std::size_t decodeInto(std::string_view bytes, char16_t* out) const;
  std::size_t decodeUntilNulInto(std::string_view bytes, char16_t* out) const;

  // Short text straight into storage of exactly bytes.size() units (as much as backend text holds
  // in itself), in one pass: one block where the kernels have a loop for short text, else a word or
  // a character at a time. Takes the bytes as they come and stops at the first NUL; writes what
  // decode() returns and returns its length. UTF-8, single-byte and multi-byte codecs
  // (decodesExactly(), inline since every short argument asks), and not where the system converts
  // (Windows). Codesets that iconv converts give kDoesNotFit, except where ASCII converts alone and
  // the text is ASCII up to its NUL or its end.
  bool decodesExactly() const noexcept { return !kSystemConverts && kind_ != Kind::Iconv; }
  std::size_t decodeExact(std::string_view bytes, char16_t* out) const noexcept;

  Kind kind() const noexcept { return kind_; }
  const std::string& codeset() const noexcept { return codeset_; }

  // Internal seam for tests and benchmarks, not exported: the kernel sets this processor runs
  // (Portable first, the best last), and a copy of this codec that converts with a given one.
  // withKernelSet raises std::invalid_argument for a set the processor lacks.
  static std::vector<KernelSet> availableKernelSets();
  NarrowCodec withKernelSet(KernelSet set) const;
  KernelSet kernelSet() const noexcept;
  // A copy of a multi-byte codec that converts through iconv instead of its tables (the reference
  // the tables are tested against); raises std::invalid_argument for other kinds.
  NarrowCodec throughIconv() const;

  struct SingleByteTables;

 private:
#if defined(_WIN32)
  static constexpr bool kSystemConverts = true;  // every conversion goes through the system's calls
#else
  static constexpr bool kSystemConverts = false;
#endif

  NarrowCodec(Kind kind, std::string codeset, std::shared_ptr<const SingleByteTables> tables);
  // What process() holds. An exception leaves it unmade, so that a later call tries again.
  static NarrowCodec makeProcessCodec();
  // decodeExact and encode for all but the short ASCII that they take themselves.
  std::size_t decodeExactOtherText(std::string_view bytes, char16_t* out) const noexcept;
  std::string encodeOtherText(std::u16string_view text) const;
  // encode for 16 to 32 units that are not all ASCII, in a codeset with a run of units (run_).
  std::string encodeShortRunText(std::u16string_view text) const;

  Kind kind_;
  std::string codeset_;
  std::shared_ptr<const SingleByteTables> tables_;    // only for Kind::SingleByte
  std::shared_ptr<const MultiByteTables> multiByte_;  // only for Kind::MultiByte
  const CodecKernels* kernels_;
  // Whether bytes 01..7F decode as the ASCII characters, one each, wherever a character may start,
  // and whether units 0001-007F encode as the bytes of the same values, one each. Where they do,
  // ASCII text is converted whole and skips the codeset's own loop or the converter. Settled when
  // the codec is made, since every short conversion asks.
  bool asciiDecodesAlone_ = false;
  bool asciiEncodesAlone_ = false;
  // Whether units A0-FF encode as the bytes of the same values too, as in ISO-8859-1 and CP1252, so
  // that short Latin text is narrowed whole as ASCII is.
  bool latinEncodesAlone_ = false;
  // Elsewhere, where ASCII stands for itself, the longest run of units that the codeset writes as
  // consecutive bytes (CP1251's А..я as C0..FF), so that short text of ASCII and that run is
  // narrowed whole as well, out of line; units 0 where there is none.
  scalar::UnitRun run_;
};

#if !defined(_WIN32)
// 16 to 32 units of ASCII, the commonest argument and result, take a few instructions inline in the
// caller where ASCII stands for itself (UTF-8, most tabled codesets and most that iconv converts),
// and so does Latin text where Latin-1's letters stand for themselves. Text of one script whose
// letters the codeset writes as consecutive bytes (Russian in CP1251) goes to a small function of
// its own; other text goes out of line, with the frame that its many paths need.
inline std::string NarrowCodec::encode(std::u16string_view text) const {
  if (text.size() - 16 <= 16 && asciiEncodesAlone_) {
    char buffer[32];
    if (scalar::NarrowShortAscii(text.data(), text.size(), buffer)) return std::string(buffer, text.size());
    if (latinEncodesAlone_ && scalar::NarrowShortLatin(text.data(), text.size(), buffer)) {
      return std::string(buffer, text.size());
    }
    if (run_.units != 0) return encodeShortRunText(text);
  }
  return encodeOtherText(text);
}

inline std::size_t NarrowCodec::decodeExact(std::string_view bytes, char16_t* out) const noexcept {
  if (asciiDecodesAlone_ &&
      scalar::WidenShortAscii(reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size(), out)) {
    return bytes.size();
  }
  return decodeExactOtherText(bytes, out);
}
#endif

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_NARROW_CODEC_H
