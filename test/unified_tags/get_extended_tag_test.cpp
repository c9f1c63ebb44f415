// GetExtendedTag: the name and the answer converted as every operation converts them, and the
// resolver's failures passed on unchanged.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "IUnifiedTagsManagerWrapper.h"
#include "model_container/tag_table_resolver.h"
#include "unified_tags/test_resolvers.h"

namespace tarvo::test {
namespace {

class GetExtendedTagTest : public ::testing::Test {
 protected:
  void TearDown() override { IUnifiedTagsManagerWrapper::Destroy(wrapper); }
  void Bind(std::shared_ptr<runtime::Object> resolver) {
    wrapper->LoadObject(NewHandle(std::move(resolver)));
  }

  IUnifiedTagsManagerWrapper* wrapper = IUnifiedTagsManagerWrapper::CreateInstance();
};

TEST_F(GetExtendedTagTest, TheNameReachesTheResolverUpToItsFirstNul) {
  auto resolver = std::make_shared<LabelResolver>(u"tag");
  Bind(resolver);
  EXPECT_EQ(wrapper->GetExtendedTag(std::string("R1\0hidden", 9)), "tag:R1");
  EXPECT_EQ(resolver->lastName, runtime::Text(u"R1"));
  EXPECT_EQ(wrapper->GetExtendedTag(""), "tag:");
  EXPECT_EQ(resolver->lastName, runtime::Text(u""));  // empty, not absent
}

TEST_F(GetExtendedTagTest, TheResolversFailuresPassUnchanged) {
  Bind(std::make_shared<FaultyResolver>());
  try {
    wrapper->GetExtendedTag("R1");
    ADD_FAILURE() << "no exception";
  } catch (const ResolverFault& fault) {
    EXPECT_STREQ(fault.what(), "FaultyResolver: the tag store is offline");
  }

  Bind(std::make_shared<FaultyResolver>(/*answerAbsent=*/true));
  try {
    wrapper->GetExtendedTag("R1");
    ADD_FAILURE() << "no exception";
  } catch (const NullReferenceError& error) {
    EXPECT_STREQ(error.what(), "GetExtendedTag: the resolver answered with absent (null) text");
  }

  Bind(backend::TagTableResolver::Parse("R1\tRow one\n", "rows.tags"));
  EXPECT_EQ(wrapper->GetExtendedTag("R1"), "Row one");
  try {
    wrapper->GetExtendedTag("R2");
    ADD_FAILURE() << "no exception";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(),
                 "TagTableResolver::GetMatrixExtendedTag: \"R2\" has no extended tag in rows.tags");
  }
  EXPECT_EQ(wrapper->GetExtendedTag("R1"), "Row one");  // a failure leaves the wrapper as it was
}

}  // namespace
}  // namespace tarvo::test
