// How many times the rows that drift most run, whatever the command line asks: the conversions of
// 24 bytes and every bridge row.
#ifndef TARVO_BENCH_REPETITIONS_H
#define TARVO_BENCH_REPETITIONS_H

namespace tarvo::bench {

// On a shared machine short times drift most in proportion: in one run of the suite, the
// repetitions of a 24-byte conversion varied by 23% (median coefficient of variation), of a 1 MiB
// one by 12%, and of a bridge call by 16 to 28%. The median of this many settles where that of nine
// may land on either side of a goal. A repetition takes a tenth of a second: the extra ones add
// about three minutes to the suite.
constexpr int kShortRepetitions = 25;

}  // namespace tarvo::bench

#endif  // TARVO_BENCH_REPETITIONS_H
