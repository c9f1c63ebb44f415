#include "vantrel/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <system_error>
#include <thread>
#include <utility>

#include "vantrel/file_names.h"

extern char** environ;

namespace tarvo::backend::detail {

namespace {

class SpawnAttributes {
 public:
  SpawnAttributes() { ::posix_spawnattr_init(&value); }
  ~SpawnAttributes() { ::posix_spawnattr_destroy(&value); }
  SpawnAttributes(const SpawnAttributes&) = delete;
  SpawnAttributes& operator=(const SpawnAttributes&) = delete;
  posix_spawnattr_t value;
};

class SpawnFileActions {
 public:
  SpawnFileActions() { ::posix_spawn_file_actions_init(&value); }
  ~SpawnFileActions() { ::posix_spawn_file_actions_destroy(&value); }
  SpawnFileActions(const SpawnFileActions&) = delete;
  SpawnFileActions& operator=(const SpawnFileActions&) = delete;
  posix_spawn_file_actions_t value;
};

[[noreturn]] void ThrowSystemError(int error, const std::string& message) {
  throw std::system_error(error, std::generic_category(), message);
}

}  // namespace

ChildProcess ChildProcess::Start(const std::vector<std::string>& argv, const SpawnOptions& options,
                                 std::string_view operation) {
  const std::string failure =
      std::string(operation) + ": cannot start " + Quoted(argv.empty() ? "" : argv[0]);
  if (argv.empty() || argv[0].empty()) ThrowSystemError(ENOENT, failure);

  // A host that ignores SIGPIPE or blocks SIGTERM must not pass that on to the programs it runs.
  SpawnAttributes attributes;
  sigset_t signals;
  ::sigfillset(&signals);
  ::posix_spawnattr_setsigdefault(&attributes.value, &signals);
  ::sigemptyset(&signals);
  ::posix_spawnattr_setsigmask(&attributes.value, &signals);
  short flags = POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK;
  if (options.ownProcessGroup) {
    flags |= POSIX_SPAWN_SETPGROUP;
    ::posix_spawnattr_setpgroup(&attributes.value, 0);
  }
  ::posix_spawnattr_setflags(&attributes.value, flags);

  SpawnFileActions actions;
  if (options.inputFromNull) {
    ::posix_spawn_file_actions_addopen(&actions.value, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  }
  if (options.outputFile) {
    ::posix_spawn_file_actions_addopen(&actions.value, STDOUT_FILENO, options.outputFile->c_str(),
                                       O_WRONLY | O_CREAT | O_TRUNC, 0600);
    ::posix_spawn_file_actions_adddup2(&actions.value, STDOUT_FILENO, STDERR_FILENO);
  }

  std::vector<char*> arguments;
  for (const std::string& argument : argv) arguments.push_back(const_cast<char*>(argument.c_str()));
  arguments.push_back(nullptr);

  // Everything that may throw comes before the spawn: once the program runs, nothing may keep its
  // ChildProcess from being made, or it would be left running and never waited for.
  std::string description = std::string(operation) + ": " + Quoted(argv[0]);
  pid_t pid = -1;
  const auto spawn = argv[0].find('/') == std::string::npos ? ::posix_spawnp : ::posix_spawn;
  if (const int error =
          spawn(&pid, argv[0].c_str(), &actions.value, &attributes.value, arguments.data(), environ)) {
    ThrowSystemError(error, failure);
  }
  return ChildProcess(pid, options.ownProcessGroup, std::move(description));
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept
    : pid_(std::exchange(other.pid_, -1)),
      ownGroup_(other.ownGroup_),
      description_(std::move(other.description_)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    if (pid_ >= 0) end(std::chrono::milliseconds(0));
    pid_ = std::exchange(other.pid_, -1);
    ownGroup_ = other.ownGroup_;
    description_ = std::move(other.description_);
  }
  return *this;
}

ChildProcess::~ChildProcess() {
  if (pid_ >= 0) end(std::chrono::milliseconds(0));
}

void ChildProcess::release() {
  pid_ = -1;
}

int ChildProcess::wait() {
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0) {
    if (errno == EINTR) continue;
    // ECHILD: a host that sets SIGCHLD to SIG_IGN has the system reap its children at once.
    const int error = errno;
    pid_ = -1;
    ThrowSystemError(error, description_ + " ended, but its exit code is lost");
  }
  pid_ = -1;
  return ExitCode(status);
}

std::optional<int> ChildProcess::waitFor(std::chrono::milliseconds limit) {
  if (!endsWithin(limit)) return std::nullopt;
  return wait();
}

bool ChildProcess::hasEnded() const {
  if (pid_ < 0) return true;
  siginfo_t info{};
  // WNOWAIT leaves the child unreaped: while it is, its pid and process group cannot be reused, so
  // signalling them stays safe.
  if (::waitid(P_PID, static_cast<id_t>(pid_), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
    return errno != EINTR;
  return info.si_pid == pid_;
}

bool ChildProcess::reapIfEnded() {
  if (pid_ < 0) return true;
  if (!hasEnded()) return false;
  int status = 0;
  ::waitpid(pid_, &status, WNOHANG);
  pid_ = -1;
  return true;
}

bool ChildProcess::endsWithin(std::chrono::milliseconds limit) const {
  if (pid_ < 0) return true;
  const auto deadline = std::chrono::steady_clock::now() + limit;
  auto pause = std::chrono::milliseconds(1);
  for (;;) {
    if (hasEnded()) return true;
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(pause);
    pause = std::min(pause * 2, std::chrono::milliseconds(20));
  }
}

void ChildProcess::signal(int number) const {
  if (pid_ < 0) return;
  if (!ownGroup_ || ::kill(-pid_, number) != 0) ::kill(pid_, number);
}

void ChildProcess::end(std::chrono::milliseconds grace) {
  if (pid_ < 0) return;
  askToEnd();
  endsWithin(grace);
  forceEnd();
}

void ChildProcess::forceEnd() {
  if (pid_ < 0) return;
  if (!hasEnded()) signal(SIGKILL);
  int status = 0;
  while (::waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

int ExitCode(int waitStatus) {
  if (WIFSIGNALED(waitStatus)) return -WTERMSIG(waitStatus);
  return WEXITSTATUS(waitStatus);
}

std::optional<std::string> FindOnPath(std::string_view name) {
  const char* path = std::getenv("PATH");
  std::string_view folders = path != nullptr ? path : "/bin:/usr/bin";
  for (;;) {
    const size_t colon = folders.find(':');
    const std::string_view folder = folders.substr(0, colon);
    const std::string candidate =
        (folder.empty() ? std::string(".") : std::string(folder)) + "/" + std::string(name);
    struct stat status {};
    if (::stat(candidate.c_str(), &status) == 0 && S_ISREG(status.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0) {
      return candidate;
    }
    if (colon == std::string_view::npos) return std::nullopt;
    folders.remove_prefix(colon + 1);
  }
}

}  // namespace tarvo::backend::detail
