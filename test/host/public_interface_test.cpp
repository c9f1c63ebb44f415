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
// each slot reached the backend operation of its own name. The file and document operations work
// (files_host_test.cpp).
TEST_F(HostTest, EverySlotReachesTheBackendOperationOfItsName) {
  double x[] = {0, 1}, y[] = {0, 1}, dY = 0, slope = 0;
  const std::vector<std::pair<const char*, std::function<void()>>> slots = {
      {"EcryptString", [&] { wrapper->EcryptString("text", "key"); }},
      {"DcryptString", [&] { wrapper->DcryptString("text", "key"); }},
      {"IsMsOleDbSqlInstalled", [&] { wrapper->IsMsOleDbSqlInstalled(); }},
      {"IsBrevikInstalled", [&] { wrapper->IsBrevikInstalled(); }},
      {"GetEnvUserName", [&] { wrapper->GetEnvUserName(); }},
      {"GetEnvUserDomain", [&] { wrapper->GetEnvUserDomain(); }},
      {"GetEnvMachineDomain", [&] { wrapper->GetEnvMachineDomain(); }},
      {"GetEnvMachineName", [&] { wrapper->GetEnvMachineName(); }},
      {"CaesarCipher12Net", [&] { wrapper->CaesarCipher12Net("text", true); }},
      {"Interpolate", [&] { wrapper->Interpolate(x, y, 2, 0.5, dY, slope); }},
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
  EXPECT_THROW(unbound->GetSolutionFileName(1), tarvo::NotSupportedError);
  unbound->Destroy(static_cast<std::vector<std::string*>*>(nullptr));
  IVantrelWrapper::Destroy(unbound);
}

}  // namespace
