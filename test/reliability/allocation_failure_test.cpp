// Every operation of both interfaces, with every kind of text, run again and again with the k-th
// allocation failing (once, or from then on) for k = 1, 2, ... until the call completes without
// reaching k. At every k the host must get std::bad_alloc or the complete result, with nothing left
// allocated and the wrapper unchanged and still working.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "reliability/allocation_counter.h"
#include "reliability/host_calls.h"
#include "unified_tags/test_resolvers.h"
#include "utility/recording_vantrel.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"

namespace tarvo::test {
namespace {

using allocation::FailureMode;

constexpr const char* kBadAlloc = "std::bad_alloc";
constexpr std::size_t kGiveUpAfter = 100000;  // no call here comes near this many allocations

// A wrapper as the host holds it just before the call, and the call. Made afresh for every k.
class Scene {
 public:
  virtual ~Scene() = default;
  virtual std::string Run() = 0;
  // What a failed call must leave as it was.
  virtual std::string State() = 0;

  std::string Outcome() {
    try {
      return Run();
    } catch (const std::bad_alloc&) {
      return kBadAlloc;
    } catch (...) {
      return DescribeCurrentException();
    }
  }
};

class UtilityScene : public Scene {
 public:
  UtilityScene(const UtilityCall& call, TextKind kind, bool bound) : call_(call) {
    backend_->text = backend_->TestString = BackendAnswer(kind);
    backend_->list = BackendList(kind);
    if (bound) bridge::WrapperAccess::Bind(wrapper(), backend_);
  }
  ~UtilityScene() override { IVantrelWrapper::Destroy(wrapper_); }

  std::string Run() override { return call_.run(*wrapper_); }
  std::string State() override {
    const auto& bound = bridge::WrapperAccess::Backend(wrapper());
    const std::string binding = bound == backend_ ? "bound" : bound ? "bound elsewhere" : "unbound";
    return binding + ", TestString " + (backend_->TestString.isNull() ? "absent" : "present") + " of " +
           std::to_string(backend_->TestString.isNull() ? 0 : backend_->TestString.units().size());
  }

 private:
  VantrelWrapper& wrapper() { return static_cast<VantrelWrapper&>(*wrapper_); }

  const UtilityCall& call_;
  std::shared_ptr<RecordingVantrel> backend_ = std::make_shared<RecordingVantrel>();
  IVantrelWrapper* wrapper_ = IVantrelWrapper::CreateInstance();
};

class TagsScene : public Scene {
 public:
  TagsScene(const TagsCall& call, TextKind kind, bool bound) : call_(call) {
    if (!bound) return;
    std::shared_ptr<runtime::Object> resolver;
    if (kind == TextKind::Absent) {
      resolver = std::make_shared<FaultyResolver>(/*answerAbsent=*/true);
    } else {
      resolver = std::make_shared<LabelResolver>(u"first");
    }
    wrapper_->LoadObject(NewHandle(std::move(resolver)));
  }
  ~TagsScene() override { IUnifiedTagsManagerWrapper::Destroy(wrapper_); }

  std::string Run() override { return call_.run(*wrapper_); }
  std::string State() override {
    try {
      return wrapper_->GetExtendedTag("state");
    } catch (...) {
      return DescribeCurrentException();
    }
  }

 private:
  const TagsCall& call_;
  IUnifiedTagsManagerWrapper* wrapper_ = IUnifiedTagsManagerWrapper::CreateInstance();
};

using MakeScene = std::function<std::unique_ptr<Scene>()>;

std::size_t totalFailurePoints = 0;

// Runs the scene's call for k = 1, 2, ... in `mode`; returns the number of failure points covered.
std::size_t CoverFailurePoints(const MakeScene& make, FailureMode mode) {
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
        EXPECT_EQ(scene->State(), stateBefore) << "the failed call changed the wrapper";
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

void Cover(const std::string& name, const MakeScene& make, std::size_t& points) {
  for (FailureMode mode : {FailureMode::Once, FailureMode::FromThenOn}) {
    SCOPED_TRACE(name + (mode == FailureMode::Once ? ", failing once" : ", failing from then on"));
    points += CoverFailurePoints(make, mode);
    if (::testing::Test::HasFailure()) return;
  }
}

void Report(const char* what, std::size_t points) {
  totalFailurePoints += points;
  std::printf("[ covered  ] %zu failure points: %s\n", points, what);
  ::testing::Test::RecordProperty("failure_points", static_cast<int>(points));
}

TEST(AllocationFailure, EveryUtilityOperationWithEveryKindOfText) {
  std::size_t points = 0;
  for (TextKind kind : kTextKinds) {
    const std::vector<UtilityCall> calls = UtilityCalls(kind);
    for (const UtilityCall& call : calls) {
      for (bool bound : {true, false}) {
        const std::string name =
            call.name + " with " + NameOf(kind) + " text, " + (bound ? "bound" : "unbound");
        Cover(
            name, [&] { return std::make_unique<UtilityScene>(call, kind, bound); }, points);
        if (HasFailure()) return;
      }
    }
  }
  Report("utility operations", points);
}

TEST(AllocationFailure, EveryFileNameGetter) {
  std::size_t points = 0;
  const std::vector<UtilityCall> calls = FileNameCalls();
  for (const UtilityCall& call : calls) {
    Cover(
        call.name, [&] { return std::make_unique<UtilityScene>(call, TextKind::Empty, false); }, points);
    if (HasFailure()) return;
  }
  Report("file-name getters", points);
}

TEST(AllocationFailure, FactoriesAndDestroy) {
  std::size_t points = 0;
  const std::vector<UtilityCall> calls = FactoryCalls();
  for (const UtilityCall& call : calls) {
    Cover(
        call.name, [&] { return std::make_unique<UtilityScene>(call, TextKind::Empty, false); }, points);
    if (HasFailure()) return;
  }
  Report("factories", points);
}

TEST(AllocationFailure, BothUnifiedTagsOperations) {
  std::size_t points = 0;
  for (TextKind kind : kTextKinds) {
    const std::vector<TagsCall> calls = TagsCalls(kind);
    for (const TagsCall& call : calls) {
      for (bool bound : {true, false}) {
        const std::string name =
            call.name + " with " + NameOf(kind) + " text, " + (bound ? "bound" : "unbound");
        Cover(
            name, [&] { return std::make_unique<TagsScene>(call, kind, bound); }, points);
        if (HasFailure()) return;
      }
    }
  }
  Report("unified-tags operations", points);
}

class TotalReport : public ::testing::Environment {
 public:
  void TearDown() override {
    if (totalFailurePoints > 0) std::printf("[ covered  ] %zu failure points in all\n", totalFailurePoints);
  }
};
const auto* const kTotalReport = ::testing::AddGlobalTestEnvironment(new TotalReport);

}  // namespace
}  // namespace tarvo::test
