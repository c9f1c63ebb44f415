// Every operation of both interfaces as a host calls it, with the kinds of text a host passes and a
// backend answers, for the reliability tests. Each call opens an allocation-failure window (see
// allocation_counter.h) once the host's arguments exist and describes its result after the window
// has closed, so that comparing descriptions compares results.
#ifndef TARVO_TEST_HOST_CALLS_H
#define TARVO_TEST_HOST_CALLS_H

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "IUnifiedTagsManagerWrapper.h"
#include "IVantrelWrapper.h"
#include "reliability/armed_call.h"
#include "runtime/array.h"
#include "runtime/text.h"

namespace tarvo::test {

// What the host passes and the backend answers: empty text, text holding NUL, text beyond ASCII,
// long text (past every small-string buffer), and for answers, absent text.
enum class TextKind { Empty, HoldingNul, NonAscii, Long, Absent };
inline constexpr TextKind kTextKinds[] = {TextKind::Empty, TextKind::HoldingNul, TextKind::NonAscii,
                                          TextKind::Long, TextKind::Absent};
const char* NameOf(TextKind kind);

// Four different byte strings of the kind, in the process's narrow encoding (Absent gives
// non-ASCII ones: a host cannot pass absent text).
std::vector<std::string> HostArguments(TextKind kind);
// A backend's text answer, and list answer, of the kind; Absent gives absent text and a list with
// an absent entry in the middle.
runtime::Text BackendAnswer(TextKind kind);
runtime::Array<runtime::Text> BackendList(TextKind kind);

template <class Wrapper>
struct HostCall {
  std::string name;
  std::function<std::string(Wrapper&)> run;
};
using UtilityCall = HostCall<IVantrelWrapper>;
using TagsCall = HostCall<IUnifiedTagsManagerWrapper>;

// Slots 0 to 26 with arguments of `kind`.
std::vector<UtilityCall> UtilityCalls(TextKind kind);
// Slots 27 to 67, each with a number it names and one it refuses.
std::vector<UtilityCall> FileNameCalls();
// The static factories and Destroy of both interfaces; the wrapper passed in is not used.
std::vector<UtilityCall> FactoryCalls();
// Both slots of the unified-tags wrapper: LoadObject with handles on a resolver, on nothing, on an
// object that is no resolver and with zero; GetExtendedTag with a name of `kind`.
std::vector<TagsCall> TagsCalls(TextKind kind);

// Operations of slots 2 to 26 on a real Vantrel object, over a folder (passed to `run`) that holds
// source.dat, other.txt and an odbcinst.ini that registers a SQL Server driver: copies, renames,
// deletes, listings and reads that touch the file system, programs that start, and the rest as far
// as they are quick.
struct FolderCall {
  std::string name;
  std::function<std::string(IVantrelWrapper&, const std::string& folder)> run;
};
std::vector<FolderCall> RealBackendCalls();

}  // namespace tarvo::test

#endif  // TARVO_TEST_HOST_CALLS_H
