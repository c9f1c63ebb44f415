#include "runtime/gc_handle.h"

#include <utility>

#include "runtime/handle_table.h"

namespace tarvo::runtime {

namespace {

// The process's one table. It is never destroyed, so that a handle freed from some other static
// object's destructor at exit still finds it.
HandleTable& ProcessHandles() {
  static HandleTable* const table = new HandleTable();
  return *table;
}

}  // namespace

GCHandle GCHandle::Alloc(std::shared_ptr<Object> target) {
  return GCHandle(ProcessHandles().Alloc(std::move(target)));
}

GCHandle GCHandle::FromIntPtr(void* value) {
  const auto handle = reinterpret_cast<std::uintptr_t>(value);
  ProcessHandles().Check(handle, "GCHandle::FromIntPtr");
  return GCHandle(handle);
}

void* GCHandle::ToIntPtr(GCHandle handle) noexcept {
  return reinterpret_cast<void*>(handle.value_);
}

std::shared_ptr<Object> GCHandle::Target() const {
  return ProcessHandles().Target(value_, "GCHandle::Target");
}

void GCHandle::Free() const {
  ProcessHandles().Free(value_, "GCHandle::Free");
}

}  // namespace tarvo::runtime
