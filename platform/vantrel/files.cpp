// The file and document operations of the Vantrel stand-in. The work is done by the helpers next to
// this file; here the arguments are turned into file names and the outcomes into the results the
// contract asks for: a flag where a copy, move or deletion can simply fail, an exception where bad
// input or a failure has to be explained to the host.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "vantrel/argument_splitting.h"
#include "vantrel/atomic_copy.h"
#include "vantrel/child_process.h"
#include "vantrel/document_viewers.h"
#include "vantrel/file_list.h"
#include "vantrel/file_names.h"
#include "vantrel/file_operations.h"
#include "vantrel/name_filter.h"
#include "vantrel/spreadsheet_conversion.h"
#include "vantrel/text_file.h"
#include "vantrel/vantrel.h"

namespace tarvo::backend {

using namespace detail;

namespace {

bool Exists(const std::string& path) {
  struct stat status {};
  return ::lstat(path.c_str(), &status) == 0;
}

bool CopyByRules(std::string_view operation, const Text& modelPath, bool isAbsolute, const Text& source,
                 const Text& target, ExistingTarget existing, CopyMethod method) {
  const std::optional<std::string> from = Locate(modelPath, isAbsolute, source, operation);
  const std::optional<std::string> to = Locate(modelPath, isAbsolute, target, operation);
  if (!from || !to) return false;
  if (existing == ExistingTarget::Keep && Exists(*to)) return false;  // no need to copy only to refuse
  return !CopyFileAtomically(*from, *to, existing, method);
}

// rename(2) cannot cross file systems: copy next to the target, drop the source, then put the copy
// in place. Each failure undoes what was done, so the files end as they began.
bool MoveAcrossFileSystems(const std::string& from, const std::string& to) {
  struct stat status {};
  if (::lstat(from.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return false;
  if (::stat(to.c_str(), &status) == 0 && S_ISDIR(status.st_mode)) return false;
  StagedCopy staged(from, to, CopyMethod::InKernel);
  if (staged.error() || ::unlink(from.c_str()) != 0) return false;
  if (!staged.commit(ExistingTarget::Replace)) return true;
  // The source is gone and the copy could not take the target's name: put the data back. Should
  // that fail too, the staged file stays, as the only copy left.
  const std::string kept = staged.keep();
  if (!CopyFileAtomically(kept, from, ExistingTarget::Keep, CopyMethod::InKernel)) ::unlink(kept.c_str());
  return false;
}

// VANTREL_VIEWER holds a command line (split like OpenAndWait's arguments); the desktop's opener
// otherwise.
std::vector<std::string> ViewerCommand(std::string_view operation) {
  std::vector<std::string> command;
  if (const char* viewer = std::getenv("VANTREL_VIEWER")) {
    for (const std::u16string& word : SplitArguments(TextFromFileSystem(viewer).units(), operation)) {
      command.push_back(FileSystemName(Text(word), operation));
    }
  }
  if (command.empty()) command.emplace_back("xdg-open");
  return command;
}

}  // namespace

namespace detail {

std::string FolderForComparison(const std::string& folder) {
  if (std::optional<std::string> real = RealPath(folder)) return *real;
  std::error_code ignored;
  std::string tidy = std::filesystem::absolute(folder, ignored).lexically_normal().string();
  if (tidy.size() > 1 && tidy.back() == '/') tidy.pop_back();
  return tidy;
}

}  // namespace detail

bool Vantrel::Copy(const Text& modelPath, const Text&, bool isAbsolute, const Text& sourcePathFileName,
                   const Text& targetPathFileName, int copyAction) {
  return CopyByRules("Vantrel::Copy", modelPath, isAbsolute, sourcePathFileName, targetPathFileName,
                     ReplacesExistingTarget(copyAction) ? ExistingTarget::Replace : ExistingTarget::Keep,
                     CopyMethod::UserSpace);
}

bool Vantrel::CopySimple(const Text& modelPath, const Text&, bool isAbsolute, const Text& sourcePathFileName,
                         const Text& targetPathFileName) {
  return CopyByRules("Vantrel::CopySimple", modelPath, isAbsolute, sourcePathFileName, targetPathFileName,
                     ExistingTarget::Replace, CopyMethod::UserSpace);
}

bool Vantrel::CopySimpleKerno(const Text& modelPath, const Text&, bool isAbsolute,
                              const Text& sourcePathFileName, const Text& targetPathFileName) {
  return CopyByRules("Vantrel::CopySimpleKerno", modelPath, isAbsolute, sourcePathFileName,
                     targetPathFileName, ExistingTarget::Replace, CopyMethod::InKernel);
}

bool Vantrel::Delete(const Text& modelPath, const Text&, bool isAbsolute, const Text& targetPathFileName) {
  const std::optional<std::string> path =
      Locate(modelPath, isAbsolute, targetPathFileName, "Vantrel::Delete");
  struct stat status {};
  if (!path || ::lstat(path->c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return false;
  return ::unlink(path->c_str()) == 0;
}

bool Vantrel::Rename(const Text& modelPath, const Text&, bool isAbsolute, const Text& sourcePathFileName,
                     const Text& targetPathFileName) {
  const std::optional<std::string> from =
      Locate(modelPath, isAbsolute, sourcePathFileName, "Vantrel::Rename");
  const std::optional<std::string> to = Locate(modelPath, isAbsolute, targetPathFileName, "Vantrel::Rename");
  struct stat status {};
  if (!from || !to || ::lstat(from->c_str(), &status) != 0 || S_ISDIR(status.st_mode)) return false;
  if (::rename(from->c_str(), to->c_str()) == 0) return true;
  return errno == EXDEV && MoveAcrossFileSystems(*from, *to);
}

Text Vantrel::Open(const Text&, const Text& analyticsPath, bool isAbsolute, const Text& targetPathFileName,
                   int openAction) {
  static constexpr std::string_view kOperation = "Vantrel::Open";
  const bool show = ShowsDocument(openAction);
  const std::optional<std::string> path = Locate(analyticsPath, isAbsolute, targetPathFileName, kOperation);
  if (!path) {
    throw std::invalid_argument(
        "Vantrel::Open: the document " + Quoted(FileSystemName(targetPathFileName, kOperation)) +
        " lies outside the analytics folder " + Quoted(FileSystemName(analyticsPath, kOperation)));
  }
  const std::optional<std::string> document = RealPath(*path);
  if (!document) return Text(std::u16string());
  if (show) viewers_->open(ViewerCommand(kOperation), *document, kOperation);
  return TextFromFileSystem(*document);
}

Array<Text> Vantrel::GetFileList(const Text& targetPath, bool isAbsolute, const Text& filter) {
  const std::string folder = FileSystemName(targetPath, "Vantrel::GetFileList");
  return ListFiles(folder, isAbsolute, NameFilter(filter.units("Vantrel::GetFileList")));
}

void Vantrel::Xsl2Xslx(const Text& fromFName, const Text& toFName) {
  ConvertToXlsx(FileSystemName(fromFName, "Vantrel::Xsl2Xslx"), FileSystemName(toFName, "Vantrel::Xsl2Xslx"),
                "Vantrel::Xsl2Xslx");
}

}  // namespace tarvo::backend
