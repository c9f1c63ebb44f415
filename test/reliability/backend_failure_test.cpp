// A backend that fails at its n-th call: for every operation that reaches a backend, the very
// exception object it raised reaches the host, the calls before it answer as usual, the wrapper keeps
// working, and once the host lets go nothing is left alive: no backend object, argument or list.
#include <gtest/gtest.h>

#include <exception>
#include <memory>
#include <new>
#include <stdexcept>
#include <string>

#include "reliability/allocation_counter.h"
#include "reliability/host_calls.h"
#include "unified_tags/test_resolvers.h"
#include "utility/recording_vantrel.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"

namespace tarvo::test {
namespace {

struct BackendFault : std::runtime_error {
  using std::runtime_error::runtime_error;
};
struct NotAStandardException {
  int code;
};

// Made once, before anything is counted: the exception objects live as long as the test.
std::vector<std::exception_ptr> Failures() {
  return {std::make_exception_ptr(BackendFault("Vantrel: the disk is on fire")),
          std::make_exception_ptr(NullReferenceError("Vantrel: an object of its own was missing")),
          std::make_exception_ptr(std::bad_alloc()), std::make_exception_ptr(NotAStandardException{7})};
}

constexpr std::size_t kFailingCalls[] = {1, 2, 3};

std::shared_ptr<RecordingVantrel> NewBackend(TextKind kind) {
  auto backend = std::make_shared<RecordingVantrel>();
  backend->text = BackendAnswer(kind);
  backend->list = BackendList(kind);
  return backend;
}

// The outcome of one call, or the exception it raised.
struct Result {
  std::string outcome;
  std::exception_ptr raised;
};
template <class Wrapper>
Result Call(const HostCall<Wrapper>& call, Wrapper& wrapper) {
  try {
    return {call.run(wrapper), nullptr};
  } catch (...) {
    return {DescribeCurrentException(), std::current_exception()};
  }
}

TEST(BackendFailure, EveryOperationPassesTheBackendsOwnExceptionAndLeavesNothingAlive) {
  const std::vector<std::exception_ptr> failures = Failures();
  std::size_t covered = 0;
  for (TextKind kind : kTextKinds) {
    const std::vector<UtilityCall> calls = UtilityCalls(kind);
    for (const UtilityCall& call : calls) {
      // The fault-free answer, and whether the operation reaches the backend at all.
      std::string reference;
      {
        const auto backend = NewBackend(kind);
        VantrelWrapper wrapper;
        bridge::WrapperAccess::Bind(wrapper, backend);
        reference = Call(call, static_cast<IVantrelWrapper&>(wrapper)).outcome;
        if (backend->calls.empty()) continue;
      }
      for (const std::exception_ptr& failure : failures) {
        for (std::size_t n : kFailingCalls) {
          SCOPED_TRACE(call.name + " with " + NameOf(kind) + " text, failing call " + std::to_string(n));
          const std::int64_t liveBefore = allocation::Live();
          std::weak_ptr<RecordingVantrel> watch;
          {
            auto backend = NewBackend(kind);
            backend->failure = failure;
            backend->failOnCall = n;
            watch = backend;
            IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
            bridge::WrapperAccess::Bind(static_cast<VantrelWrapper&>(*wrapper), std::move(backend));
            for (std::size_t i = 1; i <= n + 1; ++i) {
              const Result result = Call(call, *wrapper);
              if (i == n) {
                EXPECT_TRUE(result.raised == failure) << "the host got " << result.outcome;
              } else {
                EXPECT_EQ(result.outcome, reference) << "call " << i;
              }
            }
            EXPECT_EQ(bridge::WrapperAccess::Backend(static_cast<VantrelWrapper&>(*wrapper)), watch.lock());
            IVantrelWrapper::Destroy(wrapper);
          }
          EXPECT_TRUE(watch.expired()) << "the backend object outlived its last wrapper";
          watch.reset();  // it holds the storage that make_shared shares with the object
          EXPECT_EQ(allocation::Live(), liveBefore) << "allocations left outstanding";
          ++covered;
          if (HasFailure()) return;
        }
      }
    }
  }
  EXPECT_GT(covered, 0u);
}

// Answers "tag:<name>", except at the call numbered `failOnCall`, which raises `failure`.
class CountdownResolver : public backend::ITarvoUnifiedTags {
 public:
  CountdownResolver(std::exception_ptr failure, std::size_t failOnCall)
      : failure_(std::move(failure)), failOnCall_(failOnCall) {}
  runtime::Text GetMatrixExtendedTag(const runtime::Text& name) override {
    if (++calls_ == failOnCall_) std::rethrow_exception(failure_);
    return runtime::Text(u"tag:" + std::u16string(name.units()));
  }

 private:
  std::exception_ptr failure_;
  std::size_t failOnCall_;
  std::size_t calls_ = 0;
};

TEST(BackendFailure, TheResolversOwnExceptionReachesTheHostAndTheResolverIsReleased) {
  const std::vector<std::exception_ptr> failures = Failures();
  {
    // The process's handle table comes into being with the first handle and stays.
    IUnifiedTagsManagerWrapper* warmUp = IUnifiedTagsManagerWrapper::CreateInstance();
    warmUp->LoadObject(NewHandle(std::make_shared<LabelResolver>(u"warm-up")));
    IUnifiedTagsManagerWrapper::Destroy(warmUp);
  }
  for (TextKind kind : {TextKind::Empty, TextKind::HoldingNul, TextKind::NonAscii, TextKind::Long}) {
    const TagsCall call = TagsCalls(kind).back();  // GetExtendedTag
    for (const std::exception_ptr& failure : failures) {
      for (std::size_t n : kFailingCalls) {
        SCOPED_TRACE(std::string(NameOf(kind)) + " name, failing call " + std::to_string(n));
        const std::int64_t liveBefore = allocation::Live();
        std::weak_ptr<CountdownResolver> watch;
        {
          auto resolver = std::make_shared<CountdownResolver>(failure, n);
          watch = resolver;
          IUnifiedTagsManagerWrapper* wrapper = IUnifiedTagsManagerWrapper::CreateInstance();
          wrapper->LoadObject(NewHandle(std::move(resolver)));
          std::string reference;
          for (std::size_t i = 1; i <= n + 1; ++i) {
            const Result result = Call(call, *wrapper);
            if (i == n) {
              EXPECT_TRUE(result.raised == failure) << "the host got " << result.outcome;
            } else if (reference.empty()) {
              reference = result.outcome;
              EXPECT_EQ(result.outcome.rfind("\"tag:", 0), 0u) << result.outcome;
            } else {
              EXPECT_EQ(result.outcome, reference);
            }
          }
          IUnifiedTagsManagerWrapper::Destroy(wrapper);
        }
        EXPECT_TRUE(watch.expired()) << "the resolver outlived its last wrapper";
        watch.reset();
        EXPECT_EQ(allocation::Live(), liveBefore) << "allocations left outstanding";
      }
    }
  }
}

// An entry that cannot be converted anywhere in the answer fails the whole list: the host gets no
// list, and none of the strings made for the entries before it survives.
TEST(BackendFailure, AListIsNeverHalfReturned) {
  constexpr std::size_t kEntries = 6;
  for (std::size_t absentAt = 0; absentAt < kEntries; ++absentAt) {
    SCOPED_TRACE("absent entry " + std::to_string(absentAt));
    const std::int64_t liveBefore = allocation::Live();
    {
      auto backend = std::make_shared<RecordingVantrel>();
      backend->list = std::make_shared<runtime::ArrayElements<runtime::Text>>();
      for (std::size_t i = 0; i < kEntries; ++i) {
        backend->list->push_back(i == absentAt ? runtime::Text::null()
                                               : runtime::Text(std::u16string(100 + i, u'x')));
      }
      VantrelWrapper wrapper;
      bridge::WrapperAccess::Bind(wrapper, backend);
      try {
        wrapper.GetFileList("folder", true, "*");
        ADD_FAILURE() << "a list came back";
      } catch (const NullReferenceError& error) {
        EXPECT_EQ(error.what(), "GetFileList: entry " + std::to_string(absentAt) +
                                    " of the backend's answer is absent (null)");
      }
    }
    EXPECT_EQ(allocation::Live(), liveBefore);
  }
}

}  // namespace
}  // namespace tarvo::test
