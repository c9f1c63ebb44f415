// ChildProcess on Windows: CreateProcessW, WaitForSingleObject and a job object for the group.
#include <windows.h>

#include <algorithm>
#include <cerrno>
#include <system_error>
#include <utility>

#include "vantrel/child_process.h"
#include "vantrel/file_names.h"
#include "vantrel/win32_text.h"

namespace tarvo::backend::detail {

namespace {

// One argument quoted so that CommandLineToArgvW (and the C runtime of the program) reads it back
// unchanged: backslashes double only where a quote follows them.
std::wstring QuotedArgument(const std::wstring& argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring::npos) return argument;
  std::wstring quoted = L"\"";
  for (auto c = argument.begin();; ++c) {
    size_t backslashes = 0;
    while (c != argument.end() && *c == L'\\') {
      ++c;
      ++backslashes;
    }
    if (c == argument.end()) {
      quoted.append(backslashes * 2, L'\\');
      break;
    }
    if (*c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    quoted.push_back(*c);
  }
  quoted.push_back(L'"');
  return quoted;
}

// A handle the child inherits as standard input or output, closed here once the child has it.
class InheritedHandle {
 public:
  InheritedHandle(const std::wstring& path, DWORD access, DWORD disposition) {
    SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
    handle_ = CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, disposition,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  ~InheritedHandle() {
    if (valid()) CloseHandle(handle_);
  }
  InheritedHandle(const InheritedHandle&) = delete;
  InheritedHandle& operator=(const InheritedHandle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

BOOL CALLBACK CloseWindowOfProcess(HWND window, LPARAM processId) {
  DWORD owner = 0;
  GetWindowThreadProcessId(window, &owner);
  if (owner == static_cast<DWORD>(processId)) PostMessageW(window, WM_CLOSE, 0, 0);
  return TRUE;
}

}  // namespace

ChildProcess ChildProcess::Start(const std::vector<std::string>& argv, const SpawnOptions& options,
                                 std::string_view operation) {
  const std::string failure =
      std::string(operation) + ": cannot start " + Quoted(argv.empty() ? "" : argv[0]);
  if (argv.empty() || argv[0].empty()) throw std::system_error(ENOENT, std::generic_category(), failure);

  std::wstring commandLine;
  for (const std::string& argument : argv) {
    if (!commandLine.empty()) commandLine.push_back(L' ');
    commandLine += QuotedArgument(WideFromUtf8(argument));
  }

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  std::optional<InheritedHandle> input, output;
  if (options.inputFromNull || options.outputFile) {
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    if (options.inputFromNull) {
      input.emplace(L"NUL", GENERIC_READ, OPEN_EXISTING);
      if (input->valid()) startup.hStdInput = input->get();
    }
    if (options.outputFile) {
      output.emplace(WideFromUtf8(*options.outputFile), GENERIC_WRITE, CREATE_ALWAYS);
      if (!output->valid())
        throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), failure);
      startup.hStdOutput = startup.hStdError = output->get();
    }
  }

  // A group is a job: the child is assigned to it before it runs a single instruction.
  const DWORD flags = CREATE_UNICODE_ENVIRONMENT | (options.ownProcessGroup ? CREATE_SUSPENDED : 0);
  PROCESS_INFORMATION started{};
  // A name without a path is looked up as CreateProcessW does: the host's folder, the current
  // folder, the system folders, then the PATH, with ".exe" added when the name has no extension.
  if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, startup.dwFlags != 0, flags, nullptr,
                      nullptr, &startup, &started)) {
    throw std::system_error(static_cast<int>(GetLastError()), std::system_category(), failure);
  }
  ChildProcess child(static_cast<pid_t>(started.dwProcessId), options.ownProcessGroup,
                     std::string(operation) + ": " + Quoted(argv[0]));
  child.process_ = started.hProcess;
  if (options.ownProcessGroup) {
    child.job_ = CreateJobObjectW(nullptr, nullptr);
    if (child.job_ == nullptr || !AssignProcessToJobObject(child.job_, started.hProcess)) {
      const DWORD error = GetLastError();
      TerminateProcess(started.hProcess, 1);
      CloseHandle(started.hThread);
      throw std::system_error(static_cast<int>(error), std::system_category(), failure);
    }
    ResumeThread(started.hThread);
  }
  CloseHandle(started.hThread);
  return child;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      ownGroup_(other.ownGroup_),
      description_(std::move(other.description_)),
      process_(std::exchange(other.process_, nullptr)),
      job_(std::exchange(other.job_, nullptr)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    if (pid_ >= 0) end(std::chrono::milliseconds(0));
    closeHandles();
    pid_ = std::exchange(other.pid_, -1);
    ownGroup_ = other.ownGroup_;
    description_ = std::move(other.description_);
    process_ = std::exchange(other.process_, nullptr);
    job_ = std::exchange(other.job_, nullptr);
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (pid_ >= 0) end(std::chrono::milliseconds(0));
  closeHandles();
}

void ChildProcess::closeHandles() {
  if (process_ != nullptr) CloseHandle(std::exchange(process_, nullptr));
  if (job_ != nullptr) CloseHandle(std::exchange(job_, nullptr));
}

void ChildProcess::release() {
  pid_ = -1;
  closeHandles();  // the process runs on; only this object's hold on it ends
}

int ChildProcess::wait() {
  DWORD code = 0;
  const bool known =
      WaitForSingleObject(process_, INFINITE) == WAIT_OBJECT_0 && GetExitCodeProcess(process_, &code);
  const DWORD error = GetLastError();
  pid_ = -1;
  closeHandles();
  if (!known)
    throw std::system_error(static_cast<int>(error), std::system_category(),
                            description_ + " ended, but its exit code is lost");
  return static_cast<int>(code);
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds limit) {
  if (!endsWithin(limit)) return std::nullopt;
  return wait();
}

bool ChildProcess::hasEnded() const {
  return pid_ < 0 || WaitForSingleObject(process_, 0) == WAIT_OBJECT_0;
}

bool ChildProcess::reapIfEnded() {
  if (!hasEnded()) return false;
  pid_ = -1;
  closeHandles();
  return true;
}

bool ChildProcess::endsWithin(std::chrono::milliseconds limit) const {
  if (pid_ < 0) return true;
  const auto milliseconds = static_cast<DWORD>(std::clamp<long long>(limit.count(), 0, INFINITE - 1));
  return WaitForSingleObject(process_, milliseconds) == WAIT_OBJECT_0;
}

// Windows has no signals: SIGTERM becomes a request to close the program's windows, which is how a
// document viewer is asked to quit; anything else ends the job (or the process) at once.
void ChildProcess::signal(int number) const {
  if (pid_ < 0) return;
  if (number == SIGTERM) {
    EnumWindows(CloseWindowOfProcess, static_cast<LPARAM>(pid_));
  } else if (job_ == nullptr || !TerminateJobObject(job_, 1)) {
    TerminateProcess(process_, 1);
  }
}

void ChildProcess::end(std::chrono::milliseconds grace) {
  if (pid_ < 0) return;
  askToEnd();
  endsWithin(grace);
  forceEnd();
}

void ChildProcess::forceEnd() {
  if (pid_ < 0) return;
  if (!hasEnded()) signal(-1);
  WaitForSingleObject(process_, INFINITE);
  pid_ = -1;
  closeHandles();
}

int ExitCode(int waitStatus) {
  return waitStatus;
}

}  // namespace tarvo::backend::detail
