// The platform's converter (iconv) as the reference that NarrowCodec is compared with, in both
// directions, for one codeset.
#ifndef TARVO_FUZZ_CODEC_ORACLE_H
#define TARVO_FUZZ_CODEC_ORACLE_H

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include <iconv.h>

#include "interop/narrow_codec.h"

namespace tarvo::fuzz {

class CodecOracle {
 public:
  explicit CodecOracle(const std::string& codeset);
  ~CodecOracle();
  CodecOracle(const CodecOracle&) = delete;
  CodecOracle& operator=(const CodecOracle&) = delete;

  struct Decoded {
    std::u16string text;  // all of it when valid, else what precedes the first bad sequence
    bool valid = false;
  };
  Decoded Decode(std::string_view bytes) const;

  // Each undecodable byte as U+FFFD, conversion going on after it: what the codec promises for
  // every codeset but UTF-8 (which replaces maximal invalid subparts instead).
  std::u16string DecodeReplacingBytes(std::string_view bytes) const;

  // Character by character, '?' (in the codeset) for a character it lacks and for a lone
  // surrogate. `exact` tells whether no character needed '?'.
  std::string EncodeReplacing(std::u16string_view text, bool& exact) const;

 private:
  // Converts as much as iconv accepts; returns the errno that stopped it, or 0.
  int Convert(iconv_t cd, const char*& in, std::size_t& inLeft, std::string& out) const;

  iconv_t decoder_;
  iconv_t encoder_;
};

// Runs every comparison of the codec `kind` for `codeset` on one fuzz input: the bytes as narrow
// text and as UTF-16 units. Aborts with a message when a property breaks.
void CheckCodec(const interop::NarrowCodec& codec, const CodecOracle& oracle, const std::uint8_t* data,
                std::size_t size);

}  // namespace tarvo::fuzz

#endif  // TARVO_FUZZ_CODEC_ORACLE_H
