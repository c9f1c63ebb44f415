// Backend arrays: reference-typed like the runtime's arrays, so "no array" (null) is a value.
#ifndef TARVO_RUNTIME_ARRAY_H
#define TARVO_RUNTIME_ARRAY_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <new>
#include <vector>

#if defined(__unix__)
#include <sys/mman.h>
#endif

namespace tarvo::runtime {

// Where the elements of backend arrays live. Blocks below kLargeBytes come from operator new. Larger
// ones are mapped from the system afresh for each array, on POSIX systems backed by huge pages
// where the kernel offers them, as a runtime's large-object heap would be: glibc hands such blocks
// back to the kernel when they are freed, and faulting a large array back in one 4 KiB page at a
// time costs several times as much as filling it. Nothing is kept between arrays.
class ArrayStorage {
 public:
  static constexpr std::size_t kLargeBytes = std::size_t{4} << 20;

  // Raises std::bad_alloc when the system has no room.
  static void* allocate(std::size_t bytes) {
#if defined(__unix__)
    if (bytes >= kLargeBytes) return allocateLarge(bytes);
#endif
    return ::operator new(bytes);
  }
  // `bytes` as given to allocate.
  static void release(void* block, [[maybe_unused]] std::size_t bytes) noexcept {
#if defined(__unix__)
    if (bytes >= kLargeBytes) {
      munmap(block, mappedSize(bytes));
      return;
    }
#endif
    ::operator delete(block);
  }

 private:
#if defined(__unix__)
  static constexpr std::size_t kHugePage = std::size_t{2} << 20;

  static std::size_t mappedSize(std::size_t bytes) {
    return (bytes + kHugePage - 1) / kHugePage * kHugePage;
  }

  static void* allocateLarge(std::size_t bytes) {
    if (bytes > static_cast<std::size_t>(-1) / 2) throw std::bad_alloc();
    const std::size_t size = mappedSize(bytes);
    // One huge page more than needed, so that the block can start on a huge-page boundary; the
    // slack on either side goes straight back.
    const std::size_t mapped = size + kHugePage;
    void* region = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (region == MAP_FAILED) throw std::bad_alloc();
    const auto start = reinterpret_cast<std::uintptr_t>(region);
    const std::uintptr_t aligned = (start + kHugePage - 1) / kHugePage * kHugePage;
    if (aligned != start) munmap(region, aligned - start);
    const std::size_t tail = start + mapped - (aligned + size);
    if (tail != 0) munmap(reinterpret_cast<void*>(aligned + size), tail);
    // Only advice: without transparent huge pages the block is an ordinary mapping.
    madvise(reinterpret_cast<void*>(aligned), size, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(aligned);
  }
#endif
};

template <class T>
struct ArrayAllocator {
  using value_type = T;

  ArrayAllocator() noexcept = default;
  template <class U>
  ArrayAllocator(const ArrayAllocator<U>&) noexcept {}

  T* allocate(std::size_t count) {
    if (count > static_cast<std::size_t>(-1) / sizeof(T)) throw std::bad_array_new_length();
    return static_cast<T*>(ArrayStorage::allocate(count * sizeof(T)));
  }
  void deallocate(T* elements, std::size_t count) noexcept {
    ArrayStorage::release(elements, count * sizeof(T));
  }

  template <class U>
  friend bool operator==(const ArrayAllocator&, const ArrayAllocator<U>&) noexcept {
    return true;
  }
  template <class U>
  friend bool operator!=(const ArrayAllocator&, const ArrayAllocator<U>&) noexcept {
    return false;
  }
};

template <class T>
using ArrayElements = std::vector<T, ArrayAllocator<T>>;

template <class T>
using Array = std::shared_ptr<ArrayElements<T>>;

}  // namespace tarvo::runtime

#endif  // TARVO_RUNTIME_ARRAY_H
