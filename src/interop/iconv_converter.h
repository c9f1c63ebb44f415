// The platform converter (iconv) behind the codec: codesets that no table can follow, and the probes
// that decide, once per codec, how a codeset can be converted without it.
#ifndef TARVO_INTEROP_ICONV_CONVERTER_H
#define TARVO_INTEROP_ICONV_CONVERTER_H

#include <bit>
#include <memory>
#include <string>
#include <string_view>

#include <iconv.h>

#include "interop/chunked_output.h"
#include "interop/narrow_codec.h"

namespace tarvo::interop {

// iconv has no "native" UTF-16 without a byte order mark, so name the byte order explicitly.
inline constexpr const char* kUtf16 = std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";

// Raises std::invalid_argument naming the codeset for EINVAL (unknown), std::system_error otherwise.
[[noreturn]] void ThrowIconvOpenFailure(int error, const std::string& codeset);

// Owns one conversion descriptor. A descriptor carries shift state, so it lives for one call and is
// never shared between threads.
class IconvHandle {
 public:
  // `codeset` is the side that the caller named, for the error message.
  IconvHandle(const char* to, const char* from, const std::string& codeset);
  ~IconvHandle() { iconv_close(cd_); }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;

  iconv_t get() const { return cd_; }

 private:
  iconv_t cd_;
};

// The tables when each byte of the codeset stands alone for at most one UTF-16 unit, and null when
// some byte starts a longer sequence or a conversion keeps state, which only iconv can follow.
std::shared_ptr<const NarrowCodec::SingleByteTables> ProbeSingleByte(const std::string& codeset);

// Whether every ASCII character, converted alone from the initial state, comes out at once as itself
// and leaves nothing to flush. Then the ASCII that starts a text converts without iconv, and iconv,
// started afresh on the rest, gives what it would have given for the whole.
bool AsciiDecodesAlone(const std::string& codeset);
bool AsciiEncodesAlone(const std::string& codeset);

// Append the conversion of the whole input through iconv to `out` (a DecodeOutput, or a
// FixedDecodeOutput, which raises FixedOutputFull when the text needs more room than it has).
template <class Output>
void DecodeWithIconv(std::string_view bytes, const std::string& codeset, Output& out);
void EncodeWithIconv(std::u16string_view text, const std::string& codeset, EncodeOutput& out);

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_ICONV_CONVERTER_H
