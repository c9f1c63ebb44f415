// What the file and document operations share on every platform (file_operations.cpp), and the one
// piece each platform's files.cpp or files_win32.cpp supplies for them.
#ifndef TARVO_VANTREL_FILE_OPERATIONS_H
#define TARVO_VANTREL_FILE_OPERATIONS_H

#include <chrono>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/text.h"

namespace tarvo::backend::detail {

// How long a viewer gets to close its document after a polite request, before it is ended.
inline constexpr std::chrono::milliseconds kViewerGrace{2000};

// A file name by the path rules: as given when `isAbsolute`, otherwise below `base`, or nothing
// when a relative name leaves `base`.
std::optional<std::string> Locate(const runtime::Text& base, bool isAbsolute, const runtime::Text& name,
                                  std::string_view operation);

// Copy's copyAction: true for 0 (copy, replacing the target), false for 1 (copy only where no target
// exists); any other value raises std::invalid_argument naming it.
bool ReplacesExistingTarget(int copyAction);

// Open's openAction: true for 0 (show the document), false for 1 (only resolve its full path); any
// other value raises std::invalid_argument naming it.
bool ShowsDocument(int openAction);

// Whether a document is a spreadsheet, by its extension, in any case.
bool IsSpreadsheet(std::string_view path);

// A folder as a canonical path when it exists, else as an absolute, lexically tidied one. Per
// platform.
std::string FolderForComparison(const std::string& folder);

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_FILE_OPERATIONS_H
