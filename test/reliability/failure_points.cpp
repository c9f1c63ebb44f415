#include "reliability/failure_points.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <new>

#include "reliability/allocation_counter.h"
#include "reliability/host_calls.h"

namespace tarvo::test {

namespace {

using allocation::FailureMode;

constexpr const char* kBadAlloc = "std::bad_alloc";
constexpr std::size_t kGiveUpAfter = 100000;  // no call here comes near this many allocations

std::size_t totalFailurePoints = 0;

// Runs the scene's call for k = 1, 2, ... in `mode`; returns the number of failure points covered.
std::size_t CoverInMode(const MakeScene& make, FailureMode mode) {
  // The fault-free run is the reference, and it also makes whatever the process keeps for good
  // (the process codec, the handle table) before anything is counted.
  std::string reference;
  std::string referenceState;
  {
    const std::unique_ptr<Scene> scene = make();
    reference = scene->Outcome();
    referenceState = scene->State();
  }
  for (std::size_t k = 1; k < kGiveUpAfter; ++k) {
    SCOPED_TRACE("failing allocation " + std::to_string(k));
    const std::int64_t liveBefore = allocation::Live();
    bool injected = false;
    {
      const std::unique_ptr<Scene> scene = make();
      const std::string stateBefore = scene->State();
      allocation::PlanFailure(k, mode);
      const std::string outcome = scene->Outcome();
      injected = allocation::ClearPlan();
      if (outcome == kBadAlloc) {
        EXPECT_TRUE(injected) << "std::bad_alloc without a failed allocation";
        EXPECT_EQ(scene->State(), stateBefore) << "the failed call changed the wrapper or what it works on";
      } else {
        EXPECT_EQ(outcome, reference);
        EXPECT_EQ(scene->State(), referenceState);
      }
      if (injected) {
        EXPECT_EQ(scene->Outcome(), reference) << "the same wrapper fails the call afterwards";
      }
    }
    EXPECT_EQ(allocation::Live(), liveBefore) << "allocations left outstanding";
    if (::testing::Test::HasFailure()) return k;
    if (!injected) return k - 1;
  }
  ADD_FAILURE() << "the call never completed";
  return kGiveUpAfter;
}

class TotalReport : public ::testing::Environment {
 public:
  void TearDown() override {
    if (totalFailurePoints > 0) std::printf("[ covered  ] %zu failure points in all\n", totalFailurePoints);
  }
};
const auto* const kTotalReport = ::testing::AddGlobalTestEnvironment(new TotalReport);

}  // namespace

std::string Scene::Outcome() {
  try {
    return Tidy(Run());
  } catch (const std::bad_alloc&) {
    return kBadAlloc;
  } catch (...) {
    return Tidy(DescribeCurrentException());
  }
}

void CoverFailurePoints(const std::string& name, const MakeScene& make, std::size_t& points) {
  for (FailureMode mode : {FailureMode::Once, FailureMode::FromThenOn}) {
    SCOPED_TRACE(name + (mode == FailureMode::Once ? ", failing once" : ", failing from then on"));
    points += CoverInMode(make, mode);
    if (::testing::Test::HasFailure()) return;
  }
}

void ReportFailurePoints(const char* what, std::size_t points) {
  totalFailurePoints += points;
  std::printf("[ covered  ] %zu failure points: %s\n", points, what);
  ::testing::Test::RecordProperty("failure_points", static_cast<int>(points));
}

}  // namespace tarvo::test
