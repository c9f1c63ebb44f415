// A Vantrel for the bridge benchmarks: it answers at once from what the benchmark prepared, so the
// time measured is the bridge's. It counts its calls, which keeps the work from being optimised away.
#ifndef TARVO_BENCH_BENCH_VANTREL_H
#define TARVO_BENCH_BENCH_VANTREL_H

#include <algorithm>
#include <cstddef>

#include "vantrel/vantrel.h"

namespace tarvo::bench {

// Linear interpolation in a table sorted by x: a binary search for the interval, then the line through
// its ends. Returns 1 when dX lies in the table, 0 otherwise.
inline int InterpolateTable(const double* x, const double* y, int count, double dX, double& dY,
                            double& slope) {
  if (count < 2 || dX < x[0] || dX > x[count - 1]) return 0;
  const std::ptrdiff_t upper = std::max<std::ptrdiff_t>(1, std::lower_bound(x, x + count, dX) - x);
  const std::ptrdiff_t lower = upper - 1;
  slope = (y[upper] - y[lower]) / (x[upper] - x[lower]);
  dY = y[lower] + slope * (dX - x[lower]);
  return 1;
}

class BenchVantrel : public backend::Vantrel {
 public:
  backend::Array<backend::Text> files;
  std::size_t calls = 0;

  backend::Text LoadText(const backend::Text& pathFileName) override {
    ++calls;
    return pathFileName;
  }
  backend::Array<backend::Text> GetFileList(const backend::Text&, bool, const backend::Text&) override {
    ++calls;
    return files;
  }
  int Interpolate(backend::Array<double>& x, backend::Array<double>& y, int nCount, double dX, double& dY,
                  double& dYbydX) override {
    ++calls;
    return InterpolateTable(x->data(), y->data(), nCount, dX, dY, dYbydX);
  }
};

}  // namespace tarvo::bench

#endif  // TARVO_BENCH_BENCH_VANTREL_H
