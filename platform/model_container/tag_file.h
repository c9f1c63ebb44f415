// Reading and parsing tag files for TagTableResolver (the format is described in its header).
#ifndef TARVO_MODEL_CONTAINER_TAG_FILE_H
#define TARVO_MODEL_CONTAINER_TAG_FILE_H

#include <filesystem>
#include <string>
#include <string_view>

#include "model_container/tag_table_resolver.h"

namespace tarvo::backend {

// The whole content of `file`, as bytes. Raises std::system_error naming `operation` and the file
// when it cannot be opened or read.
std::string ReadTagFile(const std::filesystem::path& file, const char* operation);

// The entries of a tag file's `content`. A malformed line raises std::invalid_argument naming
// `operation`, `source` and the line number; nothing is returned then.
TagTableResolver::Entries ParseTagFile(std::string_view content, const std::string& source,
                                       const char* operation);

// `text` as UTF-8, for messages.
std::string ToUtf8(std::u16string_view text);

}  // namespace tarvo::backend

#endif  // TARVO_MODEL_CONTAINER_TAG_FILE_H
