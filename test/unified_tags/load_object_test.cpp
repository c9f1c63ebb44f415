// LoadObject: taking over the host's handle, binding, rebinding and unbinding, and the failures
// that must leave both the wrapper and the handle as they were.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <memory>

#include "IUnifiedTagsManagerWrapper.h"
#include "runtime/gc_handle.h"
#include "unified_tags/test_resolvers.h"

namespace tarvo::test {
namespace {

using runtime::GCHandle;
using ::testing::HasSubstr;

class LoadObjectTest : public ::testing::Test {
 protected:
  void TearDown() override { IUnifiedTagsManagerWrapper::Destroy(wrapper); }
  IUnifiedTagsManagerWrapper* wrapper = IUnifiedTagsManagerWrapper::CreateInstance();
};

TEST_F(LoadObjectTest, BindsTheResolverFreesTheHandleAndAloneKeepsTheResolverAlive) {
  auto resolver = std::make_shared<LabelResolver>(u"first");
  const std::weak_ptr<LabelResolver> watch = resolver;
  void* handle = NewHandle(std::move(resolver));  // the host keeps nothing but the handle

  wrapper->LoadObject(handle);
  EXPECT_FALSE(IsLive(handle));  // taken over and freed
  EXPECT_FALSE(watch.expired());
  EXPECT_EQ(wrapper->GetExtendedTag("R1"), "first:R1");

  IUnifiedTagsManagerWrapper::Destroy(wrapper);
  wrapper = nullptr;
  EXPECT_TRUE(watch.expired());  // the wrapper was the last holder
}

TEST_F(LoadObjectTest, RebindingReachesOnlyTheSecondResolver) {
  auto first = std::make_shared<LabelResolver>(u"first");
  auto second = std::make_shared<LabelResolver>(u"second");
  wrapper->LoadObject(NewHandle(first));
  wrapper->LoadObject(NewHandle(second));
  EXPECT_EQ(wrapper->GetExtendedTag("R1"), "second:R1");
  EXPECT_TRUE(first->lastName.isNull());
  EXPECT_EQ(first.use_count(), 1);  // no longer held by the wrapper
}

TEST_F(LoadObjectTest, AFailedTypeTestKeepsTheEarlierResolverAndLeavesTheHandleToTheHost) {
  wrapper->LoadObject(NewHandle(std::make_shared<LabelResolver>(u"kept")));
  const auto stranger = std::make_shared<NotAResolver>();
  void* handle = NewHandle(stranger);

  try {
    wrapper->LoadObject(handle);
    ADD_FAILURE() << "a non-resolver was bound";
  } catch (const InvalidCastError& error) {
    EXPECT_THAT(error.what(), HasSubstr("UnifiedTagsManagerWrapper::LoadObject: "));
    EXPECT_THAT(error.what(), HasSubstr("the object is a tarvo::test::NotAResolver, which is not a "
                                        "tarvo::backend::ITarvoUnifiedTags"));
  }
  EXPECT_EQ(wrapper->GetExtendedTag("R1"), "kept:R1");
  ASSERT_TRUE(IsLive(handle));
  EXPECT_EQ(GCHandle::FromIntPtr(handle).Target(), stranger);
  GCHandle::FromIntPtr(handle).Free();  // still the host's to free

  // An unbound wrapper stays unbound.
  IUnifiedTagsManagerWrapper* unbound = IUnifiedTagsManagerWrapper::CreateInstance();
  void* again = NewHandle(stranger);
  EXPECT_THROW(unbound->LoadObject(again), InvalidCastError);
  EXPECT_THROW(unbound->GetExtendedTag("R1"), NullReferenceError);
  GCHandle::FromIntPtr(again).Free();
  IUnifiedTagsManagerWrapper::Destroy(unbound);
}

TEST_F(LoadObjectTest, AHandleOnNothingUnbindsAndIsFreed) {
  auto resolver = std::make_shared<LabelResolver>(u"old");
  wrapper->LoadObject(NewHandle(resolver));
  void* handle = NewHandle(nullptr);
  wrapper->LoadObject(handle);
  EXPECT_FALSE(IsLive(handle));
  EXPECT_THROW(wrapper->GetExtendedTag("R1"), NullReferenceError);
  EXPECT_EQ(resolver.use_count(), 1);
}

TEST_F(LoadObjectTest, ZeroStaleAndMadeUpHandlesChangeNothing) {
  wrapper->LoadObject(NewHandle(std::make_shared<LabelResolver>(u"kept")));
  void* stale = NewHandle(std::make_shared<LabelResolver>(u"gone"));
  GCHandle::FromIntPtr(stale).Free();
  int notAHandle = 0;

  try {
    wrapper->LoadObject(nullptr);
    ADD_FAILURE() << "zero accepted";
  } catch (const InvalidHandleError& error) {
    EXPECT_STREQ(error.what(), "GCHandle::FromIntPtr: 0x0 is not a handle: zero never designates an object");
  }
  try {
    wrapper->LoadObject(stale);
    ADD_FAILURE() << "stale handle accepted";
  } catch (const InvalidHandleError& error) {
    EXPECT_THAT(error.what(), HasSubstr("has already been freed"));
  }
  EXPECT_THROW(wrapper->LoadObject(&notAHandle), InvalidHandleError);
  EXPECT_EQ(wrapper->GetExtendedTag("R1"), "kept:R1");
}

}  // namespace
}  // namespace tarvo::test
