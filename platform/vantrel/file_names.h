// File names as the Vantrel operations receive them (backend text) and as the file system wants
// them (bytes in the process's narrow encoding), and the confinement of relative names.
#ifndef TARVO_VANTREL_FILE_NAMES_H
#define TARVO_VANTREL_FILE_NAMES_H

#include <optional>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace tarvo::backend::detail {

// The bytes that name `name` on the file system, in the same narrow encoding the bridge uses.
// Raises std::invalid_argument naming `operation` when the encoding cannot carry the text exactly
// (an embedded NUL, a character the codeset lacks): a lossy name could designate another file.
std::string FileSystemName(const runtime::Text& name, std::string_view operation);

// A file-system name read back as backend text.
runtime::Text TextFromFileSystem(std::string_view bytes);

// `name` relative to the folder `base`, or nothing when it would leave that folder: an absolute
// name, an empty one, ".." that climbs above `base`, or a symbolic link on the way that points
// outside `base` (or nowhere). An empty `base` is the current folder.
std::optional<std::string> ConfinedPath(const std::string& base, const std::string& name);

// The path with every symbolic link, "." and ".." resolved, or nothing when it does not exist.
std::optional<std::string> RealPath(const std::string& path);

// Whether `path` is `folder` or lies below it; both are expected to be canonical.
bool IsWithin(std::string_view path, std::string_view folder);

// The last component of a path.
std::string_view BaseName(std::string_view path);

// A path quoted for messages: 'path'.
std::string Quoted(std::string_view path);

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_FILE_NAMES_H
