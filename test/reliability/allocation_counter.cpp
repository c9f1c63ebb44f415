#include "reliability/allocation_counter.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <new>

#include <dlfcn.h>
#include <iconv.h>
#include <locale.h>

namespace tarvo::test::allocation {

namespace {

// Plain atomics rather than objects with constructors: operator new runs before any static
// constructor of this file, and after every static destructor.
std::atomic<std::int64_t> live{0};
std::atomic<bool> planned{false};
std::atomic<bool> open{false};
std::atomic<bool> injected{false};
std::atomic<std::size_t> seen{0};
std::size_t failAt = 0;
FailureMode mode = FailureMode::Once;

// Called once per allocation point; true when this one is to fail.
bool ShouldFail() {
  if (!open.load(std::memory_order_acquire)) return false;
  const std::size_t number = seen.fetch_add(1) + 1;
  const bool fail = number == failAt || (mode == FailureMode::FromThenOn && number > failAt);
  if (fail) injected = true;
  return fail;
}

void* Allocate(std::size_t size, std::size_t alignment) noexcept {
  if (ShouldFail()) return nullptr;
  if (size == 0) size = 1;  // every successful new returns a distinct pointer
  void* memory = nullptr;
  if (alignment <= alignof(std::max_align_t)) {
    memory = std::malloc(size);
  } else if (posix_memalign(&memory, alignment, size) != 0) {
    memory = nullptr;
  }
  if (memory != nullptr) live.fetch_add(1, std::memory_order_relaxed);
  return memory;
}

void* AllocateOrThrow(std::size_t size, std::size_t alignment) {
  void* memory = Allocate(size, alignment);
  if (memory == nullptr) throw std::bad_alloc();
  return memory;
}

void Release(void* memory) noexcept {
  if (memory == nullptr) return;
  live.fetch_sub(1, std::memory_order_relaxed);
  std::free(memory);
}

}  // namespace

std::int64_t Live() {
  return live.load();
}

void PlanFailure(std::size_t k, FailureMode failureMode) {
  failAt = k;
  mode = failureMode;
  seen = 0;
  injected = false;
  planned = true;
}

bool ClearPlan() {
  open = false;
  planned = false;
  return injected.exchange(false);
}

FailureWindow::FailureWindow() {
  if (planned) open.store(true, std::memory_order_release);
}

FailureWindow::~FailureWindow() {
  close();
}

void FailureWindow::close() {
  open.store(false, std::memory_order_release);
}

}  // namespace tarvo::test::allocation

using tarvo::test::allocation::Allocate;
using tarvo::test::allocation::AllocateOrThrow;
using tarvo::test::allocation::Release;

// Exported, so that the shared libraries of the test program use them too.
#define REPLACEMENT __attribute__((visibility("default")))

constexpr std::size_t kDefault = 0;

REPLACEMENT void* operator new(std::size_t size) {
  return AllocateOrThrow(size, kDefault);
}
REPLACEMENT void* operator new[](std::size_t size) {
  return AllocateOrThrow(size, kDefault);
}
REPLACEMENT void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, kDefault);
}
REPLACEMENT void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  return Allocate(size, kDefault);
}
REPLACEMENT void* operator new(std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
REPLACEMENT void* operator new[](std::size_t size, std::align_val_t alignment) {
  return AllocateOrThrow(size, static_cast<std::size_t>(alignment));
}
REPLACEMENT void* operator new(std::size_t size, std::align_val_t alignment, const std::nothrow_t&) noexcept {
  return Allocate(size, static_cast<std::size_t>(alignment));
}
REPLACEMENT void* operator new[](std::size_t size, std::align_val_t alignment,
                                 const std::nothrow_t&) noexcept {
  return Allocate(size, static_cast<std::size_t>(alignment));
}

REPLACEMENT void operator delete(void* memory) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete[](void* memory) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete(void* memory, const std::nothrow_t&) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete[](void* memory, const std::nothrow_t&) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete(void* memory, std::size_t) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete[](void* memory, std::size_t) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete(void* memory, std::align_val_t) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete[](void* memory, std::align_val_t) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete(void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete[](void* memory, std::align_val_t, const std::nothrow_t&) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete(void* memory, std::size_t, std::align_val_t) noexcept {
  Release(memory);
}
REPLACEMENT void operator delete[](void* memory, std::size_t, std::align_val_t) noexcept {
  Release(memory);
}

// The C library reports a failed allocation in these with ENOMEM; the real functions are found
// behind this program's definitions.
extern "C" REPLACEMENT iconv_t iconv_open(const char* to, const char* from) {
  using Real = iconv_t (*)(const char*, const char*);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "iconv_open"));
  if (tarvo::test::allocation::ShouldFail()) {
    errno = ENOMEM;
    return reinterpret_cast<iconv_t>(-1);
  }
  return real(to, from);
}

extern "C" REPLACEMENT locale_t newlocale(int categories, const char* name, locale_t base) noexcept {
  using Real = locale_t (*)(int, const char*, locale_t);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "newlocale"));
  if (tarvo::test::allocation::ShouldFail()) {
    errno = ENOMEM;
    return static_cast<locale_t>(nullptr);
  }
  return real(categories, name, base);
}
