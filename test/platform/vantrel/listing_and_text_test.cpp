// GetFileList and LoadText on real folders, through the wrapper.
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "interop/narrow_codec.h"
#include "platform/vantrel/files_fixture.h"

namespace tarvo::test {
namespace {

using Names = std::vector<std::string>;

class GetFileListTest : public VantrelFilesTest {
 protected:
  void SetUp() override {
    VantrelFilesTest::SetUp();
    for (const char* name : {"b.txt", "a.TXT", "c.csv", "B.txt", ".hidden.txt", "notes", "[x].txt"}) {
      WriteFile(model / name, name);
    }
    std::filesystem::create_directory(model / "folder.txt");
    std::filesystem::create_symlink("c.csv", model / "link.txt");
    std::filesystem::create_symlink("nowhere", model / "dangling.txt");
  }
};

TEST_F(GetFileListTest, ListsRegularFilesInCodePointOrder) {
  EXPECT_EQ(List(model.path(), false, ""),
            (Names{".hidden.txt", "B.txt", "[x].txt", "a.TXT", "b.txt", "c.csv", "link.txt", "notes"}));
}

TEST_F(GetFileListTest, FiltersWithShellPatternsSeparatedBySemicolons) {
  EXPECT_EQ(List(model.path(), false, "*.txt"),
            (Names{".hidden.txt", "B.txt", "[x].txt", "b.txt", "link.txt"}));
  EXPECT_EQ(List(model.path(), false, " *.csv ; ?.TXT;"), (Names{"a.TXT", "c.csv"}));
  EXPECT_EQ(List(model.path(), false, "[!.bB]*"), (Names{"[x].txt", "a.TXT", "c.csv", "link.txt", "notes"}));
  EXPECT_EQ(List(model.path(), false, "\\[x\\]*"), (Names{"[x].txt"}));
  EXPECT_EQ(List(model.path(), false, ";;"), List(model.path(), false, ""));
  EXPECT_EQ(List(model.path(), false, "*.pdf"), Names{});
}

TEST_F(GetFileListTest, GivesFullCanonicalPathsWhenAbsolute) {
  const std::string canonical = std::filesystem::canonical(model.path()).string();
  EXPECT_EQ(List(model.path() + "/./", true, "*.csv"), (Names{canonical + "/c.csv"}));
}

TEST_F(GetFileListTest, AFolderThatCannotBeListedGivesAnEmptyList) {
  EXPECT_EQ(List(model / "missing", false, ""), Names{});
  EXPECT_EQ(List(model / "notes", true, ""), Names{});
}

using LoadTextTest = VantrelFilesTest;

TEST_F(LoadTextTest, ReadsUtf8AndHonoursByteOrderMarks) {
  if (interop::NarrowCodec::process().kind() != interop::NarrowCodec::Kind::Utf8) GTEST_SKIP() << "not UTF-8";
  const std::string text =
      "Gr\xC3\xBC\xC3\x9F"
      "e\nline 2\n";  // "Grüße"
  const std::pair<const char*, std::string> files[] = {
      {"plain", text},
      {"utf-8 mark", "\xEF\xBB\xBF" + text},
      {"utf-16le mark", std::string("\xFF\xFEG\0r\0\xFC\0\xDF\0"
                                    "e\0\n\0l\0i\0n\0e\0 \0"
                                    "2\0\n\0",
                                    28)},
      {"utf-16be mark", std::string("\xFE\xFF\0G\0r\0\xFC\0\xDF\0"
                                    "e\0\n\0l\0i\0n\0e\0 \0"
                                    "2\0\n",
                                    28)},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    WriteFile(model / "file", bytes);
    EXPECT_EQ(vantrel().LoadText(model / "file"), text);
  }
  WriteFile(model / "file", "bad \xFF byte, odd tail");
  EXPECT_EQ(vantrel().LoadText(model / "file"), "bad \xEF\xBF\xBD byte, odd tail");
  WriteFile(model / "file", std::string("\xFF\xFEo\0k\0!", 7));
  EXPECT_EQ(vantrel().LoadText(model / "file"), "ok\xEF\xBF\xBD");
  WriteFile(model / "file", "");
  EXPECT_EQ(vantrel().LoadText(model / "file"), "");
}

TEST_F(LoadTextTest, AFileThatCannotBeReadRaisesTheSystemsReasonWithThePath) {
  const std::pair<std::string, std::string> cases[] = {
      {model / "missing.txt", "No such file or directory"},
      {model.path(), "Is a directory"},
  };
  for (const auto& [path, reason] : cases) {
    try {
      vantrel().LoadText(path);
      ADD_FAILURE() << "no exception for " << path;
    } catch (const std::system_error& error) {
      EXPECT_EQ(std::string(error.what()), "Vantrel::LoadText: cannot read '" + path + "': " + reason);
    }
  }
}

}  // namespace
}  // namespace tarvo::test
