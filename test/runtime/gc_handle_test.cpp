// GCHandle: the process's handles in their pointer-sized form, as hosts and the bridge use them.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <atomic>
#include <memory>

#include "BridgeErrors.h"
#include "runtime/counted_object.h"
#include "runtime/gc_handle.h"

namespace tarvo::test {
namespace {

using runtime::GCHandle;
using ::testing::HasSubstr;
using ::testing::StartsWith;

TEST(GCHandle, RoundTripsThroughItsPointerSizedForm) {
  std::atomic<int> alive = 0;
  auto object = std::make_shared<CountedObject>(alive);
  void* value = GCHandle::ToIntPtr(GCHandle::Alloc(object));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(GCHandle::FromIntPtr(value).Target(), object);
  object.reset();
  EXPECT_EQ(alive, 1);  // held by the handle alone
  GCHandle::FromIntPtr(value).Free();
  EXPECT_EQ(alive, 0);

  void* onNothing = GCHandle::ToIntPtr(GCHandle::Alloc(nullptr));
  EXPECT_EQ(GCHandle::FromIntPtr(onNothing).Target(), nullptr);
  GCHandle::FromIntPtr(onNothing).Free();
}

TEST(GCHandle, BadValuesRaiseInvalidHandleErrorNamingTheOperation) {
  try {
    GCHandle::FromIntPtr(nullptr);
    ADD_FAILURE() << "zero accepted";
  } catch (const InvalidHandleError& error) {
    EXPECT_STREQ(error.what(), "GCHandle::FromIntPtr: 0x0 is not a handle: zero never designates an object");
  }

  const GCHandle handle = GCHandle::Alloc(nullptr);
  handle.Free();
  try {
    handle.Free();
    ADD_FAILURE() << "double free accepted";
  } catch (const InvalidHandleError& error) {
    EXPECT_THAT(error.what(), StartsWith("GCHandle::Free: 0x"));
    EXPECT_THAT(error.what(), HasSubstr("already been freed"));
  }
  EXPECT_THROW(handle.Target(), InvalidHandleError);
  EXPECT_THROW(GCHandle::FromIntPtr(GCHandle::ToIntPtr(handle)), InvalidHandleError);

  int notAnObject = 0;  // an address where a handle belongs
  EXPECT_THROW(GCHandle::FromIntPtr(&notAnObject), InvalidHandleError);
}

}  // namespace
}  // namespace tarvo::test
