// Resolving extended tags through IUnifiedTagsManagerWrapper, with a tag-table resolver.
#ifndef VANTREL_HOST_TAGS_H
#define VANTREL_HOST_TAGS_H

#include <string>
#include <vector>

namespace vantrel_host {

// Loads the tag file into a resolver, hands it to a new wrapper through an object handle, and asks
// the wrapper for each name's tag. Library errors pass to the caller.
std::vector<std::string> ResolveTags(const std::string& tagFile, const std::vector<std::string>& names);

}  // namespace vantrel_host

#endif  // VANTREL_HOST_TAGS_H
