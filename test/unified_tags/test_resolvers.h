// Resolvers for the wrapper's tests, and helpers that make handles on them.
#ifndef TARVO_TEST_TEST_RESOLVERS_H
#define TARVO_TEST_TEST_RESOLVERS_H

#include <memory>
#include <stdexcept>
#include <string>
#include <utility>

#include "model_container/unified_tags.h"
#include "runtime/gc_handle.h"
#include "runtime/object.h"
#include "runtime/text.h"

namespace tarvo::test {

// Answers "<label>:<name>" and remembers the name it was asked.
class LabelResolver : public backend::ITarvoUnifiedTags {
 public:
  explicit LabelResolver(std::u16string label) : label_(std::move(label)) {}
  runtime::Text GetMatrixExtendedTag(const runtime::Text& name) override {
    lastName = name;
    return runtime::Text(label_ + u":" + std::u16string(name.units()));
  }
  runtime::Text lastName;

 private:
  std::u16string label_;
};

// A resolver's own failure, which must reach the host as it is.
class ResolverFault : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

// Fails every request, or answers absent text.
class FaultyResolver : public backend::ITarvoUnifiedTags {
 public:
  explicit FaultyResolver(bool answerAbsent = false) : answerAbsent_(answerAbsent) {}
  runtime::Text GetMatrixExtendedTag(const runtime::Text&) override {
    if (answerAbsent_) return runtime::Text::null();
    throw ResolverFault("FaultyResolver: the tag store is offline");
  }

 private:
  bool answerAbsent_;
};

// Any backend object that is not a resolver.
class NotAResolver : public runtime::Object {};

inline void* NewHandle(std::shared_ptr<runtime::Object> object) {
  return runtime::GCHandle::ToIntPtr(runtime::GCHandle::Alloc(std::move(object)));
}

// Whether `handle` is still live, that is, still the host's to free.
inline bool IsLive(void* handle) {
  try {
    runtime::GCHandle::FromIntPtr(handle);
    return true;
  } catch (const InvalidHandleError&) {
    return false;
  }
}

}  // namespace tarvo::test

#endif  // TARVO_TEST_TEST_RESOLVERS_H
