// The listing behind GetFileList.
#ifndef TARVO_VANTREL_FILE_LIST_H
#define TARVO_VANTREL_FILE_LIST_H

#include <string>

#include "runtime/array.h"
#include "runtime/text.h"
#include "vantrel/name_filter.h"

namespace tarvo::backend::detail {

// The regular files directly in `folder` (symbolic links to regular files count; their targets are
// not checked to be inside) whose names pass `filter`, in code-point order of their names. Each
// entry is the bare name, or with `fullPaths` the folder's canonical path joined to it. A folder
// that does not exist or cannot be read gives no array (null).
runtime::Array<runtime::Text> ListFiles(const std::string& folder, bool fullPaths, const NameFilter& filter);

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_FILE_LIST_H
