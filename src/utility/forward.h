// The forwarding step shared by every operation that calls the bound Vantrel object.
#ifndef TARVO_UTILITY_FORWARD_H
#define TARVO_UTILITY_FORWARD_H

#include <string>
#include <type_traits>

#include "interop/backend_ref.h"
#include "interop/util.h"
#include "vantrel/vantrel.h"

namespace tarvo::bridge {

// Host argument -> backend argument: byte strings become new backend text, flags and numbers pass.
inline runtime::Text ToBackend(const std::string& bytes) {
  return interop::ToBackendText(bytes);
}
inline bool ToBackend(bool flag) {
  return flag;
}
inline int ToBackend(int number) {
  return number;
}

// Absent text in a backend's answer fails here, where the operation is known, so that the host's
// NullReferenceError names the operation (and the entry of a list) rather than the conversion.
inline void RequirePresent(const char* name, const runtime::Text& answer) {
  if (answer.isNull()) {
    throw NullReferenceError(std::string(name) + ": the backend answered with absent (null) text");
  }
}
// A list's entries are checked as the list is made from them (interop::NewStringList), in the same
// pass as their conversion.
inline void RequirePresent(const char*, const runtime::Array<runtime::Text>&) {}
inline void RequirePresent(const char*, bool) {}
inline void RequirePresent(const char*, int) {}

// Converts `first` into a local of its own, then the rest likewise, in parameter order, and calls
// `call` with all of them. Each converted value is built where it stays: gathered in a tuple, every
// text would be moved once more, reading back the units just written.
template <class Result, class Call>
Result ConvertInOrder(const Call& call) {
  return call();
}
template <class Result, class Call, class First, class... Rest>
Result ConvertInOrder(const Call& call, const First& first, const Rest&... rest) {
  auto converted = ToBackend(first);
  const auto withFirst = [&](auto&... more) -> Result { return call(converted, more...); };
  return ConvertInOrder<Result>(withFirst, rest...);
}

// The answer type of a Vantrel operation.
template <class Result, class... Params>
Result AnswerOf(Result (backend::Vantrel::*)(Params...));

// Converts the arguments in parameter order, then makes exactly one call of `operation` on the
// object that `ref` designates. An empty reference fails at the call with NullReferenceError
// naming `name`, after the conversions, and never dereferences. The operation is a template
// argument, so that the call is an ordinary virtual call rather than one through a member pointer
// read at run time.
template <auto operation, class... Args>
auto Forward(const interop::BackendRef<backend::Vantrel>& ref, const char* name, const Args&... args) {
  using Result = decltype(AnswerOf(operation));
  if constexpr (std::is_void_v<Result>) {
    const auto call = [&](auto&... backendArgs) { (ref.get(name).*operation)(backendArgs...); };
    ConvertInOrder<void>(call, args...);
  } else {
    const auto call = [&](auto&... backendArgs) {
      Result answer = (ref.get(name).*operation)(backendArgs...);  // built in the caller's result
      RequirePresent(name, answer);
      return answer;
    };
    return ConvertInOrder<Result>(call, args...);
  }
}

// The five flag operations answer the host with exactly 1 or 0.
inline int AsFlag(bool result) noexcept {
  return result ? 1 : 0;
}

}  // namespace tarvo::bridge

// FORWARD(Op, args...) calls Vantrel::Op, so the operation named in errors is the one called.
#define FORWARD(operation, ...)                                             \
  ::tarvo::bridge::Forward<&::tarvo::backend::Vantrel::operation>(backend_, \
                                                                  #operation __VA_OPT__(, ) __VA_ARGS__)

#endif  // TARVO_UTILITY_FORWARD_H
