#include "vantrel/argument_splitting.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <vector>

namespace tarvo::backend::detail {
namespace {

using Words = std::vector<std::u16string>;

TEST(ArgumentSplittingTest, SplitsLikeAPosixShellWithoutExpanding) {
  const std::pair<std::u16string, Words> cases[] = {
      {u"", {}},
      {u" \t\n ", {}},
      {u"  a  b\tc\nd ", {u"a", u"b", u"c", u"d"}},
      {u"'a b' \"c d\"", {u"a b", u"c d"}},
      {u"'' \"\" x''", {u"", u"", u"x"}},
      {u"pre'mid dle'post\"end\"", {u"premid dlepostend"}},
      {u"'it\"s' \"it's\"", {u"it\"s", u"it's"}},
      {u"'back\\slash'", {u"back\\slash"}},
      {u"\"\\\" \\\\ \\$ \\` \\x\"", {u"\" \\ $ ` \\x"}},
      {u"a\\ b \\'c\\' \\\\", {u"a b", u"'c'", u"\\"}},
      {u"line\\\ncontinued \\\n next", {u"linecontinued", u"next"}},
      {u"$HOME * ~ ; | > `x`", {u"$HOME", u"*", u"~", u";", u"|", u">", u"`x`"}},
      {u"\u00e9t\u00e9 '\u65e5\u672c'", {u"\u00e9t\u00e9", u"\u65e5\u672c"}},
  };
  for (const auto& [line, words] : cases) {
    EXPECT_EQ(SplitArguments(line, "Op"), words) << std::string(line.begin(), line.end());
  }
}

TEST(ArgumentSplittingTest, UnfinishedQuotingIsRefusedByName) {
  const std::pair<std::u16string, std::string> cases[] = {
      {u"a 'b", "Op: an unterminated single quote in the arguments"},
      {u"a \"b\\\"", "Op: an unterminated double quote in the arguments"},
      {u"a b\\", "Op: a trailing backslash in the arguments"},
  };
  for (const auto& [line, message] : cases) {
    try {
      SplitArguments(line, "Op");
      ADD_FAILURE() << "no exception";
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()), message);
    }
  }
}

}  // namespace
}  // namespace tarvo::backend::detail
