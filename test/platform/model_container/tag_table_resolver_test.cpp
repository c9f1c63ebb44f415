// The tag-table resolver: the tag file's format, its errors, and answers to look-ups.
#include <gtest/gtest.h>

#include <gmock/gmock.h>

#include <unistd.h>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include "BridgeErrors.h"
#include "model_container/tag_table_resolver.h"

namespace tarvo::test {
namespace {

using backend::TagTableResolver;
using runtime::Text;
using ::testing::HasSubstr;

std::u16string Resolve(TagTableResolver& resolver, std::u16string_view name) {
  return std::u16string(resolver.GetMatrixExtendedTag(Text(name)).units());
}

TEST(TagTableResolver, ReadsEntriesAndSkipsCommentsAndBlankLines) {
  const auto resolver = TagTableResolver::Parse(
      "\xEF\xBB\xBF"  // a byte order mark, as some editors write
      "# matrix rows of the crude model\n"
      "BALCRD01\tBalance.Crude.Period 1\r\n"
      "\n"
      "   \t  \n"
      "  # an indented comment\n"
      "X\xC3\x9C"
      "B\tGr\xC3\xB6\xC3\x9F"
      "e \xE2\x82\xAC\n"
      "balcrd01\tlower case is another name\n"
      "BALCRD01\tBalance.Crude.Period 1 (revised)",  // no final newline; overrides line 2
      "crude.tags");
  EXPECT_EQ(resolver->size(), 3u);
  EXPECT_EQ(Resolve(*resolver, u"BALCRD01"), u"Balance.Crude.Period 1 (revised)");
  EXPECT_EQ(Resolve(*resolver, u"balcrd01"), u"lower case is another name");
  EXPECT_EQ(Resolve(*resolver, u"X\u00DCB"), u"Gr\u00F6\u00DFe \u20AC");
}

TEST(TagTableResolver, AMalformedLineIsReportedWithItsFileAndNumber) {
  const struct {
    const char* line;
    const char* problem;
  } cases[] = {
      {"BALCRD01 Balance", "expected name<TAB>tag, found no tab"},
      {"A\tB\tC", "expected name<TAB>tag, found more than one tab"},
      {"\tBalance", "the name is empty"},
      {"BALCRD01\t", "the tag is empty"},
      {"BALCRD01 \tBalance", "the name begins or ends with white space"},
      {"BALCRD01\t Balance", "the tag begins or ends with white space"},
      {"\xEF\xBB\xBF"
       "BALCRD01\tBalance",
       "the name begins or ends with U+FEFF (a byte order mark)"},
      {"BALCRD01\tBalance\xEF\xBB\xBF", "the tag begins or ends with U+FEFF (a byte order mark)"},
      {"BAL\xC3(\tBalance", "the name is not valid UTF-8 or holds a NUL byte"},
      {"BALCRD01\tBal\xED\xA0\x80", "the tag is not valid UTF-8 or holds a NUL byte"},  // a surrogate
  };
  for (const auto& [line, problem] : cases) {
    SCOPED_TRACE(line);
    try {
      TagTableResolver::Parse(std::string("# header\nOK\tfine\n") + line + "\n", "crude.tags");
      ADD_FAILURE() << "accepted";
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(error.what(), std::string("TagTableResolver::Parse: crude.tags, line 3: ") + problem);
    }
  }
  EXPECT_THROW(TagTableResolver::Parse(std::string("A\tB\0C\n", 6), "nul.tags"), std::invalid_argument);
}

TEST(TagTableResolver, UnknownAndAbsentNamesRaiseClearErrors) {
  const auto resolver = TagTableResolver::Parse("BALCRD01\tBalance\n", "crude.tags");
  try {
    resolver->GetMatrixExtendedTag(Text(u"BALCRD02"));
    ADD_FAILURE() << "unknown name answered";
  } catch (const std::out_of_range& error) {
    EXPECT_STREQ(error.what(),
                 "TagTableResolver::GetMatrixExtendedTag: \"BALCRD02\" has no extended tag in crude.tags");
  }
  EXPECT_THROW(resolver->GetMatrixExtendedTag(Text(u"")), std::out_of_range);
  EXPECT_THROW(resolver->GetMatrixExtendedTag(Text::null()), NullReferenceError);
}

class TagFileTest : public ::testing::Test {
 protected:
  void SetUp() override { std::filesystem::create_directories(folder_); }
  void TearDown() override { std::filesystem::remove_all(folder_); }

  std::filesystem::path Write(const char* name, const std::string& content) {
    const std::filesystem::path path = folder_ / name;
    std::ofstream(path, std::ios::binary) << content;
    return path;
  }

  const std::filesystem::path folder_ =
      std::filesystem::temp_directory_path() / ("tag_table_test." + std::to_string(::getpid()));
};

TEST_F(TagFileTest, LoadsAFileAndNamesItInErrors) {
  const auto resolver = TagTableResolver::Load(Write("model.tags", "R1\tRow one\nC1\tColumn one\n"));
  EXPECT_EQ(Resolve(*resolver, u"C1"), u"Column one");

  const std::filesystem::path broken = Write("broken.tags", "R1\tRow one\nR2 Row two\n");
  try {
    TagTableResolver::Load(broken);
    ADD_FAILURE() << "malformed file accepted";
  } catch (const std::invalid_argument& error) {
    EXPECT_THAT(error.what(), HasSubstr("TagTableResolver::Load: " + broken.string() + ", line 2: "));
  }
}

TEST_F(TagFileTest, AFileThatCannotBeReadRaisesASystemError) {
  const std::filesystem::path missing = folder_ / "missing.tags";
  try {
    TagTableResolver::Load(missing);
    ADD_FAILURE() << "missing file accepted";
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code(), std::errc::no_such_file_or_directory);
    EXPECT_THAT(error.what(), HasSubstr("TagTableResolver::Load: " + missing.string()));
  }
  try {
    TagTableResolver::Load(folder_);
    ADD_FAILURE() << "folder accepted";
  } catch (const std::system_error& error) {
    EXPECT_EQ(error.code(), std::errc::is_a_directory);
  }
}

}  // namespace
}  // namespace tarvo::test
