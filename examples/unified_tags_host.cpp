// A host of the unified-tags interface: loads a tag file into a TagTableResolver, hands the
// resolver to the wrapper with an object handle, resolves names through slot 1, and shows the
// errors for a zero and a stale handle. Uses only the installed headers.
//
//   unified_tags_host TAG_FILE [NAME...]
#include <cstdio>
#include <exception>
#include <memory>
#include <stdexcept>
#include <string>

#include "IUnifiedTagsManagerWrapper.h"
#include "TarvoUnifiedTags.h"

using tarvo::backend::TagTableResolver;
using tarvo::runtime::GCHandle;

namespace {

using Wrapper = std::unique_ptr<IUnifiedTagsManagerWrapper, decltype(&IUnifiedTagsManagerWrapper::Destroy)>;

int Run(const char* tagFile, int nameCount, char** names) {
  Wrapper tags(IUnifiedTagsManagerWrapper::CreateInstance(), &IUnifiedTagsManagerWrapper::Destroy);

  // The handle keeps the resolver alive; once LoadObject returns, the wrapper has freed the handle
  // and holds the resolver by itself. If LoadObject raises, the handle is still ours to free.
  void* handle = GCHandle::ToIntPtr(GCHandle::Alloc(TagTableResolver::Load(tagFile)));
  try {
    tags->LoadObject(handle);
  } catch (...) {
    GCHandle::FromIntPtr(handle).Free();
    throw;
  }

  for (int i = 0; i < nameCount; ++i) {
    try {
      std::printf("%s -> %s\n", names[i], tags->GetExtendedTag(names[i]).c_str());
    } catch (const std::out_of_range& error) {
      std::printf("%s -> (no tag) %s\n", names[i], error.what());
    }
  }

  int unexpected = 0;
  for (void* bad : {static_cast<void*>(nullptr), handle}) {  // zero, then the handle already freed
    try {
      tags->LoadObject(bad);
      std::printf("LoadObject(%p) was accepted\n", bad);
      ++unexpected;
    } catch (const tarvo::InvalidHandleError& error) {
      std::printf("refused: %s\n", error.what());
    }
  }
  return unexpected == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: %s TAG_FILE [NAME...]\n", argv[0]);
    return 2;
  }
  try {
    return Run(argv[1], argc - 2, argv + 2);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "unified_tags_host: %s\n", error.what());
    return 1;
  }
}
