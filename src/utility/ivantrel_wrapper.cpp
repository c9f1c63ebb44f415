#include "IVantrelWrapper.h"

#include <memory>

#include "utility/vantrel_wrapper.h"

namespace {

// Storage comes from and returns to one allocator; a constructor that fails releases it again.
IVantrelWrapper* NewWrapper() {
  std::allocator<VantrelWrapper> allocator;
  VantrelWrapper* storage = allocator.allocate(1);
  try {
    return std::construct_at(storage);
  } catch (...) {
    allocator.deallocate(storage, 1);
    throw;
  }
}

}  // namespace

IVantrelWrapper* IVantrelWrapper::CreateInstance() {
  return NewWrapper();
}

IVantrelWrapper* IVantrelWrapper::CreateFileNameManager() {
  return NewWrapper();
}

void IVantrelWrapper::Destroy(IVantrelWrapper* instance) {
  if (instance == nullptr) return;
  auto* wrapper = static_cast<VantrelWrapper*>(instance);
  std::destroy_at(wrapper);
  std::allocator<VantrelWrapper>().deallocate(wrapper, 1);
}

IVantrelWrapper::IVantrelWrapper() = default;
IVantrelWrapper::IVantrelWrapper(const IVantrelWrapper&) = default;
IVantrelWrapper::IVantrelWrapper(IVantrelWrapper&&) = default;
IVantrelWrapper& IVantrelWrapper::operator=(const IVantrelWrapper&) = default;
IVantrelWrapper& IVantrelWrapper::operator=(IVantrelWrapper&&) = default;
