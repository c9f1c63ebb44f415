// What one EcryptString or DcryptString call costs. Nearly all of it is the key derivation, which
// is slow on purpose; the text's length barely matters until it is large.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "vantrel/vantrel.h"

namespace {

using tarvo::backend::Vantrel;
using tarvo::runtime::Text;

Text PlainText(std::int64_t length) {
  return Text(std::u16string(static_cast<std::size_t>(length), u'x'));
}

void BM_EcryptString(benchmark::State& state) {
  Vantrel vantrel;
  const Text plain = PlainText(state.range(0)), key(u"benchmark key");
  for (auto _ : state) benchmark::DoNotOptimize(vantrel.EcryptString(plain, key));
}
BENCHMARK(BM_EcryptString)->Arg(16)->Arg(64 * 1024)->Unit(benchmark::kMillisecond);

void BM_DcryptString(benchmark::State& state) {
  Vantrel vantrel;
  const Text key(u"benchmark key");
  const Text sealed = vantrel.EcryptString(PlainText(state.range(0)), key);
  for (auto _ : state) benchmark::DoNotOptimize(vantrel.DcryptString(sealed, key));
}
BENCHMARK(BM_DcryptString)->Arg(16)->Arg(64 * 1024)->Unit(benchmark::kMillisecond);

}  // namespace
