#include "runtime/array.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <new>
#include <numeric>

namespace tarvo::runtime {
namespace {

// Arrays on both sides of the size where storage is mapped from the system instead of taken from
// the heap, and growing and shrinking across it, keep their elements.
TEST(ArrayStorage, ArraysKeepTheirElementsAcrossTheLargeBlockSize) {
  constexpr std::size_t kLargeCount = ArrayStorage::kLargeBytes / sizeof(double);
  for (std::size_t count : {std::size_t{1}, kLargeCount - 1, kLargeCount, 3 * kLargeCount + 7}) {
    ArrayElements<double> values(count);
    std::iota(values.begin(), values.end(), 0.5);
    const ArrayElements<double> copy = values;
    EXPECT_EQ(copy, values) << count;
    EXPECT_EQ(copy.back(), static_cast<double>(count - 1) + 0.5) << count;
  }
  ArrayElements<std::uint8_t> growing(100, 7);
  growing.resize(ArrayStorage::kLargeBytes + 100, 9);
  EXPECT_EQ(growing[99], 7);
  EXPECT_EQ(growing[100], 9);
  growing.resize(50);
  growing.shrink_to_fit();
  EXPECT_EQ(growing, ArrayElements<std::uint8_t>(50, 7));
}

TEST(ArrayStorage, LargeBlocksStartOnHugePageBoundaries) {
#if defined(__unix__)
  ArrayElements<double> values(ArrayStorage::kLargeBytes / sizeof(double));
  EXPECT_EQ(reinterpret_cast<std::uintptr_t>(values.data()) % (std::size_t{2} << 20), 0u);
#else
  GTEST_SKIP() << "large blocks are mapped only on POSIX systems";
#endif
}

TEST(ArrayStorage, MoreThanTheSystemHasIsBadAlloc) {
  EXPECT_THROW(ArrayStorage::allocate(std::size_t{1} << 62), std::bad_alloc);
  EXPECT_THROW(ArrayAllocator<double>().allocate(static_cast<std::size_t>(-1) / 4), std::bad_alloc);
}

}  // namespace
}  // namespace tarvo::runtime
