// The two text conversions of the interface, and the string lists that carry several texts out.
#ifndef TARVO_INTEROP_UTIL_H
#define TARVO_INTEROP_UTIL_H

#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "interop/narrow_codec.h"
#include "runtime/array.h"
#include "runtime/text.h"

namespace tarvo::interop {

using StringList = std::vector<std::string*>;

// The conversions below are inline, so that the short text that most arguments and results are
// takes the codec's few instructions for it inside each operation, without a call on the way.

// DecodeToText for text that may not fit the value. Out of line, so that short text is written
// straight into the value with nothing of these paths to set up.
runtime::Text DecodeLongerToText(const NarrowCodec& codec, std::string_view bytes);

// Backend text from bytes in `codec`'s encoding, written straight into the text's own storage where
// the codec can bound its size. What ToBackendText does with the process's codec.
inline runtime::Text DecodeToText(const NarrowCodec& codec, std::string_view bytes) {
  if (bytes.size() <= runtime::Text::kInlineUnits && codec.decodesExactly()) {
    return runtime::Text::Build(bytes.size(),
                                [&](char16_t* units) { return codec.decodeExact(bytes, units); });
  }
  return DecodeLongerToText(codec, bytes);
}

// Backend text from a byte string: its bytes up to the first NUL, decoded in the process's narrow
// encoding. An empty byte string gives empty text, never absent text.
inline runtime::Text ToBackendText(const std::string& bytes) {
  // The codec stops at the first NUL, so it sees what the host's NUL-terminated view would show.
  return DecodeToText(NarrowCodec::process(), bytes);
}

class Util {
 public:
  // A new byte string in the process's narrow encoding holding `inString` up to its first NUL
  // character. Absent text raises NullReferenceError and allocates nothing.
  static std::string SystemToStdString(const runtime::Text& inString) {
    return NarrowCodec::process().encode(inString.units("SystemToStdString"));
  }
};

// A new string list with one string per entry, in order; an absent array gives an empty list. An
// absent entry raises NullReferenceError naming `operation` and the entry's index. If an entry is
// absent or fails to convert, everything made so far is released and the failure passes on.
StringList* NewStringList(const char* operation, const runtime::ArrayElements<runtime::Text>* entries);

// Releases a string list and every string in it; null elements are skipped, a null list ignored.
void DestroyStringList(StringList* list) noexcept;

// The characters of a NUL-terminated C string. A null pointer raises NullReferenceError naming the
// operation and the parameter.
std::string CopyCharacters(const char* operation, const char* parameter, const char* characters);

// A backend array holding copies of the `length` values at `values`, copied in one pass. A negative
// length raises std::overflow_error naming the operation and the length, and a null pointer with a
// positive length raises NullReferenceError naming the operation and the parameter, both before
// anything is read or allocated.
template <class T>
runtime::Array<T> CopyToArray(const char* operation, const char* parameter, const T* values, int length) {
  if (length < 0) {
    throw std::overflow_error(std::string(operation) + ": element count " + std::to_string(length) +
                              " is negative");
  }
  if (values == nullptr && length > 0) {
    throw NullReferenceError(std::string(operation) + ": " + parameter + " is a null pointer");
  }
  return std::make_shared<runtime::ArrayElements<T>>(values, values + length);
}

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_UTIL_H
