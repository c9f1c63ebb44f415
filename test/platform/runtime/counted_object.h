// An Object that counts how many of its kind are alive, to show when a handle lets go of one.
#ifndef TARVO_TEST_COUNTED_OBJECT_H
#define TARVO_TEST_COUNTED_OBJECT_H

#include <atomic>
#include <functional>
#include <utility>

#include "runtime/object.h"

namespace tarvo::test {

class CountedObject : public runtime::Object {
 public:
  explicit CountedObject(std::atomic<int>& alive, std::function<void()> onDestroy = {})
      : alive_(alive), onDestroy_(std::move(onDestroy)) {
    ++alive_;
  }
  ~CountedObject() override {
    if (onDestroy_) onDestroy_();
    --alive_;
  }

 private:
  std::atomic<int>& alive_;
  std::function<void()> onDestroy_;
};

}  // namespace tarvo::test

#endif  // TARVO_TEST_COUNTED_OBJECT_H
