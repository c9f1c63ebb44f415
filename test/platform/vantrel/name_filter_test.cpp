#include "vantrel/name_filter.h"

#include <gtest/gtest.h>

#include <string>

namespace tarvo::backend::detail {
namespace {

TEST(NameFilterTest, MatchesShellPatternsOnCharacters) {
  struct Case {
    std::u16string filter, name;
    bool matches;
  };
  const Case cases[] = {
      {u"", u"anything", true},
      {u" ; ;", u"anything", true},
      {u"*", u".hidden", true},
      {u"*.txt", u"a.txt", true},
      {u"*.txt", u"a.TXT", false},
      {u"*.txt", u"a.txt.bak", false},
      {u"a*b*c", u"aXbYbZc", true},
      {u"a*b*c", u"aXbYbZ", false},
      {u"*a*a*a*a*b", u"aaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaaa", false},
      {u"?.csv", u"\u00e9.csv", true},
      {u"?.csv", u"\U0001F600.csv", true},  // one character, two UTF-16 units
      {u"??.csv", u"\U0001F600.csv", false},
      {u"[abc].x", u"b.x", true},
      {u"[a-c].x", u"d.x", false},
      {u"[!a-c].x", u"d.x", true},
      {u"[^a-c].x", u"a.x", false},
      {u"[]].x", u"].x", true},
      {u"[!]].x", u"].x", false},
      {u"[a-].x", u"-.x", true},
      {u"[\u00e0-\u00ff].x", u"\u00e9.x", true},
      {u"[ab", u"[ab", true},  // unclosed: an ordinary '['
      {u"\\*.x", u"*.x", true},
      {u"\\*.x", u"a.x", false},
      {u"[\\]].x", u"].x", true},
      {u"*.doc; *.txt ;*.csv", u"b.txt", true},
      {u"*.doc;*.csv", u"b.txt", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(NameFilter(c.filter).matches(c.name), c.matches)
        << "filter " << std::string(c.filter.begin(), c.filter.end()) << ", name "
        << std::string(c.name.begin(), c.name.end());
  }
}

}  // namespace
}  // namespace tarvo::backend::detail
