// The allocation-failure loop once more with a real Vantrel object working on a real folder: a call
// that fails for want of memory must leave the folder as it was (no half-written copy, no temporary
// file, no file renamed or deleted), no file descriptor open and no child process behind.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/wait.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "platform/vantrel/scratch_folder.h"
#include "reliability/failure_points.h"
#include "reliability/host_calls.h"

namespace tarvo::test {
namespace {

std::size_t OpenDescriptors() {
  std::size_t count = 0;
  for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

// Whether some child process of this one, running or ended, has not been waited for.
bool ChildrenLeft() {
  siginfo_t info{};
  return ::waitid(P_ALL, 0, &info, WEXITED | WNOHANG | WNOWAIT) == 0;
}

class RealBackendScene : public Scene {
 public:
  explicit RealBackendScene(const FolderCall& call) : call_(call) {
    folder_.write("source.dat", "Grüße, the source\n");
    folder_.write("other.txt", "the other file\n");
    folder_.write("odbcinst.ini", "[ODBC]\nTrace=No\n\n[ODBC Driver 18 for SQL Server]\nDriver=/x.so\n");
    wrapper_->LoadObject();
  }
  ~RealBackendScene() override { IVantrelWrapper::Destroy(wrapper_); }

  std::string Run() override { return call_.run(*wrapper_, folder_.path().string()); }

 protected:
  // The folder's name differs from scene to scene.
  std::string Tidy(std::string outcome) override {
    for (std::size_t at; (at = outcome.find(folder_.path().string())) != std::string::npos;) {
      outcome.replace(at, folder_.path().string().size(), "<folder>");
    }
    return outcome;
  }

 public:
  std::string State() override {
    std::vector<std::string> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder_.path())) {
      files.push_back(entry.path().filename().string() + " (" + std::to_string(entry.file_size()) + ")");
    }
    std::sort(files.begin(), files.end());
    std::string state = "files:";
    for (const std::string& file : files) state += " " + file;
    return state + "; descriptors " + std::to_string(OpenDescriptors()) +
           (ChildrenLeft() ? "; a child process left behind" : "");
  }

 private:
  const FolderCall& call_;
  ScratchFolder folder_;
  IVantrelWrapper* wrapper_ = IVantrelWrapper::CreateInstance();
};

TEST(AllocationFailure, RealBackendOnARealFolder) {
  std::size_t points = 0;
  const std::vector<FolderCall> calls = RealBackendCalls();
  for (const FolderCall& call : calls) {
    CoverFailurePoints(
        call.name, [&] { return std::make_unique<RealBackendScene>(call); }, points);
    if (HasFailure()) return;
  }
  ReportFailurePoints("operations of a real backend", points);
}

}  // namespace
}  // namespace tarvo::test
