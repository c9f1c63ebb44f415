// TestMessageBox shows its message on standard error, where the person running the host sees it.
#include <gtest/gtest.h>

#include "vantrel/vantrel.h"

namespace tarvo::test {
namespace {

TEST(MessageBox, WritesTheMessageToStandardErrorWithAPrefix) {
  backend::Vantrel vantrel;
  testing::internal::CaptureStderr();
  vantrel.TestMessageBox(runtime::Text(u"Build finished"));
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "[Vantrel message] Build finished\n");
  EXPECT_THROW(vantrel.TestMessageBox(runtime::Text()), NullReferenceError);
}

}  // namespace
}  // namespace tarvo::test
