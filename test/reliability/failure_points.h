// The allocation-failure loop: a scene (a wrapper as the host holds it just before a call, and the
// call) is made afresh for k = 1, 2, ... with the k-th allocation failing, until the call completes
// without reaching k.
#ifndef TARVO_TEST_FAILURE_POINTS_H
#define TARVO_TEST_FAILURE_POINTS_H

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

namespace tarvo::test {

class Scene {
 public:
  virtual ~Scene() = default;
  virtual std::string Run() = 0;
  // What a failed call must leave as it was.
  virtual std::string State() = 0;

  // The call's result, or "std::bad_alloc", or the other exception it raised, tidied.
  std::string Outcome();

 protected:
  // Takes out of an outcome what differs from scene to scene without mattering.
  virtual std::string Tidy(std::string outcome) { return outcome; }
};

using MakeScene = std::function<std::unique_ptr<Scene>()>;

// Covers every failure point of the scene's call, failing once and failing from then on. At every
// k the call must give std::bad_alloc (leaving State() as it was) or the fault-free outcome, leave
// no allocation outstanding, and the same wrapper must then complete the call. Adds the failure
// points covered to `points`; stops at the first broken promise, which the test reports.
void CoverFailurePoints(const std::string& name, const MakeScene& make, std::size_t& points);

// Prints "[ covered  ] N failure points: what" and counts N towards the program's total.
void ReportFailurePoints(const char* what, std::size_t points);

}  // namespace tarvo::test

#endif  // TARVO_TEST_FAILURE_POINTS_H
