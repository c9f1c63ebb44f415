// The two operations that take raw pointers: CaesarCipher12Net copies its C string first, and
// Interpolate builds both arrays from exactly nCount elements, never writing the caller's.
#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>

#include "utility/wrapper_fixture.h"

namespace tarvo::test {
namespace {

TEST_F(WrapperTest, CaesarCopiesTextAndRefusesANullPointerBeforeTheBackend) {
  char buffer[] = "Secret";
  wrapper().CaesarCipher12Net(buffer, true);
  EXPECT_EQ(backend().calls.back(), (Call{"CaesarCipher12Net", {Text(u"Secret"), true}}));

  backend().calls.clear();
  try {
    wrapper().CaesarCipher12Net(nullptr, true);
    FAIL() << "no exception";
  } catch (const NullReferenceError& error) {
    EXPECT_STREQ(error.what(), "CaesarCipher12Net: inText is a null pointer");
  }
  EXPECT_TRUE(backend().calls.empty());
}

TEST_F(WrapperTest, InterpolatePassesExactlyNCountElementsAndNeverWritesTheCallersArrays) {
  double x[] = {1, 2, 3, 4}, y[] = {10, 20, 30, 40};
  double dY = 0, slope = 0;
  EXPECT_EQ(wrapper().Interpolate(x, y, 3, 2.5, dY, slope), 42);
  EXPECT_EQ(backend().calls.back(),
            (Call{"Interpolate", {std::vector<double>{1, 2, 3}, std::vector<double>{10, 20, 30}, 3, 2.5}}));
  EXPECT_EQ(dY, backend().interpolatedY);
  EXPECT_EQ(slope, backend().interpolatedSlope);
  EXPECT_EQ((std::vector<double>(x, x + 4)), (std::vector<double>{1, 2, 3, 4}));
  EXPECT_EQ((std::vector<double>(y, y + 4)), (std::vector<double>{10, 20, 30, 40}));
}

TEST_F(WrapperTest, InterpolateWithNoPointsStillCallsTheBackendWithEmptyArrays) {
  double dY = 7, slope = 8;
  wrapper().Interpolate(nullptr, nullptr, 0, 1.0, dY, slope);
  EXPECT_EQ(backend().calls.back(),
            (Call{"Interpolate", {std::vector<double>{}, std::vector<double>{}, 0, 1.0}}));
}

TEST_F(WrapperTest, InterpolateRefusesANegativeCountBeforeReadingAnything) {
  double dY = 7, slope = 8;
  try {
    wrapper().Interpolate(nullptr, nullptr, -3, 1.0, dY, slope);
    FAIL() << "no exception";
  } catch (const std::overflow_error& error) {
    EXPECT_STREQ(error.what(), "Interpolate: element count -3 is negative");
  }
  EXPECT_TRUE(backend().calls.empty());
  EXPECT_EQ(dY, 7);
  EXPECT_EQ(slope, 8);
}

TEST_F(WrapperTest, InterpolateRefusesANullArrayWithPointsToReadBeforeReadingAnything) {
  double x[] = {1, 2}, dY = 7, slope = 8;
  try {
    wrapper().Interpolate(x, nullptr, 2, 1.0, dY, slope);
    FAIL() << "no exception";
  } catch (const NullReferenceError& error) {
    EXPECT_STREQ(error.what(), "Interpolate: yArray is a null pointer but nCount is 2");
  }
  EXPECT_THROW(wrapper().Interpolate(nullptr, x, 1, 1.0, dY, slope), NullReferenceError);
  EXPECT_TRUE(backend().calls.empty());
  EXPECT_EQ(dY, 7);
}

}  // namespace
}  // namespace tarvo::test
