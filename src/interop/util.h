// The two text conversions of the interface, and the string lists that carry several texts out.
#ifndef TARVO_INTEROP_UTIL_H
#define TARVO_INTEROP_UTIL_H

#include <stdexcept>
#include <string>
#include <vector>

#include "BridgeErrors.h"
#include "runtime/array.h"
#include "runtime/text.h"

namespace tarvo::interop {

using StringList = std::vector<std::string*>;

// Backend text from a byte string: its bytes up to the first NUL, decoded in the process's narrow
// encoding. An empty byte string gives empty text, never absent text.
runtime::Text ToBackendText(const std::string& bytes);

class Util {
 public:
  // A new byte string in the process's narrow encoding holding `inString` up to its first NUL
  // character. Absent text raises NullReferenceError and allocates nothing.
  static std::string SystemToStdString(const runtime::Text& inString);
};

// A new string list with one string per entry, in order; an absent array gives an empty list.
// If an entry fails to convert, everything made so far is released and the failure passes on.
StringList* NewStringList(const std::vector<runtime::Text>* entries);

// Releases a string list and every string in it; null elements are skipped, a null list ignored.
void DestroyStringList(StringList* list) noexcept;

// The characters of a NUL-terminated C string. A null pointer raises NullReferenceError naming the
// operation and the parameter.
std::string CopyCharacters(const char* operation, const char* parameter, const char* characters);

// Checks that a host array the operation is about to read `count` elements from is there. A null
// pointer with a positive count raises NullReferenceError naming the operation and the parameter,
// before anything is read; with no elements to read, null is as good as any pointer.
template <class T>
void RequireElements(const char* operation, const char* parameter, const T* elements, int count) {
  if (elements == nullptr && count > 0) {
    throw NullReferenceError(std::string(operation) + ": " + parameter + " is a null pointer but nCount is " +
                             std::to_string(count));
  }
}

// A backend array of `length` value-initialised elements. A negative length raises
// std::overflow_error naming the operation and the length, before anything is allocated.
template <class T>
runtime::Array<T> NewArray(const char* operation, int length) {
  if (length < 0) {
    throw std::overflow_error(std::string(operation) + ": element count " + std::to_string(length) +
                              " is negative");
  }
  return std::make_shared<std::vector<T>>(static_cast<std::size_t>(length));
}

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_UTIL_H
