// Whole text files read into backend text.
#ifndef TARVO_VANTREL_TEXT_FILE_H
#define TARVO_VANTREL_TEXT_FILE_H

#include <string>
#include <string_view>

namespace tarvo::backend::detail {

// Decodes a text file's bytes: a byte-order mark selects UTF-8, UTF-16LE or UTF-16BE and is
// dropped; without one the bytes are UTF-8. Invalid sequences and a dangling odd byte become
// U+FFFD; NUL characters are kept.
std::u16string DecodeTextFile(std::string_view bytes);

// Reads the whole regular file at `path`. Raises std::system_error (or std::runtime_error for a
// file that is not a regular one) "<operation>: cannot read '<path>': <reason>".
std::string ReadWholeFile(const std::string& path, std::string_view operation);

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_TEXT_FILE_H
