#include "IUnifiedTagsManagerWrapper.h"

#include "interop/wrapper_storage.h"
#include "unified_tags/unified_tags_manager_wrapper.h"

IUnifiedTagsManagerWrapper* IUnifiedTagsManagerWrapper::CreateInstance() {
  return tarvo::interop::NewWrapper<UnifiedTagsManagerWrapper>();
}

void IUnifiedTagsManagerWrapper::Destroy(IUnifiedTagsManagerWrapper* instance) {
  tarvo::interop::DeleteWrapper<UnifiedTagsManagerWrapper>(instance);
}

IUnifiedTagsManagerWrapper::IUnifiedTagsManagerWrapper() = default;
IUnifiedTagsManagerWrapper::IUnifiedTagsManagerWrapper(const IUnifiedTagsManagerWrapper&) = default;
IUnifiedTagsManagerWrapper::IUnifiedTagsManagerWrapper(IUnifiedTagsManagerWrapper&&) = default;
IUnifiedTagsManagerWrapper& IUnifiedTagsManagerWrapper::operator=(const IUnifiedTagsManagerWrapper&) =
    default;
IUnifiedTagsManagerWrapper& IUnifiedTagsManagerWrapper::operator=(IUnifiedTagsManagerWrapper&&) = default;
