// A host of the unified-tags interface: builds a resolver from a tag file, hands it over with an
// object handle, resolves names, and shows the refusal of a stale handle.
//   unified_tags_host [TAG_FILE]
#include <cstdio>
#include <stdexcept>

#include "IUnifiedTagsManagerWrapper.h"
#include "TarvoUnifiedTags.h"  // object root, backend text, handles, resolvers

using tarvo::backend::TagTableResolver;
using tarvo::runtime::GCHandle;

int main(int argc, char** argv) {
  const char* tagFile = argc > 1 ? argv[1] : "model.tags";

  // 1. A resolver from a tag file, and a handle on it (a pointer-sized value).
  void* handle = GCHandle::ToIntPtr(GCHandle::Alloc(TagTableResolver::Load(tagFile)));

  // 2. A wrapper, bound through the handle. From here on the handle is the wrapper's: it has been
  //    freed, and the resolver lives on through the wrapper alone. Had LoadObject raised, the
  //    handle would still be ours to free: GCHandle::FromIntPtr(handle).Free().
  IUnifiedTagsManagerWrapper* tags = IUnifiedTagsManagerWrapper::CreateInstance();
  tags->LoadObject(handle);

  // 3. Names resolve through slot 1; the returned string is ours.
  std::printf("BALCRD01 -> %s\n", tags->GetExtendedTag("BALCRD01").c_str());
  try {
    tags->GetExtendedTag("NOSUCH01");
  } catch (const std::out_of_range& error) {
    std::printf("refused: %s\n", error.what());
  }

  // 4. A zero or stale handle is refused; the wrapper keeps its resolver.
  try {
    tags->LoadObject(handle);  // already freed by the first LoadObject
  } catch (const tarvo::InvalidHandleError& error) {
    std::printf("refused: %s\n", error.what());
  }

  // 5. Release the wrapper (and with it the resolver, if nothing else holds it).
  IUnifiedTagsManagerWrapper::Destroy(tags);
  return 0;
}
