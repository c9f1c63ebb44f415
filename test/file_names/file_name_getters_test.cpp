// Slots 27 to 67: each forwarding getter answers its own service operation's name converted, on
// any wrapper; each alias answers through its target's virtual slot.
#include <gtest/gtest.h>

#include <climits>
#include <exception>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <typeinfo>
#include <vector>

#include "interop/util.h"
#include "model_container/tarvo_file_name_manager.h"
#include "utility/recording_vantrel.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"

namespace tarvo::test {
namespace {

using interop::Util;
using model_container::TarvoFileNameManager;

struct Slot {
  int slot;
  const char* getter;
  bool numbered;
  std::function<std::string(IVantrelWrapper&, int)> call;
  std::function<Text(int)> service;  // for an alias, its target's operation
};

// clang-format off
#define NUMBERED(slot, getter, operation) \
  Slot{slot, #getter, true, [](IVantrelWrapper& w, int n) { return w.getter(n); }, \
       [](int n) { return TarvoFileNameManager::operation(n); }}
#define FIXED(slot, getter) \
  Slot{slot, #getter, false, [](IVantrelWrapper& w, int) { return w.getter(); }, \
       [](int) { return TarvoFileNameManager::getter(); }}

const std::vector<Slot> kSlots = {
    NUMBERED(27, GetSolutionFileName, GetSolutionFileName),
    FIXED(28, GetXSLPOptionsMPIFileName),
    FIXED(29, GetXSLPOptionsSTDFileName),
    FIXED(30, GetXSLPOptionsMSFileName),
    FIXED(31, GetXSLPOptionsPAFileName),
    NUMBERED(32, GetXpressbssFileNameInternal, GetXpressbssFileNameInternal),
    NUMBERED(33, GetXpressbssFileNameExternal, GetXpressbssFileNameExternal),
    NUMBERED(34, GetXmpsNewFileName, GetXmpsNewFileName),
    NUMBERED(35, GetxmpsFileName, GetxmpsFileName),
    NUMBERED(36, GetMS_BestbssFileName, GetMS_BestbssFileName),
    NUMBERED(37, GetMS_BestxlpFileName, GetMS_BestxlpFileName),
    NUMBERED(38, GetXSLPAbmlLogFileName, GetXSLPAbmlLogFileName),
    NUMBERED(39, GetXSLPEqnsLogFileName, GetXSLPEqnsLogFileName),
    NUMBERED(40, GetEpsilonGen1FileName, GetEpsilonGen1FileName),
    NUMBERED(41, GetEpsilonGen2AFileName, GetEpsilonGen2AFileName),
    NUMBERED(42, GetEpsilonGen2BFileName, GetEpsilonGen2BFileName),
    NUMBERED(43, GetXLPFileName, GetXLPFileName),
    NUMBERED(44, GetFilFileName, GetFilFileName),
    NUMBERED(45, GetMapFileName, GetMapFileName),
    NUMBERED(46, GetPartialFilFileName, GetPartialFilFileName),
    NUMBERED(47, GetPartialMapFileName, GetPartialMapFileName),
    NUMBERED(48, GetWarnFileName, GetWarnFileName),
    FIXED(49, GetCaseInfoFileName),
    NUMBERED(50, GetCaseNumberAsFormattedString, GetCaseNumberAsFormattedString),
    NUMBERED(51, GetPenaltyDatFileName, GetPenaltyDatFileName),
    NUMBERED(52, GetXLPMGErrorsFileName, GetXLPMGErrorsFileName),
    NUMBERED(53, GetSolutionFilFileName, GetSolutionFilFileName),
    NUMBERED(54, GetMarginalSolutionFilFileName, GetMarginalSolutionFilFileName),
    NUMBERED(55, GetRecursionFilFileName, GetRecursionFilFileName),
    NUMBERED(56, GetPVTWDatFileName, GetPVTWDatFileName),
    NUMBERED(57, GetPguessAOFileName, GetPguessAOFileName),
    NUMBERED(58, GetCaseDbResultFileName, GetCaseDbResultFileName),
    NUMBERED(59, GetTrXlptcFileName, GetTrXlptcFileName),
    NUMBERED(60, GetTrancolReportFileName, GetTrancolReportFileName),
    NUMBERED(61, GetXNLPSolutionFileName, GetSolutionFileName),
    NUMBERED(62, GetTrancolXlptcFileName, GetTrXlptcFileName),
    NUMBERED(63, GetTrancolRptFileName, GetTrancolReportFileName),
    FIXED(64, GetMS_BestTrXlptcFileName),
    NUMBERED(65, GetMS_BestTrXlptcFileName, GetMS_BestTrXlptcFileName),
    FIXED(66, GetMS_BestTrancolReportFileName),
    NUMBERED(67, GetMS_BestTrancolReportFileName, GetMS_BestTrancolReportFileName),
};
// clang-format on

std::string Trace(const Slot& slot, int n) {
  return "slot " + std::to_string(slot.slot) + " " + slot.getter + "(" + std::to_string(n) + ")";
}

TEST(FileNameGetters, EverySlotOfAnUnboundFileNameManagerAnswersTheServiceName) {
  ASSERT_EQ(kSlots.size(), 41u);
  IVantrelWrapper* wrapper = IVantrelWrapper::CreateFileNameManager();
  for (const Slot& slot : kSlots) {
    for (int n : {0, 42, 999}) {
      SCOPED_TRACE(Trace(slot, n));
      EXPECT_EQ(slot.call(*wrapper, n), Util::SystemToStdString(slot.service(n)));
    }
  }
  IVantrelWrapper::Destroy(wrapper);
}

TEST(FileNameGetters, BindingChangesNoAnswerAndGettersLeaveTheBackendAlone) {
  IVantrelWrapper* unbound = IVantrelWrapper::CreateFileNameManager();
  IVantrelWrapper* bound = IVantrelWrapper::CreateInstance();
  auto recording = std::make_shared<RecordingVantrel>();
  bridge::WrapperAccess::Bind(static_cast<VantrelWrapper&>(*bound), recording);
  std::vector<std::string> before;
  for (const Slot& slot : kSlots) before.push_back(slot.call(*unbound, 7));
  unbound->LoadObject();
  for (std::size_t i = 0; i < kSlots.size(); ++i) {
    SCOPED_TRACE(Trace(kSlots[i], 7));
    EXPECT_EQ(kSlots[i].call(*unbound, 7), before[i]);
    EXPECT_EQ(kSlots[i].call(*bound, 7), before[i]);
  }
  EXPECT_TRUE(recording->calls.empty());
  EXPECT_EQ(bridge::WrapperAccess::Backend(static_cast<VantrelWrapper&>(*bound)), recording);
  IVantrelWrapper::Destroy(unbound);
  IVantrelWrapper::Destroy(bound);
}

TEST(FileNameGetters, OverloadsReachTwoDifferentOperations) {
  VantrelWrapper wrapper;
  EXPECT_NE(wrapper.GetMS_BestTrXlptcFileName(), wrapper.GetMS_BestTrXlptcFileName(0));
  EXPECT_NE(wrapper.GetMS_BestTrancolReportFileName(), wrapper.GetMS_BestTrancolReportFileName(0));
}

// The service's own refusal, captured, so the getter's can be compared by type and message.
std::exception_ptr Failure(const std::function<void()>& call) {
  try {
    call();
  } catch (...) {
    return std::current_exception();
  }
  return nullptr;
}

void ExpectSameFailure(std::exception_ptr actual, std::exception_ptr expected) {
  ASSERT_TRUE(actual && expected);
  try {
    std::rethrow_exception(expected);
  } catch (const std::exception& want) {
    try {
      std::rethrow_exception(actual);
    } catch (const std::exception& got) {
      EXPECT_EQ(typeid(got), typeid(want));
      EXPECT_STREQ(got.what(), want.what());
    }
  }
}

TEST(FileNameGetters, ServiceFailuresPassUnchangedThroughGettersAndAliases) {
  VantrelWrapper wrapper;
  for (const Slot& slot : kSlots) {
    if (!slot.numbered) continue;
    for (int n : {-1, INT_MIN, INT_MAX}) {
      SCOPED_TRACE(Trace(slot, n));
      ExpectSameFailure(Failure([&] { slot.call(wrapper, n); }), Failure([&] { slot.service(n); }));
    }
  }
}

struct TargetFailure : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// Overrides only the three alias targets; a negative number makes the override fail.
class OverridingWrapper : public VantrelWrapper {
 public:
  std::string GetSolutionFileName(int n) override { return Answer("solution", n); }
  std::string GetTrXlptcFileName(int n) override { return Answer("xlptc", n); }
  std::string GetTrancolReportFileName(int n) override { return Answer("report", n); }

 private:
  static std::string Answer(const std::string& what, int n) {
    if (n < 0) throw TargetFailure(what + " override refuses " + std::to_string(n));
    return what + " override " + std::to_string(n);
  }
};

TEST(FileNameGetters, AliasesFollowOverriddenTargetsHoweverTheyAreCalled) {
  OverridingWrapper derived;
  VantrelWrapper& asWrapper = derived;
  IVantrelWrapper& asInterface = derived;
  EXPECT_EQ(asInterface.GetXNLPSolutionFileName(0), "solution override 0");
  EXPECT_EQ(asWrapper.GetTrancolXlptcFileName(5), "xlptc override 5");
  // Qualified calls bind the alias itself statically; its target must still dispatch virtually.
  EXPECT_EQ(derived.VantrelWrapper::GetXNLPSolutionFileName(1), "solution override 1");
  EXPECT_EQ(asWrapper.VantrelWrapper::GetTrancolXlptcFileName(2), "xlptc override 2");
  EXPECT_EQ(asWrapper.VantrelWrapper::GetTrancolRptFileName(3), "report override 3");
  try {
    asWrapper.VantrelWrapper::GetTrancolRptFileName(-4);
    ADD_FAILURE() << "no exception";
  } catch (const TargetFailure& error) {
    EXPECT_STREQ(error.what(), "report override refuses -4");
  }
  // Getters that are not overridden still answer from the service.
  EXPECT_EQ(asInterface.GetXLPFileName(5), VantrelWrapper().GetXLPFileName(5));
}

}  // namespace
}  // namespace tarvo::test
