// The file and document operations that are the same on every platform, on top of the helpers that
// each platform supplies.
#include "vantrel/file_operations.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <stdexcept>
#include <string>
#include <vector>

#include "vantrel/argument_splitting.h"
#include "vantrel/child_process.h"
#include "vantrel/document_viewers.h"
#include "vantrel/file_names.h"
#include "vantrel/text_file.h"
#include "vantrel/vantrel.h"

namespace tarvo::backend {

using namespace detail;

namespace detail {

std::optional<std::string> Locate(const Text& base, bool isAbsolute, const Text& name,
                                  std::string_view operation) {
  std::string bytes = FileSystemName(name, operation);
  if (isAbsolute) return bytes;
  return ConfinedPath(FileSystemName(base, operation), bytes);
}

bool ReplacesExistingTarget(int copyAction) {
  if (copyAction != 0 && copyAction != 1) {
    throw std::invalid_argument(
        "Vantrel::Copy: copyAction " + std::to_string(copyAction) +
        " is neither 0 (copy, replacing the target) nor 1 (copy only where no target exists)");
  }
  return copyAction == 0;
}

bool ShowsDocument(int openAction) {
  if (openAction != 0 && openAction != 1) {
    throw std::invalid_argument("Vantrel::Open: openAction " + std::to_string(openAction) +
                                " is neither 0 (show the document) nor 1 (only resolve its full path)");
  }
  return openAction == 0;
}

bool IsSpreadsheet(std::string_view path) {
  static constexpr std::array<std::string_view, 11> kExtensions = {
      "xls", "xlsx", "xlsm", "xlsb", "xlt", "xltx", "xltm", "ods", "ots", "fods", "csv"};
  const std::string_view name = BaseName(path);
  const size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  std::string extension(name.substr(dot + 1));
  for (char& c : extension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return std::find(kExtensions.begin(), kExtensions.end(), extension) != kExtensions.end();
}

}  // namespace detail

bool Vantrel::CloseExcel(const Text&, const Text& analyticsPath, bool isAbsolute, const Text& moniker) {
  const std::string name = FileSystemName(moniker, "Vantrel::CloseExcel");
  if (name.empty()) return false;
  const std::optional<std::string> located =
      Locate(analyticsPath, isAbsolute, moniker, "Vantrel::CloseExcel");
  if (!located) return false;
  const std::optional<std::string> resolved = RealPath(*located);
  const auto matches = [&](const std::string& document) {
    return IsSpreadsheet(document) &&
           (BaseName(document) == name || document == *located || (resolved && document == *resolved));
  };
  return viewers_->close(matches, kViewerGrace) > 0;
}

bool Vantrel::CloseAnalyticsFiles(const Text&, const Text& analyticsPath, bool) {
  const std::string folder = FileSystemName(analyticsPath, "Vantrel::CloseAnalyticsFiles");
  const std::string within = FolderForComparison(folder.empty() ? "." : folder);
  viewers_->close([&](const std::string& document) { return IsWithin(document, within); }, kViewerGrace);
  // Every viewer under the folder has now been ended and reaped, so nothing of it is left open by
  // this object.
  return true;
}

Text Vantrel::LoadText(const Text& pathFileName) {
  const std::string path = FileSystemName(pathFileName, "Vantrel::LoadText");
  return Text(DecodeTextFile(ReadWholeFile(path, "Vantrel::LoadText")));
}

int Vantrel::OpenAndWait(const Text& pathFilename, const Text& params) {
  static constexpr std::string_view kOperation = "Vantrel::OpenAndWait";
  std::vector<std::string> command = {FileSystemName(pathFilename, kOperation)};
  for (const std::u16string& word : SplitArguments(params.units("Vantrel::OpenAndWait"), kOperation)) {
    command.push_back(FileSystemName(Text(word), kOperation));
  }
  return ChildProcess::Start(command, SpawnOptions{}, kOperation).wait();
}

}  // namespace tarvo::backend
