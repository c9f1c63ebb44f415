// Legacy spreadsheets (.xls and whatever else LibreOffice reads) converted to the current format.
#ifndef TARVO_VANTREL_SPREADSHEET_CONVERSION_H
#define TARVO_VANTREL_SPREADSHEET_CONVERSION_H

#include <chrono>
#include <string>
#include <string_view>

namespace tarvo::backend::detail {

// How long one conversion may take, LibreOffice's start-up included, before it is ended.
inline constexpr std::chrono::seconds kConversionTimeLimit{120};

// Converts `source` into an .xlsx workbook at `target` with `soffice --headless --convert-to xlsx`
// found on the PATH, and moves the result onto `target` atomically (replacing it). LibreOffice runs
// with a private, throw-away profile, so it neither meets a running instance nor leaves settings
// behind, and in a process group of its own that is ended on a time-out.
// Raises, naming `operation` and the file:
//   std::system_error   the source is missing or unreadable, or the target cannot be written
//   std::runtime_error  no converter on the PATH, or the conversion failed or timed out (with
//                       LibreOffice's own words when it gave any)
void ConvertToXlsx(const std::string& source, const std::string& target, std::string_view operation);

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_SPREADSHEET_CONVERSION_H
