// The process codec is resolved once, at first use, from the locale. An allocation that fails while
// it is being resolved must reach the caller as std::bad_alloc and leave it unresolved, so that a
// later call resolves it properly; it must never settle on a wrong codeset for good. Run in a fresh
// process per locale and failure mode (set by the test's environment): the codec is resolved only
// once per process.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "interop/narrow_codec.h"
#include "reliability/allocation_counter.h"

namespace tarvo::test {
namespace {

using allocation::FailureMode;

TEST(ProcessCodecFirstUse, FailedAllocationsGiveBadAllocUntilTheLocalesCodesetIsResolved) {
  const char* expected = std::getenv("EXPECTED_CODESET");
  const char* modeName = std::getenv("FAILURE_MODE");
  ASSERT_NE(expected, nullptr);
  ASSERT_NE(modeName, nullptr);
  const FailureMode mode = std::string(modeName) == "once" ? FailureMode::Once : FailureMode::FromThenOn;

  std::size_t failurePoints = 0;
  for (std::size_t k = 1; k < 1000; ++k) {
    allocation::PlanFailure(k, mode);
    try {
      allocation::FailureWindow window;
      const interop::NarrowCodec& codec = interop::NarrowCodec::process();
      window.close();
      allocation::ClearPlan();
      EXPECT_EQ(codec.codeset(), expected) << "resolved with allocation " << k << " failing";
      break;
    } catch (const std::bad_alloc&) {
      EXPECT_TRUE(allocation::ClearPlan());
      ++failurePoints;
    }
  }
  EXPECT_EQ(interop::NarrowCodec::process().codeset(), expected);
  std::printf("[ covered  ] %zu failure points\n", failurePoints);
}

}  // namespace
}  // namespace tarvo::test
