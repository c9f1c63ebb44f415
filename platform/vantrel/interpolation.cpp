#include "vantrel/interpolation.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

#include "BridgeErrors.h"

namespace tarvo::backend::interpolation {
namespace {

bool IsValidTable(std::span<const double> x, std::span<const double> y) {
  for (std::size_t i = 0; i < x.size(); ++i) {
    if (!std::isfinite(x[i]) || !std::isfinite(y[i])) return false;
    if (i > 0 && !(x[i] > x[i - 1])) return false;
  }
  return true;
}

std::span<const double> FirstElements(const runtime::Array<double>& array, const char* name, int count) {
  if (count == 0) return {};
  if (!array) {
    throw NullReferenceError(std::string("Vantrel::Interpolate: ") + name + " is null but nCount is " +
                             std::to_string(count));
  }
  if (static_cast<std::size_t>(count) > array->size()) {
    throw std::invalid_argument("Vantrel::Interpolate: nCount " + std::to_string(count) + " is larger than " +
                                name + ", which has " + std::to_string(array->size()) + " elements");
  }
  return std::span<const double>(array->data(), static_cast<std::size_t>(count));
}

}  // namespace

Outcome Interpolate(std::span<const double> x, std::span<const double> y, double at, double& value,
                    double& slope) noexcept {
  if (x.size() != y.size() || !std::isfinite(at) || !IsValidTable(x, y)) return kInvalidTable;
  const std::size_t count = x.size();
  if (count == 0) return kTooFewPoints;
  if (count == 1) {
    value = y[0];
    slope = 0;
    return kTooFewPoints;
  }

  std::size_t segment;  // index of the segment's left knot
  Outcome outcome = kWithinTable;
  if (at < x[0]) {
    segment = 0;
    outcome = kBelowTable;
  } else if (at > x[count - 1]) {
    segment = count - 2;
    outcome = kAboveTable;
  } else {
    // The first interior knot beyond `at` closes the segment; when there is none, the last segment.
    const auto closing = std::upper_bound(x.begin() + 1, x.end() - 1, at);
    segment = static_cast<std::size_t>(closing - x.begin()) - 1;
  }

  const double x0 = x[segment], x1 = x[segment + 1], y0 = y[segment], y1 = y[segment + 1];
  slope = (y1 - y0) / (x1 - x0);
  if (outcome == kWithinTable) {
    // lerp is exact at both knots, so a knot gives back its own y.
    value = std::lerp(y0, y1, (at - x0) / (x1 - x0));
  } else {
    // Measured from the end knot nearest to `at`, which keeps the rounding small.
    const std::size_t end = outcome == kBelowTable ? 0 : count - 1;
    value = y[end] + slope * (at - x[end]);
  }
  return outcome;
}

Outcome InterpolateArrays(const runtime::Array<double>& x, const runtime::Array<double>& y, int count,
                          double at, double& value, double& slope) {
  if (count < 0)
    throw std::invalid_argument("Vantrel::Interpolate: nCount " + std::to_string(count) + " is negative");
  return Interpolate(FirstElements(x, "x", count), FirstElements(y, "y", count), at, value, slope);
}

}  // namespace tarvo::backend::interpolation
