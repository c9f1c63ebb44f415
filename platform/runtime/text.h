// Backend text: the backends' string type, UTF-16 code units that are either present or absent.
#ifndef TARVO_RUNTIME_TEXT_H
#define TARVO_RUNTIME_TEXT_H

#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "BridgeErrors.h"

namespace tarvo::runtime {

// An immutable value. Absent text (the runtime's null string) is distinct from the empty text;
// reading the characters of absent text raises NullReferenceError.
class Text {
 public:
  Text() noexcept = default;  // absent
  explicit Text(std::u16string units) noexcept : units_(std::move(units)) {}
  explicit Text(std::u16string_view units) : units_(std::in_place, units) {}
  explicit Text(const char16_t* units) : units_(std::in_place, units) {}

  static Text null() noexcept { return Text(); }

  bool isNull() const noexcept { return !units_.has_value(); }

  // The code units, or NullReferenceError naming `operation` when the text is absent.
  std::u16string_view units(const char* operation = "Text") const {
    if (!units_) throw NullReferenceError(std::string(operation) + ": the text is absent (null)");
    return *units_;
  }

  // Spelled out rather than defaulted: hosts include this header, and they may be C++17.
  friend bool operator==(const Text& left, const Text& right) noexcept { return left.units_ == right.units_; }
  friend bool operator!=(const Text& left, const Text& right) noexcept { return !(left == right); }

 private:
  std::optional<std::u16string> units_;
};

}  // namespace tarvo::runtime

#endif  // TARVO_RUNTIME_TEXT_H
