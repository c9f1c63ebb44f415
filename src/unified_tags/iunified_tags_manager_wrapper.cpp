#include "IUnifiedTagsManagerWrapper.h"

#include <memory>

#include "unified_tags/unified_tags_manager_wrapper.h"

// Storage comes from and returns to one allocator; a constructor that fails releases it again.
IUnifiedTagsManagerWrapper* IUnifiedTagsManagerWrapper::CreateInstance() {
  std::allocator<UnifiedTagsManagerWrapper> allocator;
  UnifiedTagsManagerWrapper* storage = allocator.allocate(1);
  try {
    return std::construct_at(storage);
  } catch (...) {
    allocator.deallocate(storage, 1);
    throw;
  }
}

void IUnifiedTagsManagerWrapper::Destroy(IUnifiedTagsManagerWrapper* instance) {
  if (instance == nullptr) return;
  auto* wrapper = static_cast<UnifiedTagsManagerWrapper*>(instance);
  std::destroy_at(wrapper);
  std::allocator<UnifiedTagsManagerWrapper>().deallocate(wrapper, 1);
}

IUnifiedTagsManagerWrapper::IUnifiedTagsManagerWrapper() = default;
IUnifiedTagsManagerWrapper::IUnifiedTagsManagerWrapper(const IUnifiedTagsManagerWrapper&) = default;
IUnifiedTagsManagerWrapper::IUnifiedTagsManagerWrapper(IUnifiedTagsManagerWrapper&&) = default;
IUnifiedTagsManagerWrapper& IUnifiedTagsManagerWrapper::operator=(const IUnifiedTagsManagerWrapper&) =
    default;
IUnifiedTagsManagerWrapper& IUnifiedTagsManagerWrapper::operator=(IUnifiedTagsManagerWrapper&&) = default;
