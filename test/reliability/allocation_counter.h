// The allocation counter that replaces every global operator new and delete of a test program
// (link allocation_counter.cpp into it): it counts the allocations that are alive, and on request
// fails the k-th allocation after a window opens, either once or from then on.
//
// The C library's own allocations behind the narrow codec (iconv_open, newlocale) count as
// allocation points too: they are failed the way the C library fails them, with ENOMEM.
#ifndef TARVO_TEST_ALLOCATION_COUNTER_H
#define TARVO_TEST_ALLOCATION_COUNTER_H

#include <cstddef>
#include <cstdint>

namespace tarvo::test::allocation {

enum class FailureMode { Once, FromThenOn };

// Allocations made through operator new and not yet released, across all threads.
std::int64_t Live();

// Arms the next window: once it opens, the k-th allocation point (counting from 1) fails, and in
// FromThenOn mode every later one as well. Failing is meant for one thread at a time.
void PlanFailure(std::size_t k, FailureMode mode);

// Drops the plan; reports whether a failure was injected since the plan was made.
bool ClearPlan();

// Opens the window of the current plan, if any, and closes it on destruction or close(). Tests
// open it once the host's arguments exist, so only the operation's own allocations are counted.
class FailureWindow {
 public:
  FailureWindow();
  ~FailureWindow();
  FailureWindow(const FailureWindow&) = delete;
  FailureWindow& operator=(const FailureWindow&) = delete;
  void close();
};

}  // namespace tarvo::test::allocation

#endif  // TARVO_TEST_ALLOCATION_COUNTER_H
