#include "vantrel/document_viewers.h"

#include <algorithm>
#include <utility>

namespace tarvo::backend {

DocumentViewers::~DocumentViewers() {
  forgetEnded();
  for (Viewer& viewer : viewers_) viewer.process.release();
}

void DocumentViewers::open(std::vector<std::string> viewerCommand, const std::string& document,
                           std::string_view operation) {
  viewerCommand.push_back(document);
  const std::lock_guard guard(lock_);
  forgetEnded();
  detail::SpawnOptions options;
  options.ownProcessGroup = true;
  options.inputFromNull = true;
  viewers_.push_back(Viewer{document, detail::ChildProcess::Start(viewerCommand, options, operation)});
}

int DocumentViewers::close(const std::function<bool(const std::string&)>& matches,
                           std::chrono::milliseconds grace) {
  const std::lock_guard guard(lock_);
  forgetEnded();
  const auto closing = std::partition(viewers_.begin(), viewers_.end(),
                                      [&](const Viewer& viewer) { return !matches(viewer.document); });
  for (auto viewer = closing; viewer != viewers_.end(); ++viewer) viewer->process.askToEnd();
  const auto deadline = std::chrono::steady_clock::now() + grace;
  for (auto viewer = closing; viewer != viewers_.end(); ++viewer) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
    viewer->process.endsWithin(std::max(left, std::chrono::milliseconds(0)));
  }
  for (auto viewer = closing; viewer != viewers_.end(); ++viewer) viewer->process.forceEnd();
  const int closed = static_cast<int>(viewers_.end() - closing);
  viewers_.erase(closing, viewers_.end());
  return closed;
}

void DocumentViewers::forgetEnded() {
  std::erase_if(viewers_, [](Viewer& viewer) { return viewer.process.reapIfEnded(); });
}

}  // namespace tarvo::backend
