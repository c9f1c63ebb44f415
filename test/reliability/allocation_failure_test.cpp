// Every operation of both interfaces, with every kind of text, run again and again with the k-th
// allocation failing (once, or from then on) for k = 1, 2, ... until the call completes without
// reaching k. At every k the host must get std::bad_alloc or the complete result, with nothing left
// allocated and the wrapper unchanged and still working.
#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "reliability/failure_points.h"
#include "reliability/host_calls.h"
#include "unified_tags/test_resolvers.h"
#include "utility/recording_vantrel.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"

namespace tarvo::test {
namespace {

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

TEST(AllocationFailure, EveryUtilityOperationWithEveryKindOfText) {
  std::size_t points = 0;
  for (TextKind kind : kTextKinds) {
    const std::vector<UtilityCall> calls = UtilityCalls(kind);
    for (const UtilityCall& call : calls) {
      for (bool bound : {true, false}) {
        const std::string name =
            call.name + " with " + NameOf(kind) + " text, " + (bound ? "bound" : "unbound");
        CoverFailurePoints(
            name, [&] { return std::make_unique<UtilityScene>(call, kind, bound); }, points);
        if (HasFailure()) return;
      }
    }
  }
  ReportFailurePoints("utility operations", points);
}

TEST(AllocationFailure, EveryFileNameGetter) {
  std::size_t points = 0;
  const std::vector<UtilityCall> calls = FileNameCalls();
  for (const UtilityCall& call : calls) {
    CoverFailurePoints(
        call.name, [&] { return std::make_unique<UtilityScene>(call, TextKind::Empty, false); }, points);
    if (HasFailure()) return;
  }
  ReportFailurePoints("file-name getters", points);
}

TEST(AllocationFailure, FactoriesAndDestroy) {
  std::size_t points = 0;
  const std::vector<UtilityCall> calls = FactoryCalls();
  for (const UtilityCall& call : calls) {
    CoverFailurePoints(
        call.name, [&] { return std::make_unique<UtilityScene>(call, TextKind::Empty, false); }, points);
    if (HasFailure()) return;
  }
  ReportFailurePoints("factories", points);
}

TEST(AllocationFailure, BothUnifiedTagsOperations) {
  std::size_t points = 0;
  for (TextKind kind : kTextKinds) {
    const std::vector<TagsCall> calls = TagsCalls(kind);
    for (const TagsCall& call : calls) {
      for (bool bound : {true, false}) {
        const std::string name =
            call.name + " with " + NameOf(kind) + " text, " + (bound ? "bound" : "unbound");
        CoverFailurePoints(
            name, [&] { return std::make_unique<TagsScene>(call, kind, bound); }, points);
        if (HasFailure()) return;
      }
    }
  }
  ReportFailurePoints("unified-tags operations", points);
}

}  // namespace
}  // namespace tarvo::test
