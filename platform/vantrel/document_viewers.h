// The viewer processes that one Vantrel object started, each with the document it shows.
#ifndef TARVO_VANTREL_DOCUMENT_VIEWERS_H
#define TARVO_VANTREL_DOCUMENT_VIEWERS_H

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "vantrel/child_process.h"

namespace tarvo::backend {

// Viewers that end by themselves are reaped at the next call. Closing one signals its whole process
// group, so programs it started without detaching end with it. A viewer that handed the document to
// another, already running program and exited has nothing left to close.
//
// Wrappers on different threads may share one Vantrel object, hence the lock.
class DocumentViewers {
 public:
  DocumentViewers() = default;
  DocumentViewers(const DocumentViewers&) = delete;
  DocumentViewers& operator=(const DocumentViewers&) = delete;
  // Reaps the viewers that have ended. The others keep running (their documents stay open for the
  // person reading them) and are no longer tracked.
  ~DocumentViewers();

  // Starts `viewerCommand` with `document` (a full path) as its last argument. Raises
  // std::system_error naming `operation` when the viewer cannot be started.
  void open(std::vector<std::string> viewerCommand, const std::string& document, std::string_view operation);

  // Ends the running viewers whose document `matches` approves: all are asked with SIGTERM, get
  // `grace` together to go, and the rest get SIGKILL; every one is reaped before this returns.
  // Answers how many were running and are now gone.
  int close(const std::function<bool(const std::string& document)>& matches, std::chrono::milliseconds grace);

 private:
  struct Viewer {
    std::string document;
    detail::ChildProcess process;
  };
  void forgetEnded();

  std::mutex lock_;
  std::vector<Viewer> viewers_;
};

}  // namespace tarvo::backend

#endif  // TARVO_VANTREL_DOCUMENT_VIEWERS_H
