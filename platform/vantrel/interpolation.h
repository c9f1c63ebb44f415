// Piecewise-linear interpolation in a table of points, as Interpolate answers it.
#ifndef TARVO_VANTREL_INTERPOLATION_H
#define TARVO_VANTREL_INTERPOLATION_H

#include <span>

#include "runtime/array.h"

namespace tarvo::backend::interpolation {

// Result codes; the values are part of the Vantrel contract.
enum Outcome : int {
  kWithinTable = 0,
  kBelowTable = 1,  // extrapolated along the first segment
  kAboveTable = 2,  // extrapolated along the last segment
  kTooFewPoints = -1,
  kInvalidTable = -2,
};

// The value at `at` and the slope of the segment used. At a knot that is the segment starting there
// (the last segment at the last knot). One point gives its y and slope 0; no point, a table whose x
// is not strictly increasing, or a value that is not finite (`at` included) leave `value` and `slope`
// as they were. Never writes the table.
Outcome Interpolate(std::span<const double> x, std::span<const double> y, double at, double& value,
                    double& slope) noexcept;

// The same over the first `count` elements of backend arrays. Raises std::invalid_argument when
// `count` is negative or larger than an array, and NullReferenceError when an array it must read
// is null.
Outcome InterpolateArrays(const runtime::Array<double>& x, const runtime::Array<double>& y, int count,
                          double at, double& value, double& slope);

}  // namespace tarvo::backend::interpolation

#endif  // TARVO_VANTREL_INTERPOLATION_H
