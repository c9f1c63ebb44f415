// Real temporary folders and a wrapper bound to a real Vantrel object, for end-to-end tests of the
// file and document operations.
#ifndef TARVO_TEST_PLATFORM_VANTREL_FILES_FIXTURE_H
#define TARVO_TEST_PLATFORM_VANTREL_FILES_FIXTURE_H

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <sstream>
#include <string>

#include "IVantrelWrapper.h"

namespace tarvo::test {

// A folder of its own, removed with its contents at the end of the test.
class TempFolder {
 public:
  TempFolder() {
    const char* tmp = std::getenv("TMPDIR");
    std::string name = std::string(tmp != nullptr && *tmp != '\0' ? tmp : "/tmp") + "/vantrel-test-XXXXXX";
    if (::mkdtemp(name.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = name;
  }
  ~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::string& path() const { return path_; }
  std::string operator/(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

inline void WriteFile(const std::string& path, const std::string& content, mode_t mode = 0644) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << content;
  ::chmod(path.c_str(), mode);
}

inline std::optional<std::string> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Every entry below `folder` with what it holds (a file's content, "<folder>", "-> target" for a
// link), so that a test can show that an operation left a tree exactly as it was.
inline std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> entries;
  for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
    const std::string name = std::filesystem::relative(entry.path(), folder).string();
    if (entry.is_symlink()) {
      entries[name] = "-> " + std::filesystem::read_symlink(entry.path()).string();
    } else if (entry.is_directory()) {
      entries[name] = "<folder>";
    } else {
      entries[name] = ReadFile(entry.path().string()).value_or("<unreadable>");
    }
  }
  return entries;
}

inline mode_t PermissionBits(const std::string& path) {
  struct stat status {};
  ::stat(path.c_str(), &status);
  return status.st_mode & 07777;
}

// True when this process has no child at all, running or waiting to be reaped.
inline bool NoChildProcessLeft() {
  return ::waitpid(-1, nullptr, WNOHANG) == -1 && errno == ECHILD;
}

class VantrelFilesTest : public ::testing::Test {
 protected:
  void SetUp() override { wrapper_->LoadObject(); }
  void TearDown() override { IVantrelWrapper::Destroy(wrapper_); }

  IVantrelWrapper& vantrel() { return *wrapper_; }

  // The list that GetFileList answers, as values; the list itself is released.
  std::vector<std::string> List(const std::string& folder, bool isAbsolute, const std::string& filter) {
    std::vector<std::string*>* list = wrapper_->GetFileList(folder, isAbsolute, filter);
    std::vector<std::string> names;
    for (const std::string* name : *list) names.push_back(*name);
    wrapper_->Destroy(list);
    return names;
  }

  TempFolder model;

 private:
  IVantrelWrapper* wrapper_ = IVantrelWrapper::CreateInstance();
};

}  // namespace tarvo::test

#endif  // TARVO_TEST_PLATFORM_VANTREL_FILES_FIXTURE_H
