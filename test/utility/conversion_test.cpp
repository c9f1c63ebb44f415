// Byte strings reach the backend cut at their first NUL and decoded in the process's narrow
// encoding; backend text comes back encoded the same way. Runs under a UTF-8 and a single-byte locale.
#include <gtest/gtest.h>

#include <cstdlib>

#include "utility/wrapper_fixture.h"

namespace tarvo::test {
namespace {

// When a test run sets the locale, the process codec follows it.
TEST(ProcessEncoding, FollowsTheLocaleOfTheRun) {
  const char* expected = std::getenv("EXPECTED_CODESET");
  if (expected == nullptr) GTEST_SKIP() << "no locale set for this run";
  EXPECT_EQ(interop::NarrowCodec::process().codeset(), expected);
}

const Text& FirstArgument(RecordingVantrel& backend) {
  return std::get<Text>(backend.calls.back().arguments[0]);
}

TEST_F(WrapperTest, ArgumentsAreCutAtTheirFirstNul) {
  wrapper().LoadText(std::string("ab\0de", 5));
  EXPECT_EQ(FirstArgument(backend()), Text(u"ab"));
  wrapper().TestSet(std::string("\0hidden", 7));
  EXPECT_EQ(backend().TestString, Text(u""));
}

TEST_F(WrapperTest, EmptyArgumentsArriveAsEmptyNeverAbsentText) {
  wrapper().Destroy(wrapper().GetFileList("", false, ""));
  for (const Argument& argument : backend().calls.back().arguments) {
    if (const Text* text = std::get_if<Text>(&argument)) {
      EXPECT_EQ(*text, Text(u""));
    }
  }
  wrapper().CaesarCipher12Net("", true);
  EXPECT_EQ(FirstArgument(backend()), Text(u""));
}

TEST_F(WrapperTest, NonAsciiTextRoundTripsInTheProcessEncoding) {
  const std::string eAcute = NarrowEAcute();
  if (eAcute.empty()) GTEST_SKIP() << "locale codeset has no e-acute";
  const std::string word = "caf" + eAcute + " " + eAcute + "t" + eAcute;
  wrapper().LoadText(word);
  EXPECT_EQ(FirstArgument(backend()), Text(u"café été"));
  backend().text = Text(u"café été");
  EXPECT_EQ(wrapper().LoadText("x"), word);
  wrapper().TestSet(word);
  EXPECT_EQ(wrapper().TestGet(), word);
}

TEST_F(WrapperTest, UnrepresentableCharactersAndLoneSurrogatesComeBackAsQuestionMarks) {
  backend().text = Text(std::u16string(u"a\xD800z"));
  EXPECT_EQ(wrapper().LoadText("x"), "a?z");
  if (!ProcessIsUtf8()) {
    backend().text = Text(u"price: 5\u20AC \u6F22");  // euro sign and a CJK character
    const std::string answer = wrapper().LoadText("x");
    EXPECT_EQ(answer.substr(answer.size() - 1), "?");
  }
}

TEST_F(WrapperTest, InvalidUtf8BecomesReplacementCharacters) {
  if (!ProcessIsUtf8()) GTEST_SKIP() << "only for a UTF-8 locale";
  wrapper().LoadText("a\xC3(b\xE2\x82z\xFF");
  EXPECT_EQ(FirstArgument(backend()), Text(u"a\uFFFD(b\uFFFDz\uFFFD"));
}

}  // namespace
}  // namespace tarvo::test
