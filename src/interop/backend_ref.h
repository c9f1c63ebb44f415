// BackendRef: the one field of every wrapper, a strong reference to a backend object or to nothing.
#ifndef TARVO_INTEROP_BACKEND_REF_H
#define TARVO_INTEROP_BACKEND_REF_H

#include <memory>
#include <string>
#include <utility>

#include "BridgeErrors.h"

namespace tarvo::interop {

// References are independent of each other: copying one shares the object, re-pointing or
// dropping one never changes what another designates. A "move" behaves exactly as a copy and
// leaves its source designating what it did, because hosts rely on a moved-from wrapper still
// working. The object lives while any reference (or anything outside the bridge) holds it.
template <class T>
class BackendRef {
 public:
  BackendRef() noexcept = default;
  BackendRef(const BackendRef& other) noexcept = default;
  BackendRef(BackendRef&& other) noexcept : object_(other.object_) {}
  BackendRef& operator=(const BackendRef& other) noexcept = default;
  BackendRef& operator=(BackendRef&& other) noexcept {
    object_ = other.object_;
    return *this;
  }
  ~BackendRef() = default;

  // Re-points this reference; what it held before stays alive only through its other holders.
  BackendRef& operator=(std::shared_ptr<T> object) noexcept {
    object_ = std::move(object);
    return *this;
  }

  // The designated object. On an empty reference, raises NullReferenceError naming `operation`
  // instead of dereferencing.
  T& get(const char* operation) const {
    if (!object_) {
      throw NullReferenceError(std::string(operation) +
                               ": no backend object is bound; call LoadObject first");
    }
    return *object_;
  }

  const std::shared_ptr<T>& shared() const noexcept { return object_; }

 private:
  std::shared_ptr<T> object_;
};

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_BACKEND_REF_H
