// A host's view: only the public headers and the shared library, calling through an
// IVantrelWrapper*, that is, by position in the dispatch table. The test hooks and the errors a host
// catches by type; files_host_test, environment_host_test and file_name_slots_test cover the rest.
#include <gtest/gtest.h>

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
