// The file and document operations of the Vantrel stand-in on Windows (files.cpp is the POSIX
// one). Names travel as UTF-8 (see file_names_win32.cpp) and reach the Win32 calls as UTF-16, so no
// name is lost to the ANSI code page. Copies and moves are the system's own (CopyFileW, MoveFileExW);
// the conversion to .xlsx needs LibreOffice, which this build does not run, and says so.
#include <windows.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cctype>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "BridgeErrors.h"
#include "vantrel/argument_splitting.h"
#include "vantrel/child_process.h"
#include "vantrel/document_viewers.h"
#include "vantrel/file_names.h"
#include "vantrel/file_operations.h"
#include "vantrel/name_filter.h"
#include "vantrel/text_file.h"
#include "vantrel/vantrel.h"
#include "vantrel/win32_text.h"

namespace tarvo::backend {

using namespace detail;

namespace {

std::filesystem::file_status StatusOf(const std::string& path) {
  std::error_code ignored;
  return std::filesystem::symlink_status(PathFromUtf8(path), ignored);
}

// A sibling of `target` that no other copy uses: the process id and a per-process counter.
std::wstring StagingNameFor(const std::string& target) {
  static std::atomic<unsigned> counter{0};
  return WideFromUtf8(target) + L".vantrel-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(counter++) + L".tmp";
}

// The copy is made under a staging name next to the target and moved onto it in one step, so the
// target is never half written. Keep leaves an existing target alone: MoveFileExW without
// MOVEFILE_REPLACE_EXISTING checks and moves at once.
bool CopyByRules(std::string_view operation, const Text& modelPath, bool isAbsolute, const Text& source,
                 const Text& target, bool replace) {
  const std::optional<std::string> from = Locate(modelPath, isAbsolute, source, operation);
  const std::optional<std::string> to = Locate(modelPath, isAbsolute, target, operation);
  if (!from || !to) return false;
  if (!replace && std::filesystem::exists(StatusOf(*to))) return false;
  const std::wstring staged = StagingNameFor(*to);
  if (!CopyFileW(WideFromUtf8(*from).c_str(), staged.c_str(), TRUE)) {
    DeleteFileW(staged.c_str());
    return false;
  }
  const DWORD flags = MOVEFILE_WRITE_THROUGH | (replace ? MOVEFILE_REPLACE_EXISTING : 0);
  if (!MoveFileExW(staged.c_str(), WideFromUtf8(*to).c_str(), flags)) {
    DeleteFileW(staged.c_str());
    return false;
  }
  return true;
}

// VANTREL_VIEWER holds a command line (split like OpenAndWait's arguments); Explorer otherwise,
// which hands the document to the program registered for its type.
std::vector<std::string> ViewerCommand(std::string_view operation) {
  std::vector<std::string> command;
  if (const wchar_t* viewer = _wgetenv(L"VANTREL_VIEWER")) {
    for (const std::u16string& word :
         SplitArguments(TextFromFileSystem(Utf8FromWide(viewer)).units(), operation)) {
      command.push_back(FileSystemName(Text(word), operation));
    }
  }
  if (command.empty()) command.emplace_back("explorer.exe");
  return command;
}

// UTF-16 order puts U+10000 and above before U+E000..U+FFFF; comparing code points does not.
bool CodePointLess(std::u16string_view left, std::u16string_view right) {
  const auto key = [](char16_t unit) -> char32_t {
    return unit >= 0xD800 && unit < 0xE000 ? char32_t(unit) + 0x10000 : char32_t(unit);
  };
  return std::lexicographical_compare(left.begin(), left.end(), right.begin(), right.end(),
                                      [&](char16_t a, char16_t b) { return key(a) < key(b); });
}

}  // namespace

namespace detail {

std::string FolderForComparison(const std::string& folder) {
  if (std::optional<std::string> real = RealPath(folder)) return *real;
  std::error_code ignored;
  return Utf8FromPath(std::filesystem::absolute(PathFromUtf8(folder), ignored).lexically_normal());
}

}  // namespace detail

bool Vantrel::Copy(const Text& modelPath, const Text&, bool isAbsolute, const Text& sourcePathFileName,
                   const Text& targetPathFileName, int copyAction) {
  return CopyByRules("Vantrel::Copy", modelPath, isAbsolute, sourcePathFileName, targetPathFileName,
                     ReplacesExistingTarget(copyAction));
}

bool Vantrel::CopySimple(const Text& modelPath, const Text&, bool isAbsolute, const Text& sourcePathFileName,
                         const Text& targetPathFileName) {
  return CopyByRules("Vantrel::CopySimple", modelPath, isAbsolute, sourcePathFileName, targetPathFileName,
                     true);
}

// The system's CopyFileW is already the kernel's copy, so both copies take the same path here.
bool Vantrel::CopySimpleKerno(const Text& modelPath, const Text&, bool isAbsolute,
                              const Text& sourcePathFileName, const Text& targetPathFileName) {
  return CopyByRules("Vantrel::CopySimpleKerno", modelPath, isAbsolute, sourcePathFileName,
                     targetPathFileName, true);
}

bool Vantrel::Delete(const Text& modelPath, const Text&, bool isAbsolute, const Text& targetPathFileName) {
  const std::optional<std::string> path =
      Locate(modelPath, isAbsolute, targetPathFileName, "Vantrel::Delete");
  if (!path) return false;
  const std::filesystem::file_status status = StatusOf(*path);
  if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) return false;
  return DeleteFileW(WideFromUtf8(*path).c_str()) != 0;
}

bool Vantrel::Rename(const Text& modelPath, const Text&, bool isAbsolute, const Text& sourcePathFileName,
                     const Text& targetPathFileName) {
  const std::optional<std::string> from =
      Locate(modelPath, isAbsolute, sourcePathFileName, "Vantrel::Rename");
  const std::optional<std::string> to = Locate(modelPath, isAbsolute, targetPathFileName, "Vantrel::Rename");
  if (!from || !to) return false;
  const std::filesystem::file_status status = StatusOf(*from);
  if (!std::filesystem::exists(status) || std::filesystem::is_directory(status)) return false;
  // MOVEFILE_COPY_ALLOWED crosses volumes as copy and delete, which the system undoes on failure.
  return MoveFileExW(WideFromUtf8(*from).c_str(), WideFromUtf8(*to).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != 0;
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
  const NameFilter nameFilter(filter.units("Vantrel::GetFileList"));
  std::error_code error;
  std::filesystem::directory_iterator entries(PathFromUtf8(folder.empty() ? "." : folder), error);
  if (error) return nullptr;
  std::u16string prefix;
  if (isAbsolute) {
    const std::optional<std::string> real = RealPath(folder.empty() ? "." : folder);
    if (!real) return nullptr;
    prefix = TextFromFileSystem(*real).units();
    if (prefix.back() != u'\\') prefix.push_back(u'\\');
  }
  std::vector<std::u16string> names;
  for (const std::filesystem::directory_entry& entry : entries) {
    std::error_code ignored;
    if (!entry.is_regular_file(ignored)) continue;
    std::u16string name(TextFromFileSystem(Utf8FromPath(entry.path().filename())).units());
    if (nameFilter.matches(name)) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end(), CodePointLess);
  auto list = std::make_shared<runtime::ArrayElements<Text>>();
  for (std::u16string& name : names) {
    list->push_back(Text(prefix + name));
  }
  return list;
}

void Vantrel::Xsl2Xslx(const Text& fromFName, const Text& toFName) {
  FileSystemName(fromFName, "Vantrel::Xsl2Xslx");
  FileSystemName(toFName, "Vantrel::Xsl2Xslx");
  throw NotSupportedError(
      "Vantrel::Xsl2Xslx: converting spreadsheets needs LibreOffice, which the Windows build does not run");
}

}  // namespace tarvo::backend
