// Backend text: the backends' string type, UTF-16 code units that are either present or absent.
#ifndef TARVO_RUNTIME_TEXT_H
#define TARVO_RUNTIME_TEXT_H

#include <atomic>
#include <cstddef>
#include <cstring>
#include <new>
#include <string>
#include <string_view>
#include <utility>

#include "BridgeErrors.h"

namespace tarvo::runtime {

// An immutable value. Absent text (the runtime's null string) is distinct from the empty text;
// reading the characters of absent text raises NullReferenceError.
//
// Like the runtime's strings, longer text is shared rather than copied: a copy of a Text refers to
// the same characters, which stay until the last copy goes (the count is atomic, so copies may live
// on different threads). Text of up to kInlineUnits units, which covers most names and messages that
// pass through the bridge, is held in the value itself and allocates nothing; a Text is then one
// cache line.
class Text {
 public:
  static constexpr std::size_t kInlineUnits = 27;

  Text() noexcept {}  // absent
  explicit Text(std::u16string_view units) { assign(units); }
  explicit Text(const char16_t* units) { assign(std::u16string_view(units)); }

  // Text written in place: `fill(char16_t* out)` writes at most `capacity` units and returns how
  // many it wrote. Text that fits the value is written there, long text straight into its own
  // storage (one allocation, no copy), text in between on the stack first. If `fill` throws,
  // nothing is left behind.
  template <class Fill>
  static Text Build(std::size_t capacity, Fill fill) {
    if (capacity <= kInlineUnits) return BuildInline(fill);
    return BuildLonger(capacity, fill);
  }

  static Text null() noexcept { return Text(); }

  Text(const Text& other) noexcept : size_(other.size_) {
    if (isShared()) {
      shared_ = other.shared_;
      shared_->references.fetch_add(1, std::memory_order_relaxed);
    } else {
      std::memcpy(inline_, other.inline_, sizeof(inline_));
    }
  }
  Text(Text&& other) noexcept : size_(other.size_) {
    std::memcpy(inline_, other.inline_, sizeof(inline_));  // takes the shared pointer too, if any
    other.size_ = kAbsent;
  }
  Text& operator=(const Text& other) noexcept {
    Text copy(other);
    return *this = std::move(copy);
  }
  Text& operator=(Text&& other) noexcept {
    if (this != &other) {
      if (isShared()) shared_->release();
      std::memcpy(inline_, other.inline_, sizeof(inline_));
      size_ = other.size_;
      other.size_ = kAbsent;
    }
    return *this;
  }
  ~Text() {
    if (isShared()) shared_->release();
  }

  bool isNull() const noexcept { return size_ == kAbsent; }

  // The code units, or NullReferenceError naming `operation` when the text is absent.
  std::u16string_view units(const char* operation = "Text") const {
    if (isNull()) throw NullReferenceError(std::string(operation) + ": the text is absent (null)");
    return std::u16string_view(isShared() ? shared_->units() : inline_, size_);
  }

  // Spelled out rather than defaulted: hosts include this header, and they may be C++17.
  friend bool operator==(const Text& left, const Text& right) noexcept {
    if (left.isNull() || right.isNull()) return left.isNull() && right.isNull();
    return left.units() == right.units();
  }
  friend bool operator!=(const Text& left, const Text& right) noexcept { return !(left == right); }

 private:
  // The reference count and the units, in one allocation. The units start 16 bytes in, aligned as
  // any heap block is: copies between blocks aligned differently run several times slower on some
  // processors (glibc copies long blocks with `rep movsb`).
  struct alignas(16) Shared {
    std::atomic<std::size_t> references{1};

    static Shared* Allocate(std::size_t units) {
      if (units > (static_cast<std::size_t>(-1) - sizeof(Shared)) / sizeof(char16_t)) throw std::bad_alloc();
      return new (::operator new(sizeof(Shared) + units * sizeof(char16_t))) Shared();
    }
    char16_t* units() noexcept { return reinterpret_cast<char16_t*>(this + 1); }
    // The sole owner skips the atomic decrement, which costs more than the load: with one reference
    // no other thread holds a copy from which to make another.
    void release() noexcept {
      if (references.load(std::memory_order_acquire) == 1 ||
          references.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        this->~Shared();
        ::operator delete(this);
      }
    }
  };
  static_assert(sizeof(Shared) == 16);

  static constexpr std::size_t kAbsent = static_cast<std::size_t>(-1);
  static constexpr std::size_t kStackUnits = 128;

  // On its own so that the text is written where the caller's value lives (named return value
  // elision): moving it would read back the units just written, in wider loads than they were
  // stored with, which stalls.
  template <class Fill>
  static Text BuildInline(Fill& fill) {
    Text text;
    text.size_ = fill(text.inline_);  // absent until `fill` has returned
    return text;
  }

  // Out of line, so that building short text, as most calls do, pays for neither the stack buffer
  // nor the registers that this needs. Every path returns the one named value, which the compiler
  // then builds in the caller's place: a copy would read the size and pointer just stored back in
  // one wider load, which stalls.
  template <class Fill>
  [[gnu::noinline]] static Text BuildLonger(std::size_t capacity, Fill& fill) {
    Text text;
    if (capacity <= kStackUnits) {
      alignas(16) char16_t units[kStackUnits];
      text.assign(std::u16string_view(units, fill(units)));
      return text;
    }
    Shared* shared = Shared::Allocate(capacity);
    std::size_t size = 0;
    try {
      size = fill(shared->units());
    } catch (...) {
      shared->release();
      throw;
    }
    if (size <= kInlineUnits) {
      text.assign(std::u16string_view(shared->units(), size));
      shared->release();
    } else {
      text.shared_ = shared;
      text.size_ = size;
    }
    return text;
  }

  void assign(std::u16string_view units) {
    if (units.size() <= kInlineUnits) {
      units.copy(inline_, units.size());
    } else {
      shared_ = Shared::Allocate(units.size());
      units.copy(shared_->units(), units.size());
    }
    size_ = units.size();
  }
  bool isShared() const noexcept { return size_ != kAbsent && size_ > kInlineUnits; }

  std::size_t size_ = kAbsent;
  union {
    Shared* shared_;
    char16_t inline_[kInlineUnits + 1];
  };
};

}  // namespace tarvo::runtime

#endif  // TARVO_RUNTIME_TEXT_H
