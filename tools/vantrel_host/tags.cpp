#include "tags.h"

#include <memory>

#include "IUnifiedTagsManagerWrapper.h"
#include "TarvoUnifiedTags.h"

namespace vantrel_host {

std::vector<std::string> ResolveTags(const std::string& tagFile, const std::vector<std::string>& names) {
  using tarvo::runtime::GCHandle;
  std::unique_ptr<IUnifiedTagsManagerWrapper, decltype(&IUnifiedTagsManagerWrapper::Destroy)> tags(
      IUnifiedTagsManagerWrapper::CreateInstance(), &IUnifiedTagsManagerWrapper::Destroy);
  void* handle = GCHandle::ToIntPtr(GCHandle::Alloc(tarvo::backend::TagTableResolver::Load(tagFile)));
  try {
    tags->LoadObject(handle);  // takes the handle over
  } catch (...) {
    GCHandle::FromIntPtr(handle).Free();  // refused: the handle is still ours
    throw;
  }
  std::vector<std::string> resolved;
  for (const std::string& name : names) resolved.push_back(tags->GetExtendedTag(name));
  return resolved;
}

}  // namespace vantrel_host
