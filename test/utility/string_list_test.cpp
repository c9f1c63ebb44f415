// GetFileList hands the host a list it owns; Destroy(list) of any wrapper releases it. The
// sanitizer build turns every leak or double free here into a failure.
#include <gtest/gtest.h>

#include <memory>

#include "utility/wrapper_fixture.h"

namespace tarvo::test {
namespace {

Array<Text> Entries(std::vector<Text> texts) {
  return std::make_shared<runtime::ArrayElements<Text>>(texts.begin(), texts.end());
}

TEST_F(WrapperTest, ListKeepsTheBackendsOrderDuplicatesAndEmptyEntries) {
  backend().list = Entries({Text(u"b.dat"), Text(u""), Text(u"a.dat"), Text(u"b.dat"), Text(u"x\0y")});
  std::vector<std::string*>* list = wrapper().GetFileList("folder", false, "*");
  ASSERT_NE(list, nullptr);
  ASSERT_EQ(list->size(), 5u);
  const char* expected[] = {"b.dat", "", "a.dat", "b.dat", "x"};
  for (std::size_t i = 0; i < list->size(); ++i) {
    ASSERT_NE((*list)[i], nullptr);
    EXPECT_EQ(*(*list)[i], expected[i]);
  }
  wrapper().Destroy(list);
}

TEST_F(WrapperTest, NoArrayAndEmptyArrayBothGiveAnEmptyList) {
  for (Array<Text> answer : {Array<Text>(), Entries({})}) {
    backend().list = answer;
    std::vector<std::string*>* list = wrapper().GetFileList("folder", true, "");
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->empty());
    wrapper().Destroy(list);
  }
}

TEST_F(WrapperTest, AnAbsentEntryFailsTheWholeListAndLeaksNothing) {
  backend().list = Entries({Text(u"first"), Text(u"second"), Text::null(), Text(u"fourth")});
  EXPECT_THROW(wrapper().GetFileList("folder", true, ""), NullReferenceError);
}

TEST_F(WrapperTest, AnyWrapperReleasesAnyListAndSkipsNullElements) {
  backend().list = Entries({Text(u"one"), Text(u"two")});
  std::vector<std::string*>* list = wrapper().GetFileList("folder", true, "");
  list->insert(list->begin() + 1, nullptr);
  list->push_back(nullptr);

  IVantrelWrapper* unbound = IVantrelWrapper::CreateFileNameManager();
  unbound->Destroy(list);
  unbound->Destroy(static_cast<std::vector<std::string*>*>(nullptr));
  unbound->Destroy(new std::vector<std::string*>());
  IVantrelWrapper::Destroy(unbound);
  EXPECT_EQ(backend().calls.size(), 1u);  // releasing never calls the backend
}

}  // namespace
}  // namespace tarvo::test
