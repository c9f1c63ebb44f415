// Every forwarding slot reaches its own backend operation exactly once, with the arguments in the
// interface's order and converted, and maps the result as the interface promises.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "utility/wrapper_fixture.h"

namespace tarvo::test {
namespace {

using ::testing::ElementsAre;

struct Slot {
  const char* name;
  std::function<void(IVantrelWrapper&)> invoke;
  std::vector<Argument> expected;
};

// Distinct values per position, so a swapped pair of arguments cannot go unnoticed.
std::vector<Slot> ForwardingSlots() {
  const Text m{u"model"}, a{u"analytics"}, s{u"source.dat"}, t{u"target.dat"};
  return {
      {"Xsl2Xslx",
       [](IVantrelWrapper& w) { w.Xsl2Xslx("from.xls", "to.xlsx"); },
       {Text(u"from.xls"), Text(u"to.xlsx")}},
      {"EcryptString",
       [](IVantrelWrapper& w) { w.EcryptString("plain", "key"); },
       {Text(u"plain"), Text(u"key")}},
      {"DcryptString",
       [](IVantrelWrapper& w) { w.DcryptString("cipher", "key2"); },
       {Text(u"cipher"), Text(u"key2")}},
      {"Copy",
       [](IVantrelWrapper& w) { w.Copy("model", "analytics", true, "source.dat", "target.dat", -7); },
       {m, a, true, s, t, -7}},
      {"CopySimple",
       [](IVantrelWrapper& w) { w.CopySimple("model", "analytics", false, "source.dat", "target.dat"); },
       {m, a, false, s, t}},
      {"CopySimpleKerno",
       [](IVantrelWrapper& w) { w.CopySimpleKerno("model", "analytics", true, "source.dat", "target.dat"); },
       {m, a, true, s, t}},
      {"Delete",
       [](IVantrelWrapper& w) { w.Delete("model", "analytics", false, "target.dat"); },
       {m, a, false, t}},
      {"Rename",
       [](IVantrelWrapper& w) { w.Rename("model", "analytics", true, "source.dat", "target.dat"); },
       {m, a, true, s, t}},
      {"Open",
       [](IVantrelWrapper& w) { w.Open("model", "analytics", false, "target.dat", 3); },
       {m, a, false, t, 3}},
      {"GetFileList",
       [](IVantrelWrapper& w) { w.Destroy(w.GetFileList("folder", true, "*.dat;*.txt")); },
       {Text(u"folder"), true, Text(u"*.dat;*.txt")}},
      {"CloseExcel",
       [](IVantrelWrapper& w) { w.CloseExcel("model", "analytics", true, "book.xlsx"); },
       {m, a, true, Text(u"book.xlsx")}},
      {"CloseAnalyticsFiles",
       [](IVantrelWrapper& w) { w.CloseAnalyticsFiles("model", "analytics", false); },
       {m, a, false}},
      {"LoadText", [](IVantrelWrapper& w) { w.LoadText("notes.txt"); }, {Text(u"notes.txt")}},
      {"IsMsOleDbSqlInstalled", [](IVantrelWrapper& w) { w.IsMsOleDbSqlInstalled(); }, {}},
      {"IsBrevikInstalled", [](IVantrelWrapper& w) { w.IsBrevikInstalled(); }, {}},
      {"OpenAndWait",
       [](IVantrelWrapper& w) { w.OpenAndWait("/bin/tool", "-a 'b c'"); },
       {Text(u"/bin/tool"), Text(u"-a 'b c'")}},
      {"GetEnvUserName", [](IVantrelWrapper& w) { w.GetEnvUserName(); }, {}},
      {"GetEnvUserDomain", [](IVantrelWrapper& w) { w.GetEnvUserDomain(); }, {}},
      {"GetEnvMachineDomain", [](IVantrelWrapper& w) { w.GetEnvMachineDomain(); }, {}},
      {"GetEnvMachineName", [](IVantrelWrapper& w) { w.GetEnvMachineName(); }, {}},
      {"CaesarCipher12Net",
       [](IVantrelWrapper& w) { w.CaesarCipher12Net("Hello", false); },
       {Text(u"Hello"), false}},
      {"Interpolate",
       [](IVantrelWrapper& w) {
         double x[] = {1, 2}, y[] = {10, 20}, dY = 0, slope = 0;
         w.Interpolate(x, y, 2, 1.25, dY, slope);
       },
       {std::vector<double>{1, 2}, std::vector<double>{10, 20}, 2, 1.25}},
  };
}

TEST_F(WrapperTest, EachSlotCallsItsOwnOperationOnceWithArgumentsInOrder) {
  for (const Slot& slot : ForwardingSlots()) {
    SCOPED_TRACE(slot.name);
    backend().calls.clear();
    slot.invoke(wrapper());
    EXPECT_THAT(backend().calls, ElementsAre(Call{slot.name, slot.expected}));
  }
}

TEST_F(WrapperTest, BackendFailuresReachTheHostUnchangedAndLeaveTheWrapperBound) {
  struct Refused : std::runtime_error {
    using std::runtime_error::runtime_error;
  };
  backend().failure = std::make_exception_ptr(Refused("backend says no"));
  const auto bound = boundBackend();
  for (const Slot& slot : ForwardingSlots()) {
    SCOPED_TRACE(slot.name);
    try {
      slot.invoke(wrapper());
      ADD_FAILURE() << "no exception";
    } catch (const Refused& error) {
      EXPECT_STREQ(error.what(), "backend says no");
    }
    EXPECT_EQ(boundBackend(), bound);
  }
}

TEST_F(WrapperTest, UnboundWrapperFailsEverySlotWithNullReferenceNamingTheOperation) {
  IVantrelWrapper* unbound = IVantrelWrapper::CreateInstance();
  for (const Slot& slot : ForwardingSlots()) {
    SCOPED_TRACE(slot.name);
    try {
      slot.invoke(*unbound);
      ADD_FAILURE() << "no exception";
    } catch (const NullReferenceError& error) {
      EXPECT_EQ(error.what(), std::string(slot.name) + ": no backend object is bound; call LoadObject first");
    }
  }
  EXPECT_THROW(unbound->Test("hello"), NullReferenceError);
  EXPECT_THROW(unbound->TestSet("hello"), NullReferenceError);
  EXPECT_THROW(unbound->TestGet(), NullReferenceError);
  IVantrelWrapper::Destroy(unbound);
}

TEST_F(WrapperTest, FlagOperationsAnswerExactlyOneOrZero) {
  const std::vector<std::function<int()>> flagSlots = {
      [&] { return wrapper().Copy("m", "a", true, "s", "t", 0); },
      [&] { return wrapper().CopySimple("m", "a", true, "s", "t"); },
      [&] { return wrapper().CopySimpleKerno("m", "a", true, "s", "t"); },
      [&] { return wrapper().Delete("m", "a", true, "t"); },
      [&] { return wrapper().Rename("m", "a", true, "s", "t"); },
  };
  for (bool answer : {true, false}) {
    backend().flag = answer;
    for (const auto& call : flagSlots) EXPECT_EQ(call(), answer ? 1 : 0);
    EXPECT_EQ(wrapper().CloseExcel("m", "a", true, "b"), answer);
    EXPECT_EQ(wrapper().CloseAnalyticsFiles("m", "a", true), answer);
    EXPECT_EQ(wrapper().IsMsOleDbSqlInstalled(), answer);
    EXPECT_EQ(wrapper().IsBrevikInstalled(), answer);
  }
}

TEST_F(WrapperTest, NumbersPassUnchangedBothWays) {
  for (int value : {0, -1, -2147483647 - 1, 2147483647}) {
    backend().number = value;
    EXPECT_EQ(wrapper().OpenAndWait("p", ""), value);
    double x = 0, y = 0, dY = 0, slope = 0;
    EXPECT_EQ(wrapper().Interpolate(&x, &y, 1, 0, dY, slope), value);
    backend().calls.clear();
    wrapper().Copy("m", "a", false, "s", "t", value);
    wrapper().Open("m", "a", false, "t", value);
    EXPECT_EQ(std::get<int>(backend().calls[0].arguments[5]), value);
    EXPECT_EQ(std::get<int>(backend().calls[1].arguments[4]), value);
  }
}

TEST_F(WrapperTest, TextResultsAreConvertedAndAbsentTextFails) {
  const std::vector<std::function<std::string()>> textSlots = {
      [&] { return wrapper().Open("m", "a", true, "t", 1); },
      [&] { return wrapper().LoadText("p"); },
      [&] { return wrapper().EcryptString("p", "k"); },
      [&] { return wrapper().DcryptString("c", "k"); },
      [&] { return wrapper().GetEnvUserName(); },
      [&] { return wrapper().GetEnvUserDomain(); },
      [&] { return wrapper().GetEnvMachineDomain(); },
      [&] { return wrapper().GetEnvMachineName(); },
      [&] { return wrapper().CaesarCipher12Net("x", true); },
  };
  const char* names[] = {"Open",
                         "LoadText",
                         "EcryptString",
                         "DcryptString",
                         "GetEnvUserName",
                         "GetEnvUserDomain",
                         "GetEnvMachineDomain",
                         "GetEnvMachineName",
                         "CaesarCipher12Net"};
  for (std::size_t i = 0; i < textSlots.size(); ++i) {
    const auto& call = textSlots[i];
    backend().text = Text(u"plain answer");
    EXPECT_EQ(call(), "plain answer");
    backend().text = Text(u"");
    EXPECT_EQ(call(), "");
    backend().text = Text(std::u16string(u"ab\0cd", 5));
    EXPECT_EQ(call(), "ab");
    backend().text = Text::null();
    try {
      call();
      ADD_FAILURE() << names[i] << ": no exception";
    } catch (const NullReferenceError& error) {
      EXPECT_EQ(error.what(), std::string(names[i]) + ": the backend answered with absent (null) text");
    }
  }
}

}  // namespace
}  // namespace tarvo::test
