// ITarvoUnifiedTags: the resolver of extended matrix tags that IUnifiedTagsManagerWrapper forwards to.
//
// The host owns the resolver and gives it to the bridge through an object handle (gc_handle.h); any
// class that implements this interface will do, TagTableResolver is the ready-made one.
#ifndef TARVO_MODEL_CONTAINER_UNIFIED_TAGS_H
#define TARVO_MODEL_CONTAINER_UNIFIED_TAGS_H

#include "platform_export.h"
#include "runtime/object.h"
#include "runtime/text.h"

namespace tarvo::backend {

// The root is a virtual base so that one object may implement several interfaces and still be a
// single Object, which is what a handle holds and what the bridge's type test starts from.
class TARVO_PLATFORM_API ITarvoUnifiedTags : public virtual runtime::Object {
 public:
  // The extended matrix tag of `name`. Failures, an unknown name included, are raised as
  // exceptions; the bridge passes them to the host unchanged.
  virtual runtime::Text GetMatrixExtendedTag(const runtime::Text& name) = 0;

  ~ITarvoUnifiedTags() override;  // defined out of line, so the type has one identity in the process
};

}  // namespace tarvo::backend

#endif  // TARVO_MODEL_CONTAINER_UNIFIED_TAGS_H
