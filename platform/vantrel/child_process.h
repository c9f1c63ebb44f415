// A program started without a shell, from an argument vector, and the means to wait for it or end
// it. The process is this object's child until it has been reaped.
//
// On Windows (child_process_win32.cpp) the arguments are UTF-8 and become one command line quoted
// as CommandLineToArgvW reads it; a process group is a job object; asking to end closes the
// program's windows, and forcing the end terminates the job or the process.
#ifndef TARVO_VANTREL_CHILD_PROCESS_H
#define TARVO_VANTREL_CHILD_PROCESS_H

#include <signal.h>
#include <sys/types.h>

#include <chrono>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tarvo::backend::detail {

struct SpawnOptions {
  // The child leads a process group of its own, so that ending it reaches what it started too.
  bool ownProcessGroup = false;
  // Standard input from /dev/null rather than the host's, for programs that must not read it.
  bool inputFromNull = false;
  // Standard output and error go to this file (created or truncated) instead of the host's.
  std::optional<std::string> outputFile;
};

class ChildProcess {
 public:
  // Starts argv[0] with the arguments argv[1...]. A name without '/' is looked up on the PATH.
  // Signal dispositions and the signal mask start at their defaults, whatever the host set.
  // Raises std::system_error "<operation>: cannot start '<program>': <reason>".
  static ChildProcess Start(const std::vector<std::string>& argv, const SpawnOptions& options,
                            std::string_view operation);

  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  // Ends and reaps a child that is still owned, so that no error path leaves one behind.
  ~ChildProcess();

  pid_t pid() const { return pid_; }

  // Blocks until the child ends, reaps it and returns its exit code (see ExitCode).
  int wait();

  // Like wait, but gives up after `limit` and then returns nothing; the child is left as it was.
  std::optional<int> waitFor(std::chrono::milliseconds limit);

  // Whether the child has ended, without reaping it.
  bool hasEnded() const;

  // Reaps the child if it has ended; true when it had.
  bool reapIfEnded();

  // Asks the child (and its group) to end with SIGTERM, waits up to `grace`, then forces the end
  // with SIGKILL, and reaps it. The three steps are also available one by one, so that many
  // children can share one grace period.
  void end(std::chrono::milliseconds grace);
  void askToEnd() const { signal(SIGTERM); }
  bool endsWithin(std::chrono::milliseconds limit) const;
  void forceEnd();

  // Gives up ownership without ending the child.
  void release();

 private:
  ChildProcess(pid_t pid, bool ownGroup, std::string description)
      : pid_(pid), ownGroup_(ownGroup), description_(std::move(description)) {}
  void signal(int number) const;

  pid_t pid_ = -1;  // -1 once reaped or released
  bool ownGroup_ = false;
  std::string description_;  // "<operation>: '<program>'", for messages
#if defined(_WIN32)
  void closeHandles();
  void* process_ = nullptr;  // the process's HANDLE
  void* job_ = nullptr;      // the job object's HANDLE standing for the process group, or null
#endif
};

// The exit code of a wait status, or minus the signal number when a signal ended the process.
int ExitCode(int waitStatus);

// The full path of an executable `name` on the PATH, or nothing.
std::optional<std::string> FindOnPath(std::string_view name);

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_CHILD_PROCESS_H
