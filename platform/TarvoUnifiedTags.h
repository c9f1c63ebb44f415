// What a host needs to hand a tag resolver to IUnifiedTagsManagerWrapper: the object root
// (tarvo::runtime::Object), backend text (tarvo::runtime::Text), object handles
// (tarvo::runtime::GCHandle), the resolver interface (tarvo::backend::ITarvoUnifiedTags) and the
// ready-made resolver that reads a tag file (tarvo::backend::TagTableResolver). Link
// libtarvo_platform as well as libvantrel_bridge.
//
//   auto resolver = tarvo::backend::TagTableResolver::Load("model/tags.txt");
//   void* handle = tarvo::runtime::GCHandle::ToIntPtr(tarvo::runtime::GCHandle::Alloc(resolver));
//   IUnifiedTagsManagerWrapper* tags = IUnifiedTagsManagerWrapper::CreateInstance();
//   tags->LoadObject(handle);  // the wrapper now owns the handle and frees it
//   std::string extended = tags->GetExtendedTag("BALCRD01");
//   IUnifiedTagsManagerWrapper::Destroy(tags);
//
// A resolver of the host's own derives from ITarvoUnifiedTags and implements GetMatrixExtendedTag.
// The headers are C++17 and use nothing beyond the standard library.
#ifndef TARVO_UNIFIED_TAGS_HOST_H
#define TARVO_UNIFIED_TAGS_HOST_H

#include "model_container/tag_table_resolver.h"
#include "model_container/unified_tags.h"
#include "runtime/gc_handle.h"
#include "runtime/object.h"
#include "runtime/text.h"

#endif  // TARVO_UNIFIED_TAGS_HOST_H
