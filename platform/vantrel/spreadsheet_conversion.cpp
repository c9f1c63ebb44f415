#include "vantrel/spreadsheet_conversion.h"

#include <sys/stat.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "vantrel/atomic_copy.h"
#include "vantrel/child_process.h"
#include "vantrel/file_names.h"
#include "vantrel/text_file.h"

namespace tarvo::backend::detail {

namespace {

// A folder of its own under $TMPDIR (or /tmp), removed with everything in it.
class WorkFolder {
 public:
  explicit WorkFolder(std::string_view operation) {
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/vantrel-convert-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) {
      throw std::system_error(errno, std::generic_category(),
                              std::string(operation) + ": cannot make a work folder " + Quoted(name));
    }
    path_ = std::move(name);
  }
  ~WorkFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  WorkFolder(const WorkFolder&) = delete;
  WorkFolder& operator=(const WorkFolder&) = delete;
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

// LibreOffice wants its profile folder as a file URL.
std::string FileUrl(std::string_view path) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string url = "file://";
  for (const char byte : path) {
    const auto c = static_cast<unsigned char>(byte);
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      url.push_back(byte);
    } else {
      url += {'%', kHex[c >> 4], kHex[c & 15]};
    }
  }
  return url;
}

// What LibreOffice said, on one line and not too long, for an error message.
std::string LastWords(const std::string& logFile) {
  std::string words;
  try {
    words = ReadWholeFile(logFile, "");
  } catch (const std::exception&) {
    return {};
  }
  for (char& c : words) {
    if (c == '\n' || c == '\r') c = ' ';
  }
  while (!words.empty() && words.back() == ' ') words.pop_back();
  if (words.size() > 400) words = "..." + words.substr(words.size() - 400);
  return words.empty() ? std::string() : " (soffice said: " + words + ")";
}

std::optional<std::string> FindResult(const std::string& folder) {
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
    if (entry.path().extension() == ".xlsx" && entry.is_regular_file(error)) return entry.path().string();
  }
  return std::nullopt;
}

}  // namespace

void ConvertToXlsx(const std::string& source, const std::string& target, std::string_view operation) {
  const std::string op(operation);
  struct stat status {};
  if (::stat(source.c_str(), &status) != 0) {
    const int error = errno;
    throw std::system_error(
        error, std::generic_category(),
        op + (error == ENOENT ? ": missing source " : ": cannot reach the source ") + Quoted(source));
  }
  if (!S_ISREG(status.st_mode)) {
    throw std::runtime_error(op + ": the source " + Quoted(source) + " is not a regular file");
  }
  const std::optional<std::string> soffice = FindOnPath("soffice");
  if (!soffice) {
    throw std::runtime_error(
        op + ": no converter: soffice (LibreOffice) is not on the PATH, needed to convert " + Quoted(source));
  }
  // An absolute source name: a relative one beginning with '-' would read as an option.
  const std::string absoluteSource = RealPath(source).value_or(source);

  const WorkFolder work(operation);
  const std::string output = work.path() + "/out";
  const std::string log = work.path() + "/soffice.log";
  const std::vector<std::string> command = {
      *soffice,       "-env:UserInstallation=" + FileUrl(work.path() + "/profile"),
      "--headless",   "--norestore",
      "--nologo",     "--nolockcheck",
      "--convert-to", "xlsx",
      "--outdir",     output,
      absoluteSource};
  SpawnOptions options;
  options.ownProcessGroup = true;
  options.inputFromNull = true;
  options.outputFile = log;
  ChildProcess converter = ChildProcess::Start(command, options, operation);

  const std::string failed = op + ": converting " + Quoted(source) + " failed: ";
  const std::optional<int> exitCode =
      converter.waitFor(std::chrono::duration_cast<std::chrono::milliseconds>(kConversionTimeLimit));
  if (!exitCode) {
    converter.end(std::chrono::milliseconds(0));
    throw std::runtime_error(failed + "soffice did not finish within " +
                             std::to_string(kConversionTimeLimit.count()) + " s" + LastWords(log));
  }
  if (*exitCode != 0) {
    throw std::runtime_error(failed + "soffice ended with " + std::to_string(*exitCode) + LastWords(log));
  }
  const std::optional<std::string> result = FindResult(output);
  if (!result) throw std::runtime_error(failed + "soffice wrote no workbook" + LastWords(log));

  if (const std::error_code error =
          CopyFileAtomically(*result, target, ExistingTarget::Replace, CopyMethod::InKernel)) {
    throw std::system_error(error, op + ": cannot write " + Quoted(target));
  }
}

}  // namespace tarvo::backend::detail
