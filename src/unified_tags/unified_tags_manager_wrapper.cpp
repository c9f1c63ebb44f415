#include "unified_tags/unified_tags_manager_wrapper.h"

#include <memory>
#include <utility>

#include "interop/util.h"
#include "runtime/cast.h"
#include "runtime/gc_handle.h"

using tarvo::backend::ITarvoUnifiedTags;
using tarvo::runtime::GCHandle;

UnifiedTagsManagerWrapper::UnifiedTagsManagerWrapper() = default;
UnifiedTagsManagerWrapper::UnifiedTagsManagerWrapper(const UnifiedTagsManagerWrapper& other) = default;
UnifiedTagsManagerWrapper::UnifiedTagsManagerWrapper(UnifiedTagsManagerWrapper&& other) = default;
UnifiedTagsManagerWrapper& UnifiedTagsManagerWrapper::operator=(const UnifiedTagsManagerWrapper& other) =
    default;
UnifiedTagsManagerWrapper& UnifiedTagsManagerWrapper::operator=(UnifiedTagsManagerWrapper&& other) = default;
UnifiedTagsManagerWrapper::~UnifiedTagsManagerWrapper() = default;

// Slot 0. Restoring the handle, reading its target and the type test all come before the binding,
// so when one of them fails the wrapper keeps its resolver and the handle is still the host's. The
// handle is freed only once the wrapper holds the resolver by its own reference. Freeing a handle
// that was found live a moment ago fails only if someone else freed it meanwhile, against the
// contract; even then the wrapper is put back as it was before the error passes on.
void UnifiedTagsManagerWrapper::LoadObject(void* m_pUnifiedTagResolver) {
  constexpr const char* operation = "UnifiedTagsManagerWrapper::LoadObject";
  const GCHandle handle = GCHandle::FromIntPtr(m_pUnifiedTagResolver);
  std::shared_ptr<ITarvoUnifiedTags> resolver =
      tarvo::runtime::CastTo<ITarvoUnifiedTags>(handle.Target(), operation);
  const tarvo::interop::BackendRef<ITarvoUnifiedTags> previous = resolver_;
  resolver_ = std::move(resolver);
  try {
    handle.Free();
  } catch (...) {
    resolver_ = previous;
    throw;
  }
}

// Slot 1. The name is converted before the reference is used, so an unbound wrapper fails at the
// call itself, as every forwarding operation does. An absent answer fails naming this operation.
std::string UnifiedTagsManagerWrapper::GetExtendedTag(std::string strName) {
  const tarvo::runtime::Text name = tarvo::interop::ToBackendText(strName);
  const tarvo::runtime::Text tag = resolver_.get("GetExtendedTag").GetMatrixExtendedTag(name);
  if (tag.isNull()) {
    throw tarvo::NullReferenceError("GetExtendedTag: the resolver answered with absent (null) text");
  }
  return tarvo::interop::Util::SystemToStdString(tag);
}
