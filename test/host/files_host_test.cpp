// A host written on its own, in C++17, against the public headers and the shared library: it
// copies, renames, deletes, lists, reads and runs programs through slots 8 to 14, 17 and 20.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "IVantrelWrapper.h"

namespace {

class FilesHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char name[] = "/tmp/vantrel-host-XXXXXX";
    ASSERT_NE(::mkdtemp(name), nullptr);
    model = std::filesystem::canonical(name).string();
    wrapper->LoadObject();
  }
  void TearDown() override {
    IVantrelWrapper::Destroy(wrapper);
    std::filesystem::remove_all(model);
  }

  void Write(const std::string& name, const std::string& content) {
    std::ofstream(model + "/" + name, std::ios::binary) << content;
  }
  std::string Read(const std::string& name) {
    std::ifstream in(model + "/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  bool Exists(const std::string& name) { return std::filesystem::exists(model + "/" + name); }

  std::vector<std::string> List(const std::string& filter) {
    std::vector<std::string*>* list = wrapper->GetFileList(model, false, filter);
    std::vector<std::string> names;
    for (const std::string* name : *list) names.push_back(*name);
    wrapper->Destroy(list);
    return names;
  }

  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
  std::string model;
};

TEST_F(FilesHostTest, CopiesRenamesDeletesListsAndReads) {
  Write("case.dat", "case data");
  EXPECT_EQ(wrapper->Copy(model, "", false, "case.dat", "copy.dat", 0), 1);
  EXPECT_EQ(wrapper->Copy(model, "", false, "case.dat", "copy.dat", 1), 0);
  EXPECT_EQ(wrapper->CopySimple(model, "", false, "case.dat", "simple.dat"), 1);
  EXPECT_EQ(wrapper->CopySimpleKerno(model, "", false, "case.dat", "kerno.dat"), 1);
  EXPECT_EQ(wrapper->Rename(model, "", false, "kerno.dat", "renamed.txt"), 1);
  EXPECT_EQ(wrapper->Delete(model, "", false, "simple.dat"), 1);
  EXPECT_EQ(wrapper->Delete(model, "", false, "simple.dat"), 0);
  EXPECT_EQ(wrapper->CopySimple(model, "", false, "../escape.dat", "x.dat"), 0);

  EXPECT_EQ(List(""), (std::vector<std::string>{"case.dat", "copy.dat", "renamed.txt"}));
  EXPECT_EQ(List("*.txt"), (std::vector<std::string>{"renamed.txt"}));
  EXPECT_EQ(List("none").size(), 0u);
  EXPECT_EQ(wrapper->LoadText(model + "/renamed.txt"), "case data");
  EXPECT_EQ(Read("copy.dat"), "case data");
  EXPECT_FALSE(Exists("kerno.dat"));
  EXPECT_EQ(wrapper->Open("", model, false, "copy.dat", 1), model + "/copy.dat");
}

TEST_F(FilesHostTest, RunsProgramsWithQuotedArguments) {
  EXPECT_EQ(wrapper->OpenAndWait("/bin/true", ""), 0);
  EXPECT_EQ(wrapper->OpenAndWait("test", "'a b' = \"a b\""), 0);
  EXPECT_EQ(wrapper->OpenAndWait("test", "'a b' = a"), 1);
  EXPECT_EQ(wrapper->OpenAndWait("sh", "-c 'kill -KILL $$'"), -9);
}

TEST_F(FilesHostTest, ErrorsAreCatchableByTypeAcrossTheLibraryBoundary) {
  EXPECT_THROW(wrapper->Copy(model, "", false, "a", "b", 7), std::invalid_argument);
  EXPECT_THROW(wrapper->Open("", model, false, "a", 7), std::invalid_argument);
  EXPECT_THROW(wrapper->LoadText(model + "/missing.txt"), std::system_error);
  EXPECT_THROW(wrapper->OpenAndWait(model + "/missing-program", ""), std::system_error);
  EXPECT_THROW(wrapper->Xsl2Xslx(model + "/missing.xls", model + "/out.xlsx"), std::system_error);
}

}  // namespace
