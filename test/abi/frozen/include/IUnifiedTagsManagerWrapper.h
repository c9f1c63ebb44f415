// IUnifiedTagsManagerWrapper: the host's way to a resolver of extended matrix tags that the host
// itself owns (an implementation of tarvo::backend::ITarvoUnifiedTags, such as TagTableResolver;
// see TarvoUnifiedTags.h).
//
// Hosts are compiled separately and call every operation by its position in the dispatch table, so
// the order below is the binary interface: operations are never reordered, removed or inserted. Each
// virtual carries its slot number.
//
// Life cycle
//   IUnifiedTagsManagerWrapper* w = IUnifiedTagsManagerWrapper::CreateInstance();  // unbound
//   w->LoadObject(handle);                        // binds the resolver the handle designates
//   std::string tag = w->GetExtendedTag("BALCRD01");
//   IUnifiedTagsManagerWrapper::Destroy(w);       // never `delete w`
//   Objects come only from CreateInstance and go only to Destroy; Destroy(nullptr) does nothing.
//   GetExtendedTag on an unbound wrapper raises tarvo::NullReferenceError.
//
// Ownership across the interface
//   - LoadObject's argument is an object handle (tarvo::runtime::GCHandle::ToIntPtr of a handle the
//     host allocated on its resolver). When LoadObject returns normally the handle is the wrapper's:
//     it has been freed, and the host must neither use nor free it again. The resolver stays alive
//     through the wrapper alone, even if the host keeps no other reference to it.
//   - When LoadObject raises, the handle is still the host's to free, and the wrapper is unchanged.
//   - A handle on nothing (GCHandle::Alloc of an empty pointer) unbinds the wrapper and is freed.
//   - Copies and assignments of the implementation share the resolver; destroying one wrapper
//     releases only its own reference.
//   - std::string arguments are taken by value; every returned std::string is owned by the host.
//     Host and library must be built against one C++ standard library and share one heap.
//
// Text
//   Names and tags are byte strings in the process's narrow encoding, exactly as IVantrelWrapper's
//   (see IVantrelWrapper.h); a name is passed on up to its first NUL byte.
//
// Failures
//   Nothing is caught or translated. LoadObject raises tarvo::InvalidHandleError for zero, a freed
//   or a made-up handle, and tarvo::InvalidCastError (naming the expected interface) for a handle
//   on an object that is not a resolver. What the resolver raises from GetExtendedTag (for
//   TagTableResolver, std::out_of_range for an unknown name) reaches the host unchanged.
#ifndef VANTREL_BRIDGE_IUNIFIEDTAGSMANAGERWRAPPER_H
#define VANTREL_BRIDGE_IUNIFIEDTAGSMANAGERWRAPPER_H

#include <string>

#include "BridgeErrors.h"

class VANTREL_BRIDGE_API IUnifiedTagsManagerWrapper {
 public:
  static IUnifiedTagsManagerWrapper* CreateInstance();
  static void Destroy(IUnifiedTagsManagerWrapper* instance);

  /* 0 */ virtual void LoadObject(void* m_pUnifiedTagResolver) = 0;
  /* 1 */ virtual std::string GetExtendedTag(std::string strName) = 0;

  // The interface holds no data; these only install or keep the dispatch table.
  IUnifiedTagsManagerWrapper();
  IUnifiedTagsManagerWrapper(const IUnifiedTagsManagerWrapper& other);
  IUnifiedTagsManagerWrapper(IUnifiedTagsManagerWrapper&& other);
  IUnifiedTagsManagerWrapper& operator=(const IUnifiedTagsManagerWrapper& other);
  IUnifiedTagsManagerWrapper& operator=(IUnifiedTagsManagerWrapper&& other);
};

#endif  // VANTREL_BRIDGE_IUNIFIEDTAGSMANAGERWRAPPER_H
