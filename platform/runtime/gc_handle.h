// Object handles: how a host gives a backend object across an interface that only carries a
// pointer-sized value (IUnifiedTagsManagerWrapper::LoadObject), as the managed runtime's GCHandle does.
//
//   std::shared_ptr<tarvo::runtime::Object> object = ...;
//   void* value = GCHandle::ToIntPtr(GCHandle::Alloc(object));  // the handle holds the object
//   GCHandle::FromIntPtr(value).Target();                       // the object, while the handle lives
//   GCHandle::FromIntPtr(value).Free();                         // ends the handle, exactly once
//
// A handle is a strong reference: the object lives at least until the handle is freed. Whoever ends
// up owning a handle frees it once; after that its value designates nothing, and every use of it
// (and of zero, and of a value no Alloc returned) raises tarvo::InvalidHandleError naming the
// operation and the value, without touching the object. Handles may be made, read and freed from
// any thread.
#ifndef TARVO_RUNTIME_GC_HANDLE_H
#define TARVO_RUNTIME_GC_HANDLE_H

#include <cstdint>
#include <memory>

#include "BridgeErrors.h"
#include "platform_export.h"
#include "runtime/object.h"

namespace tarvo::runtime {

class TARVO_PLATFORM_API GCHandle {
 public:
  // A new handle on `target`. An empty `target` gives a handle that designates nothing.
  static GCHandle Alloc(std::shared_ptr<Object> target);

  // The handle whose pointer-sized form is `value`; InvalidHandleError unless it is live.
  static GCHandle FromIntPtr(void* value);

  // The pointer-sized form of `handle`: never null.
  static void* ToIntPtr(GCHandle handle) noexcept;

  // The designated object, or an empty pointer for a handle on nothing.
  std::shared_ptr<Object> Target() const;

  // Ends the handle. Freeing it again, or using it afterwards, raises InvalidHandleError.
  void Free() const;

 private:
  explicit GCHandle(std::uintptr_t value) noexcept : value_(value) {}

  std::uintptr_t value_;
};

}  // namespace tarvo::runtime

#endif  // TARVO_RUNTIME_GC_HANDLE_H
