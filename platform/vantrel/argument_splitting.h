// Shell-like word splitting for command lines that are run without a shell.
#ifndef TARVO_VANTREL_ARGUMENT_SPLITTING_H
#define TARVO_VANTREL_ARGUMENT_SPLITTING_H

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::backend::detail {

// Splits `line` into words the way a POSIX shell does, without expanding anything: blanks (space,
// tab, newline) separate words; '...' keeps everything literally; "..." keeps everything but lets
// a backslash escape ", \, $, ` and a newline; outside quotes a backslash takes the next character
// literally, and backslash-newline joins lines. Quoted parts join the word around them, so ""
// makes an empty word. An unterminated quote or a trailing backslash raises std::invalid_argument
// naming `operation`.
std::vector<std::u16string> SplitArguments(std::u16string_view line, std::string_view operation);

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_ARGUMENT_SPLITTING_H
