// How the factories make and release wrapper objects. The interfaces have no virtual destructor, so
// objects are never deleted through them: storage comes from and returns to one allocator, typed as
// the implementation.
#ifndef TARVO_INTEROP_WRAPPER_STORAGE_H
#define TARVO_INTEROP_WRAPPER_STORAGE_H

#include <memory>

namespace tarvo::interop {

// A default-constructed Wrapper; a constructor that fails releases the storage again.
template <class Wrapper>
Wrapper* NewWrapper() {
  std::allocator<Wrapper> allocator;
  Wrapper* storage = allocator.allocate(1);
  try {
    return std::construct_at(storage);
  } catch (...) {
    allocator.deallocate(storage, 1);
    throw;
  }
}

// Ends an object that NewWrapper<Wrapper> made; a null pointer does nothing.
template <class Wrapper, class Interface>
void DeleteWrapper(Interface* instance) noexcept {
  if (instance == nullptr) return;
  auto* wrapper = static_cast<Wrapper*>(instance);
  std::destroy_at(wrapper);
  std::allocator<Wrapper>().deallocate(wrapper, 1);
}

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_WRAPPER_STORAGE_H
