// A fresh folder for one test's files, removed with everything in it when the test ends.
#ifndef TARVO_TEST_SCRATCH_FOLDER_H
#define TARVO_TEST_SCRATCH_FOLDER_H

#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvo::test {

class ScratchFolder {
 public:
  ScratchFolder() {
    std::string pattern = (std::filesystem::path(::testing::TempDir()) / "vantrel-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot make a scratch folder");
    path_ = pattern;
  }
  ~ScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
  }
  ScratchFolder(const ScratchFolder&) = delete;
  ScratchFolder& operator=(const ScratchFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }

  // Writes `content` to the file at `relative`, making the folders on the way.
  std::filesystem::path write(const std::filesystem::path& relative, std::string_view content) const {
    const std::filesystem::path file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file) << content;
    return file;
  }

  std::filesystem::path folder(const std::filesystem::path& relative) const {
    std::filesystem::create_directories(path_ / relative);
    return path_ / relative;
  }

 private:
  std::filesystem::path path_;
};

}  // namespace tarvo::test

#endif  // TARVO_TEST_SCRATCH_FOLDER_H
