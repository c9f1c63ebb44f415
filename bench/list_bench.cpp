// GetFileList and Interpolate through a backend that answers at once, against their floors:
// 10,000 heap copies of the names plus the list that holds them, and two memcpys plus the same search.
#include <benchmark/benchmark.h>

#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "IVantrelWrapper.h"
#include "bench_vantrel.h"
#include "interop/narrow_codec.h"
#include "repetitions.h"
#include "runtime/array.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"

namespace tarvo::bench {
namespace {

constexpr int kFiles = 10000;
constexpr int kPoints = 1000000;

std::u16string FileName(int i) {
  const std::string digits = std::to_string(100000 + i).substr(1);
  const std::string name = "/models/refinery/case_" + digits + "/solution_" + digits + ".fil";
  return std::u16string(name.begin(), name.end());
}

struct Bound {
  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
  std::shared_ptr<BenchVantrel> backend = std::make_shared<BenchVantrel>();
  Bound() { bridge::WrapperAccess::Bind(static_cast<VantrelWrapper&>(*wrapper), backend); }
  ~Bound() { IVantrelWrapper::Destroy(wrapper); }
};

void GetFileList(benchmark::State& state) {
  Bound bound;
  bound.backend->files = std::make_shared<runtime::ArrayElements<backend::Text>>();
  for (int i = 0; i < kFiles; ++i) {
    const std::u16string name = FileName(i);
    bound.backend->files->emplace_back(std::u16string_view(name));
  }
  const std::string folder = "/models/refinery", filter = "*.fil";
  for (auto _ : state) {
    std::vector<std::string*>* list = bound.wrapper->GetFileList(folder, true, filter);
    benchmark::DoNotOptimize(list->data());
    bound.wrapper->Destroy(list);
  }
}
BENCHMARK(GetFileList)->Name("list/10000/getfilelist")->Repetitions(kShortRepetitions);

void GetFileListFloor(benchmark::State& state) {
  std::vector<std::string> names;
  for (int i = 0; i < kFiles; ++i) {
    const std::u16string name = FileName(i);
    names.emplace_back(name.begin(), name.end());
  }
  for (auto _ : state) {
    auto* list = new std::vector<std::string*>();
    list->reserve(names.size());
    for (const std::string& name : names) list->push_back(new std::string(name));
    benchmark::DoNotOptimize(list->data());
    for (std::string* element : *list) delete element;
    delete list;
  }
}
BENCHMARK(GetFileListFloor)->Name("list/10000/floor")->Repetitions(kShortRepetitions);

struct Table {
  std::vector<double> x, y;
  Table() : x(kPoints), y(kPoints) {
    for (int i = 0; i < kPoints; ++i) {
      x[i] = 0.5 * i;
      y[i] = 3.0 * i - 1.0;
    }
  }
};

void Interpolate(benchmark::State& state) {
  Bound bound;
  Table table;
  double dY = 0, slope = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(
        bound.wrapper->Interpolate(table.x.data(), table.y.data(), kPoints, 123456.75, dY, slope));
  }
}
BENCHMARK(Interpolate)->Name("interpolate/1000000/interpolate")->Repetitions(kShortRepetitions);

void InterpolateFloor(benchmark::State& state) {
  Table table;
  std::vector<double> x(kPoints), y(kPoints);
  double dY = 0, slope = 0;
  for (auto _ : state) {
    std::memcpy(x.data(), table.x.data(), kPoints * sizeof(double));
    std::memcpy(y.data(), table.y.data(), kPoints * sizeof(double));
    benchmark::ClobberMemory();
    benchmark::DoNotOptimize(InterpolateTable(x.data(), y.data(), kPoints, 123456.75, dY, slope));
  }
}
BENCHMARK(InterpolateFloor)->Name("interpolate/1000000/floor")->Repetitions(kShortRepetitions);

// The floor with the two arrays made afresh for each call, as the backend must be given them: the
// part of the gap that is getting 16 MB of new memory rather than the bridge's work.
void InterpolateFreshArrays(benchmark::State& state) {
  Table table;
  double dY = 0, slope = 0;
  for (auto _ : state) {
    runtime::ArrayElements<double> x(table.x.begin(), table.x.end()), y(table.y.begin(), table.y.end());
    benchmark::DoNotOptimize(InterpolateTable(x.data(), y.data(), kPoints, 123456.75, dY, slope));
  }
}
BENCHMARK(InterpolateFreshArrays)->Name("interpolate/1000000/fresh_arrays")->Repetitions(kShortRepetitions);

}  // namespace
}  // namespace tarvo::bench
