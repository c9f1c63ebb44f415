// One bridge call with a 24-character argument and a 24-character result, against its floor: a virtual
// call that takes the same argument and returns the same UTF-16 text copied into a std::string.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "IVantrelWrapper.h"
#include "bench_vantrel.h"
#include "repetitions.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"

namespace tarvo::bench {
namespace {

const std::string kArgument = "refinery/case_0042.model";  // 24 characters
static_assert(sizeof("refinery/case_0042.model") == 25);

class Floor {
 public:
  virtual std::string Echo(std::string argument) = 0;

 protected:
  ~Floor() = default;
};

class FloorImpl final : public Floor {
 public:
  std::string Echo(std::string argument) override {
    benchmark::DoNotOptimize(argument.data());
    return std::string(text_.begin(), text_.end());
  }

 private:
  std::u16string text_ = u"refinery/case_0042.model";
};

// Hidden from the optimiser, so that the call stays virtual.
Floor* OpaqueFloor() {
  static FloorImpl floor;
  Floor* pointer = &floor;
  benchmark::DoNotOptimize(pointer);
  return pointer;
}

void Floor24(benchmark::State& state) {
  Floor* floor = OpaqueFloor();
  for (auto _ : state) {
    std::string result = floor->Echo(kArgument);
    benchmark::DoNotOptimize(result.data());
  }
}
BENCHMARK(Floor24)->Name("call/24/floor")->Repetitions(kShortRepetitions);

void TestSetTestGet(benchmark::State& state) {
  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
  wrapper->LoadObject();
  for (auto _ : state) {
    wrapper->TestSet(kArgument);
    std::string result = wrapper->TestGet();
    benchmark::DoNotOptimize(result.data());
  }
  IVantrelWrapper::Destroy(wrapper);
}
BENCHMARK(TestSetTestGet)->Name("call/24/testset_testget")->Repetitions(kShortRepetitions);

void Echo(benchmark::State& state) {
  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
  auto backend = std::make_shared<BenchVantrel>();
  bridge::WrapperAccess::Bind(static_cast<VantrelWrapper&>(*wrapper), backend);
  for (auto _ : state) {
    std::string result = wrapper->LoadText(kArgument);
    benchmark::DoNotOptimize(result.data());
  }
  IVantrelWrapper::Destroy(wrapper);
}
BENCHMARK(Echo)->Name("call/24/echo")->Repetitions(kShortRepetitions);

}  // namespace
}  // namespace tarvo::bench
