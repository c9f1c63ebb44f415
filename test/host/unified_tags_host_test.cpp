// A host's view of the unified-tags interface: only the installed headers (IUnifiedTagsManagerWrapper.h
// and TarvoUnifiedTags.h) and the two shared libraries. Slots are reached through the interface
// pointer, that is, by their position in the dispatch table.
#include <gtest/gtest.h>

#include <unistd.h>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>

#include "IUnifiedTagsManagerWrapper.h"
#include "TarvoUnifiedTags.h"

namespace {

using tarvo::backend::TagTableResolver;
using tarvo::runtime::GCHandle;

class UnifiedTagsHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ofstream(tagFile_) << "# rows and columns of the crude model\n"
                               "BALCRD01\tBalance.Crude.Period 1\n"
                               "BUYCRD01\tPurchase.Crude.Period 1\n";
  }
  void TearDown() override {
    IUnifiedTagsManagerWrapper::Destroy(tags);
    std::filesystem::remove(tagFile_);
  }

  const std::filesystem::path tagFile_ =
      std::filesystem::temp_directory_path() / ("unified_tags_host." + std::to_string(::getpid()) + ".tags");
  IUnifiedTagsManagerWrapper* tags = IUnifiedTagsManagerWrapper::CreateInstance();
};

TEST_F(UnifiedTagsHostTest, ResolvesThroughATagTableHandedOverWithAHandle) {
  void* handle = GCHandle::ToIntPtr(GCHandle::Alloc(TagTableResolver::Load(tagFile_)));
  tags->LoadObject(handle);  // the handle is the wrapper's now, and already freed
  EXPECT_EQ(tags->GetExtendedTag("BALCRD01"), "Balance.Crude.Period 1");
  EXPECT_EQ(tags->GetExtendedTag("BUYCRD01"), "Purchase.Crude.Period 1");
  EXPECT_THROW(tags->GetExtendedTag("SELCRD01"), std::out_of_range);
  EXPECT_THROW(GCHandle::FromIntPtr(handle), tarvo::InvalidHandleError);
}

TEST_F(UnifiedTagsHostTest, ZeroAndStaleHandlesAreRefusedAndTheWrapperKeepsItsResolver) {
  tags->LoadObject(GCHandle::ToIntPtr(GCHandle::Alloc(TagTableResolver::Load(tagFile_))));

  EXPECT_THROW(tags->LoadObject(nullptr), tarvo::InvalidHandleError);
  void* stale = GCHandle::ToIntPtr(GCHandle::Alloc(TagTableResolver::Parse("X\tY\n", "other")));
  GCHandle::FromIntPtr(stale).Free();
  try {
    tags->LoadObject(stale);
    ADD_FAILURE() << "a freed handle was accepted";
  } catch (const tarvo::InvalidHandleError& error) {
    EXPECT_NE(std::string(error.what()).find("already been freed"), std::string::npos) << error.what();
  }
  EXPECT_EQ(tags->GetExtendedTag("BALCRD01"), "Balance.Crude.Period 1");
}

// A resolver of the host's own, and an object that is not a resolver.
class UpperCaseTags : public tarvo::backend::ITarvoUnifiedTags {
 public:
  tarvo::runtime::Text GetMatrixExtendedTag(const tarvo::runtime::Text& name) override {
    std::u16string tag(name.units());
    for (char16_t& unit : tag) {
      if (unit >= u'a' && unit <= u'z') unit = static_cast<char16_t>(unit - u'a' + u'A');
    }
    return tarvo::runtime::Text(tag);
  }
};
class Unrelated : public tarvo::runtime::Object {};

TEST_F(UnifiedTagsHostTest, TakesAHostsOwnResolverAndRefusesOtherObjects) {
  tags->LoadObject(GCHandle::ToIntPtr(GCHandle::Alloc(std::make_shared<UpperCaseTags>())));
  EXPECT_EQ(tags->GetExtendedTag("balcrd01"), "BALCRD01");

  const GCHandle unrelated = GCHandle::Alloc(std::make_shared<Unrelated>());
  EXPECT_THROW(tags->LoadObject(GCHandle::ToIntPtr(unrelated)), tarvo::InvalidCastError);
  unrelated.Free();  // a refused handle stays the host's
  EXPECT_EQ(tags->GetExtendedTag("x"), "X");
}

}  // namespace
