// The handle table: what a handle holds, how bad values are recognised without reading through
// them, slot reuse and retirement, and use from several threads at once.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>
#include <vector>

#include "BridgeErrors.h"
#include "platform/runtime/counted_object.h"
#include "runtime/handle_table.h"

namespace tarvo::test {
namespace {

using runtime::HandleTable;
using ::testing::HasSubstr;

constexpr std::uintptr_t Encode(std::uintptr_t index, std::uintptr_t generation) {
  return (generation << HandleTable::kIndexBits) | (index + 1);
}

// Each of the three lookups refuses `handle` with InvalidHandleError naming itself, the value and
// `why`, and the table is left as it was.
void ExpectRejected(HandleTable& table, std::uintptr_t handle, const char* hexValue, const char* why) {
  const std::size_t live = table.liveCount();
  try {
    table.Check(handle, "Check");
    ADD_FAILURE() << "Check accepted " << hexValue;
  } catch (const InvalidHandleError& error) {
    EXPECT_EQ(error.what(), std::string("Check: ") + hexValue + " " + why);
  }
  EXPECT_THROW(table.Target(handle, "Target"), InvalidHandleError);
  try {
    table.Free(handle, "Free");
    ADD_FAILURE() << "Free accepted " << hexValue;
  } catch (const InvalidHandleError& error) {
    EXPECT_THAT(error.what(), HasSubstr(std::string("Free: ") + hexValue));
  }
  EXPECT_EQ(table.liveCount(), live);
}

TEST(HandleTable, AHandleHoldsItsObjectUntilFreed) {
  HandleTable table;
  std::atomic<int> alive = 0;
  const std::uintptr_t handle = table.Alloc(std::make_shared<CountedObject>(alive));
  const std::uintptr_t onNothing = table.Alloc(nullptr);
  EXPECT_NE(handle, 0u);
  EXPECT_NE(onNothing, 0u);
  EXPECT_NE(handle, onNothing);
  EXPECT_EQ(alive, 1);  // the table is the only holder
  EXPECT_NE(table.Target(handle, "Target"), nullptr);
  EXPECT_EQ(table.Target(onNothing, "Target"), nullptr);
  EXPECT_EQ(table.liveCount(), 2u);

  table.Free(handle, "Free");
  EXPECT_EQ(alive, 0);
  table.Free(onNothing, "Free");
  EXPECT_EQ(table.liveCount(), 0u);
}

TEST(HandleTable, ZeroStaleDoubleFreedAndForgedValuesAreRefusedByValue) {
  HandleTable table;
  std::atomic<int> alive = 0;
  const std::uintptr_t freed = table.Alloc(std::make_shared<CountedObject>(alive));
  table.Free(freed, "Free");
  ASSERT_EQ(freed, Encode(0, 0));
  const std::uintptr_t live = table.Alloc(std::make_shared<CountedObject>(alive));  // reuses slot 0
  ASSERT_EQ(live, Encode(0, 1));

  ExpectRejected(table, 0, "0x0", "is not a handle: zero never designates an object");
  // Freed, then freed again: the slot's generation has moved on.
  ExpectRejected(table, freed, "0x1", "is a handle that has already been freed");
  // Never issued: a slot that does not exist, a generation the slot has not reached, an index of
  // zero with a generation, and an address passed where a handle belongs.
  ExpectRejected(table, Encode(7, 0), "0x8", "is not a handle: no handle was ever issued with this value");
  ExpectRejected(table, Encode(0, 5), "0x500000001",
                 "is not a handle: no handle was ever issued with this value");
  ExpectRejected(table, std::uintptr_t{1} << HandleTable::kIndexBits, "0x100000000",
                 "is not a handle: no handle was ever issued with this value");
  const std::uintptr_t address = reinterpret_cast<std::uintptr_t>(&table);
  EXPECT_THROW(table.Check(address, "Check"), InvalidHandleError);

  // None of that disturbed the live handle.
  EXPECT_NE(table.Target(live, "Target"), nullptr);
  EXPECT_EQ(alive, 1);
  table.Free(live, "Free");
}

TEST(HandleTable, AFreedSlotIsReusedUnderANewGenerationUntilItIsRetired) {
  HandleTable table(/*maxGeneration=*/2);
  std::vector<std::uintptr_t> issued;
  for (int round = 0; round < 3; ++round) {
    issued.push_back(table.Alloc(nullptr));
    table.Free(issued.back(), "Free");
  }
  EXPECT_EQ(issued, (std::vector<std::uintptr_t>{Encode(0, 0), Encode(0, 1), Encode(0, 2)}));
  // Slot 0 has used up its generations: it is retired rather than wrapped round to generation 0,
  // which would bring the first handle back to life.
  const std::uintptr_t next = table.Alloc(nullptr);
  EXPECT_EQ(next, Encode(1, 0));
  for (std::uintptr_t old : issued) {
    EXPECT_THROW(table.Check(old, "Check"), InvalidHandleError);
  }
  table.Free(next, "Free");
}

TEST(HandleTable, AnObjectReleasedByFreeMayUseTheTableFromItsDestructor) {
  HandleTable table;
  std::atomic<int> alive = 0;
  const std::uintptr_t inner = table.Alloc(std::make_shared<CountedObject>(alive));
  // Its destructor frees another handle and makes a new one: this deadlocks if Free drops the
  // object while still holding the table's lock.
  std::uintptr_t madeOnDestruction = 0;
  const std::uintptr_t outer = table.Alloc(std::make_shared<CountedObject>(alive, [&] {
    table.Free(inner, "Free");
    madeOnDestruction = table.Alloc(nullptr);
  }));
  table.Free(outer, "Free");
  EXPECT_EQ(alive, 0);
  EXPECT_EQ(table.liveCount(), 1u);
  table.Free(madeOnDestruction, "Free");
}

TEST(HandleTable, ThreadsAllocReadAndFreeAtOnce) {
  HandleTable table;
  std::atomic<int> alive = 0;
  std::atomic<int> failures = 0;
  const std::uintptr_t shared = table.Alloc(std::make_shared<CountedObject>(alive));
  constexpr int kThreads = 4, kRounds = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&] {
      for (int round = 0; round < kRounds; ++round) {
        const std::uintptr_t mine = table.Alloc(std::make_shared<CountedObject>(alive));
        if (!table.Target(mine, "Target") || !table.Target(shared, "Target")) ++failures;
        table.Free(mine, "Free");
        try {
          table.Target(mine, "Target");  // stale at once, whatever the other threads do
          ++failures;
        } catch (const InvalidHandleError&) {
        }
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(failures, 0);
  EXPECT_EQ(table.liveCount(), 1u);
  EXPECT_EQ(alive, 1);
  table.Free(shared, "Free");
  EXPECT_EQ(alive, 0);
}

}  // namespace
}  // namespace tarvo::test
