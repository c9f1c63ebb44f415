// What every host call of the reliability tests shares: the host's arguments are copied before an
// allocation-failure window opens (see allocation_counter.h), and the result is described once it
// has closed, so that comparing descriptions compares results.
#ifndef TARVO_TEST_ARMED_CALL_H
#define TARVO_TEST_ARMED_CALL_H

#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <vector>

#include "IUnifiedTagsManagerWrapper.h"
#include "IVantrelWrapper.h"
#include "reliability/allocation_counter.h"

namespace tarvo::test {

// What Interpolate answers: its result and what it wrote through dY and dYbydX.
struct InterpolationResult {
  int result;
  double dY;
  double dYbydX;
};

// Readable, comparable descriptions of results. A list, or a wrapper, is released as a host
// releases it.
std::string Describe(const std::string& bytes);
std::string Describe(bool flag);
std::string Describe(int number);
std::string Describe(const InterpolationResult& answer);
std::string Describe(std::vector<std::string*>* list);
std::string Describe(IVantrelWrapper* wrapper);
std::string Describe(IUnifiedTagsManagerWrapper* wrapper);

// The exception in flight, as "type: message".
std::string DescribeCurrentException();

// `text` in the process's narrow encoding.
std::string Narrow(std::u16string_view text);

// Takes `arguments` by value, so the host's copies exist before the window opens; the operation
// moves them on, which never allocates. The result is described once the window has closed.
template <class Operation, class... Arguments>
std::string Armed(Operation operation, Arguments... arguments) {
  allocation::FailureWindow window;
  if constexpr (std::is_void_v<std::invoke_result_t<Operation&, Arguments&&...>>) {
    operation(std::move(arguments)...);
    window.close();
    return "returned";
  } else {
    auto result = operation(std::move(arguments)...);
    window.close();
    return Describe(result);
  }
}

}  // namespace tarvo::test

#endif  // TARVO_TEST_ARMED_CALL_H
