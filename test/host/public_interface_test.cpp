// A host's view: only the public headers and the shared library. Every slot 0 to 26 is called
// through an IVantrelWrapper*, that is, by its position in the dispatch table.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "IVantrelWrapper.h"

namespace {

class HostTest : public ::testing::Test {
 protected:
  void SetUp() override { wrapper->LoadObject(); }
  void TearDown() override { IVantrelWrapper::Destroy(wrapper); }
  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
};

TEST_F(HostTest, TestHooksRoundTripThroughTheBackend) {
  EXPECT_TRUE(wrapper->Test("a message for the person at the screen"));
  wrapper->TestSet("round trip");
  EXPECT_EQ(wrapper->TestGet(), "round trip");
  wrapper->TestSet(std::string("cut\0here", 8));
  EXPECT_EQ(wrapper->TestGet(), "cut");
}

// Until the backend does real work, every operation names itself in its refusal, which shows that
// each slot reached the backend operation of its own name.
TEST_F(HostTest, EverySlotReachesTheBackendOperationOfItsName) {
  const std::vector<std::pair<const char*, std::function<void()>>> slots = {
      {"Xsl2Xslx", [&] { wrapper->Xsl2Xslx("a.xls", "a.xlsx"); }},
      {"Copy", [&] { wrapper->Copy("m", "a", false, "s", "t", 0); }},
      {"CopySimple", [&] { wrapper->CopySimple("m", "a", false, "s", "t"); }},
      {"CopySimpleKerno", [&] { wrapper->CopySimpleKerno("m", "a", false, "s", "t"); }},
      {"Delete", [&] { wrapper->Delete("m", "a", false, "t"); }},
      {"Rename", [&] { wrapper->Rename("m", "a", false, "s", "t"); }},
      {"Open", [&] { wrapper->Open("m", "a", false, "t", 1); }},
      {"GetFileList", [&] { wrapper->Destroy(wrapper->GetFileList("folder", false, "")); }},
      {"CloseExcel", [&] { wrapper->CloseExcel("m", "a", false, "book"); }},
      {"CloseAnalyticsFiles", [&] { wrapper->CloseAnalyticsFiles("m", "a", false); }},
      {"LoadText", [&] { wrapper->LoadText("notes.txt"); }},
      {"OpenAndWait", [&] { wrapper->OpenAndWait("/bin/true", ""); }},
  };
  for (const auto& [name, call] : slots) {
    SCOPED_TRACE(name);
    try {
      call();
      ADD_FAILURE() << "no exception";
    } catch (const tarvo::NotSupportedError& error) {
      EXPECT_EQ(error.what(), "Vantrel::" + std::string(name) + ": not implemented yet");
    }
  }
}

TEST_F(HostTest, ErrorsAreCatchableByTypeAcrossTheLibraryBoundary) {
  IVantrelWrapper* unbound = IVantrelWrapper::CreateInstance();
  EXPECT_THROW(unbound->LoadText("x"), tarvo::NullReferenceError);
  EXPECT_THROW(unbound->CaesarCipher12Net(nullptr, true), tarvo::NullReferenceError);
  double dY = 0, slope = 0;
  EXPECT_THROW(unbound->Interpolate(nullptr, nullptr, -1, 0, dY, slope), std::overflow_error);
  unbound->Destroy(static_cast<std::vector<std::string*>*>(nullptr));
  IVantrelWrapper::Destroy(unbound);
}

}  // namespace
