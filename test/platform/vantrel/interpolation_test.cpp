// Interpolate against tables worked out by hand, with the caller's arrays checked afterwards.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <stdexcept>
#include <vector>

#include "vantrel/vantrel.h"

namespace tarvo::test {
namespace {

using runtime::Array;

struct Answer {
  int outcome;
  double value;
  double slope;
  friend bool operator==(const Answer&, const Answer&) = default;
  friend std::ostream& operator<<(std::ostream& out, const Answer& a) {
    return out << "{" << a.outcome << ", " << a.value << ", " << a.slope << "}";
  }
};

constexpr double kUntouched = -12345;

// Bit for bit, so that a NaN in a table compares equal to itself.
std::vector<std::uint64_t> Bits(const std::vector<double>& values) {
  std::vector<std::uint64_t> bits;
  for (double value : values) bits.push_back(std::bit_cast<std::uint64_t>(value));
  return bits;
}

Array<double> MakeArray(const std::vector<double>& values) {
  return std::make_shared<runtime::ArrayElements<double>>(values.begin(), values.end());
}

class InterpolationTest : public ::testing::Test {
 protected:
  Answer at(std::vector<double> xs, std::vector<double> ys, double dX, int count = -1) {
    Array<double> x = MakeArray(xs), y = MakeArray(ys);
    const Array<double> givenX = x, givenY = y;
    Answer answer{0, kUntouched, kUntouched};
    answer.outcome = vantrel.Interpolate(x, y, count < 0 ? static_cast<int>(xs.size()) : count, dX,
                                         answer.value, answer.slope);
    // Neither the arrays nor their contents were replaced or written.
    EXPECT_EQ(x, givenX);
    EXPECT_EQ(y, givenY);
    EXPECT_EQ(Bits({x->begin(), x->end()}), Bits(xs));
    EXPECT_EQ(Bits({y->begin(), y->end()}), Bits(ys));
    return answer;
  }
  backend::Vantrel vantrel;
};

// Two segments: slope 2 from (0, 1) to (2, 5), slope -2 from there to (5, -1).
const std::vector<double> kX = {0, 2, 5}, kY = {1, 5, -1};

TEST_F(InterpolationTest, InsideTheTable) {
  EXPECT_EQ(at(kX, kY, 1), (Answer{0, 3, 2}));
  EXPECT_EQ(at(kX, kY, 3.5), (Answer{0, 2, -2}));
  EXPECT_EQ(at({0.1, 0.7}, {0.1, 0.3}, 0.4), (Answer{0, 0.2, (0.3 - 0.1) / (0.7 - 0.1)}));
}

TEST_F(InterpolationTest, AtTheKnotsGivesTheirYAndTheSlopeOfTheSegmentStartingThere) {
  EXPECT_EQ(at(kX, kY, 0), (Answer{0, 1, 2}));
  EXPECT_EQ(at(kX, kY, 2), (Answer{0, 5, -2}));
  EXPECT_EQ(at(kX, kY, 5), (Answer{0, -1, -2}));
  EXPECT_EQ(at({0.1, 0.7}, {0.1, 0.3}, 0.7).value, 0.3);
}

TEST_F(InterpolationTest, ExtrapolatesAlongTheEndSegments) {
  EXPECT_EQ(at(kX, kY, -1), (Answer{1, -1, 2}));
  EXPECT_EQ(at(kX, kY, 6), (Answer{2, -3, -2}));
}

TEST_F(InterpolationTest, TooFewPoints) {
  EXPECT_EQ(at({4}, {7}, 100), (Answer{-1, 7, 0}));
  EXPECT_EQ(at({}, {}, 1), (Answer{-1, kUntouched, kUntouched}));
  EXPECT_EQ(at(kX, kY, 1, 1), (Answer{-1, 1, 0}));
}

TEST_F(InterpolationTest, InvalidTablesLeaveTheResultsUntouched) {
  constexpr double nan = std::numeric_limits<double>::quiet_NaN();
  constexpr double inf = std::numeric_limits<double>::infinity();
  const Answer invalid{-2, kUntouched, kUntouched};
  EXPECT_EQ(at({0, 2, 2}, {1, 5, 6}, 1), invalid);  // not strictly increasing
  EXPECT_EQ(at({0, 3, 2}, {1, 5, 6}, 1), invalid);
  EXPECT_EQ(at({0, 2, 5}, {1, nan, 6}, 1), invalid);
  EXPECT_EQ(at({0, 2, inf}, {1, 5, 6}, 1), invalid);
  EXPECT_EQ(at({nan}, {1}, 1), invalid);
  EXPECT_EQ(at(kX, kY, nan), invalid);
  EXPECT_EQ(at(kX, kY, -inf), invalid);
}

TEST_F(InterpolationTest, FindsTheSegmentInALargeTable) {
  // x = k / 2, y = k * k: between k = 2468 and 2469 the slope is (2469² - 2468²) / 0.5.
  std::vector<double> xs, ys;
  for (int k = 0; k <= 100000; ++k) {
    xs.push_back(k / 2.0);
    ys.push_back(static_cast<double>(k) * k);
  }
  EXPECT_EQ(at(xs, ys, 1234.25), (Answer{0, 2468.0 * 2468 + 4937 / 2.0, 9874}));
  EXPECT_EQ(at(xs, ys, 1234.0), (Answer{0, 2468.0 * 2468, 9874}));
  EXPECT_EQ(at(xs, ys, 50000), (Answer{0, 1e10, 2 * (1e10 - 99999.0 * 99999)}));
}

TEST_F(InterpolationTest, UsesOnlyTheFirstNCountElementsAndRefusesMoreThanThereAre) {
  EXPECT_EQ(at({0, 2, 5}, {1, 5, -1}, 4, 2), (Answer{2, 9, 2}));

  Array<double> x = MakeArray(kX), y = MakeArray(kY);
  Array<double> none;
  double value = kUntouched, slope = kUntouched;
  EXPECT_THROW(vantrel.Interpolate(x, y, 4, 1, value, slope), std::invalid_argument);
  EXPECT_THROW(vantrel.Interpolate(x, y, -1, 1, value, slope), std::invalid_argument);
  EXPECT_THROW(vantrel.Interpolate(x, none, 2, 1, value, slope), NullReferenceError);
  EXPECT_EQ(vantrel.Interpolate(none, none, 0, 1, value, slope), -1);
  EXPECT_EQ(value, kUntouched);
  EXPECT_EQ(slope, kUntouched);
}

}  // namespace
}  // namespace tarvo::test
