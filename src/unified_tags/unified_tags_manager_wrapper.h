// UnifiedTagsManagerWrapper: the implementation of IUnifiedTagsManagerWrapper. Exported, so that
// hosts and tests may copy and derive from it; its one field is the reference to the bound resolver.
#ifndef TARVO_UNIFIED_TAGS_UNIFIED_TAGS_MANAGER_WRAPPER_H
#define TARVO_UNIFIED_TAGS_UNIFIED_TAGS_MANAGER_WRAPPER_H

#include <string>

#include "IUnifiedTagsManagerWrapper.h"
#include "interop/backend_ref.h"
#include "model_container/unified_tags.h"

class VANTREL_BRIDGE_API UnifiedTagsManagerWrapper : public IUnifiedTagsManagerWrapper {
 public:
  UnifiedTagsManagerWrapper();
  UnifiedTagsManagerWrapper(const UnifiedTagsManagerWrapper& other);
  UnifiedTagsManagerWrapper(UnifiedTagsManagerWrapper&& other);  // shares; `other` keeps the resolver
  UnifiedTagsManagerWrapper& operator=(const UnifiedTagsManagerWrapper& other);
  UnifiedTagsManagerWrapper& operator=(UnifiedTagsManagerWrapper&& other);
  ~UnifiedTagsManagerWrapper();

  /* 0 */ void LoadObject(void* m_pUnifiedTagResolver) override;
  /* 1 */ std::string GetExtendedTag(std::string strName) override;

 private:
  tarvo::interop::BackendRef<tarvo::backend::ITarvoUnifiedTags> resolver_;
};

#endif  // TARVO_UNIFIED_TAGS_UNIFIED_TAGS_MANAGER_WRAPPER_H
