// Creation, copying, assignment and release of unified-tags wrappers, and the sharing of one
// resolver between copies.
#include <gtest/gtest.h>

#include <memory>
#include <utility>

#include "IUnifiedTagsManagerWrapper.h"
#include "unified_tags/test_resolvers.h"
#include "unified_tags/unified_tags_manager_wrapper.h"

namespace tarvo::test {
namespace {

UnifiedTagsManagerWrapper BoundTo(std::shared_ptr<LabelResolver> resolver) {
  UnifiedTagsManagerWrapper wrapper;
  wrapper.LoadObject(NewHandle(std::move(resolver)));
  return wrapper;
}

TEST(UnifiedTagsLifecycle, FactoryMakesUnboundWrappersAndDestroyIgnoresNull) {
  IUnifiedTagsManagerWrapper* first = IUnifiedTagsManagerWrapper::CreateInstance();
  IUnifiedTagsManagerWrapper* second = IUnifiedTagsManagerWrapper::CreateInstance();
  ASSERT_NE(first, second);
  try {
    first->GetExtendedTag("R1");
    ADD_FAILURE() << "an unbound wrapper answered";
  } catch (const NullReferenceError& error) {
    EXPECT_STREQ(error.what(), "GetExtendedTag: no backend object is bound; call LoadObject first");
  }
  IUnifiedTagsManagerWrapper::Destroy(first);
  IUnifiedTagsManagerWrapper::Destroy(second);
  IUnifiedTagsManagerWrapper::Destroy(nullptr);
}

TEST(UnifiedTagsLifecycle, ACopyOutlivesItsDestroyedSource) {
  auto resolver = std::make_shared<LabelResolver>(u"shared");
  IUnifiedTagsManagerWrapper* source = IUnifiedTagsManagerWrapper::CreateInstance();
  source->LoadObject(NewHandle(resolver));
  UnifiedTagsManagerWrapper copy(static_cast<UnifiedTagsManagerWrapper&>(*source));
  IUnifiedTagsManagerWrapper::Destroy(source);
  EXPECT_EQ(copy.GetExtendedTag("R1"), "shared:R1");
  EXPECT_EQ(resolver.use_count(), 2);  // the test and the copy
}

TEST(UnifiedTagsLifecycle, MoveSharesAndLeavesTheSourceBound) {
  UnifiedTagsManagerWrapper source = BoundTo(std::make_shared<LabelResolver>(u"kept"));
  UnifiedTagsManagerWrapper moved(std::move(source));
  EXPECT_EQ(moved.GetExtendedTag("R1"), "kept:R1");
  EXPECT_EQ(source.GetExtendedTag("R1"), "kept:R1");  // NOLINT(bugprone-use-after-move): the contract
  UnifiedTagsManagerWrapper target;
  target = std::move(moved);
  EXPECT_EQ(target.GetExtendedTag("R2"), "kept:R2");
  EXPECT_EQ(moved.GetExtendedTag("R2"), "kept:R2");  // NOLINT(bugprone-use-after-move)
}

TEST(UnifiedTagsLifecycle, AssignmentRePointsEachWrapperOnItsOwn) {
  auto first = std::make_shared<LabelResolver>(u"first");
  UnifiedTagsManagerWrapper bound = BoundTo(first);
  UnifiedTagsManagerWrapper unbound;

  UnifiedTagsManagerWrapper target;
  target = bound;
  EXPECT_EQ(target.GetExtendedTag("R1"), "first:R1");
  target.LoadObject(NewHandle(std::make_shared<LabelResolver>(u"second")));
  EXPECT_EQ(target.GetExtendedTag("R1"), "second:R1");
  EXPECT_EQ(bound.GetExtendedTag("R1"), "first:R1");  // untouched by the other's LoadObject

  bound = unbound;  // assigning an unbound wrapper unbinds
  EXPECT_THROW(bound.GetExtendedTag("R1"), NullReferenceError);
  EXPECT_EQ(first.use_count(), 1);

  UnifiedTagsManagerWrapper& alias = target;
  target = alias;
  target = std::move(alias);
  EXPECT_EQ(target.GetExtendedTag("R1"), "second:R1");
}

}  // namespace
}  // namespace tarvo::test
