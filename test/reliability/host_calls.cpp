#include "reliability/host_calls.h"

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string_view>
#include <type_traits>
#include <utility>

#include <cxxabi.h>

#include "interop/narrow_codec.h"
#include "reliability/allocation_counter.h"
#include "runtime/cast.h"
#include "runtime/gc_handle.h"
#include "unified_tags/test_resolvers.h"
#include "utility/vantrel_wrapper.h"

namespace tarvo::test {

namespace {

using runtime::Text;

std::string Narrow(std::u16string_view text) {
  return interop::NarrowCodec::process().encode(text);
}

// Text of `length` units cycling through ASCII, Latin, Greek, CJK and a surrogate pair.
std::u16string LongText(std::u16string_view prefix, std::size_t length) {
  static constexpr std::u16string_view kPattern = u"path/Grüße_Ωμέγα_日本語/\U0001D11E-file.dat;";
  std::u16string text(prefix);
  while (text.size() < length) text += kPattern;
  return text;
}

struct InterpolationResult {
  int result;
  double dY;
  double dYbydX;
};

std::string Describe(const std::string& bytes) {
  std::string text = "\"";
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F && byte != '"' && byte != '\\') {
      text += c;
    } else {
      char escaped[5];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      text += escaped;
    }
  }
  return text + "\"";
}
std::string Describe(bool flag) {
  return flag ? "true" : "false";
}
std::string Describe(int number) {
  return "int " + std::to_string(number);
}
std::string Describe(const InterpolationResult& answer) {
  return "int " + std::to_string(answer.result) + ", dY " + std::to_string(answer.dY) + ", dYbydX " +
         std::to_string(answer.dYbydX);
}
// A list is released as a host releases it, through Destroy(list) of any wrapper.
std::string Describe(std::vector<std::string*>* list) {
  std::string text = "list [";
  for (const std::string* element : *list) text += (element ? Describe(*element) : "null") + ", ";
  VantrelWrapper().Destroy(list);
  return text + "]";
}
std::string Describe(IVantrelWrapper* wrapper) {
  IVantrelWrapper::Destroy(wrapper);
  return "a utility wrapper";
}
std::string Describe(IUnifiedTagsManagerWrapper* wrapper) {
  IUnifiedTagsManagerWrapper::Destroy(wrapper);
  return "a unified-tags wrapper";
}

// Takes `arguments` by value, so the host's copies exist before the window opens; the operation
// moves them on, which never allocates. The result is described once the window has closed.
template <class Operation, class... Arguments>
std::string Armed(Operation operation, Arguments... arguments) {
  allocation::FailureWindow window;
  if constexpr (std::is_void_v<std::invoke_result_t<Operation&, Arguments&&...>>) {
    operation(std::move(arguments)...);
    window.close();
    return "returned";
  } else {
    auto result = operation(std::move(arguments)...);
    window.close();
    return Describe(result);
  }
}

std::string Probe(IUnifiedTagsManagerWrapper& wrapper) {
  try {
    return Describe(wrapper.GetExtendedTag("probe"));
  } catch (...) {
    return DescribeCurrentException();
  }
}

// A handle the host made; whatever LoadObject did not take over is freed again. LoadObject must
// take it exactly when it returns normally.
class HostHandle {
 public:
  explicit HostHandle(std::shared_ptr<runtime::Object> target) : value_(NewHandle(std::move(target))) {}
  ~HostHandle() {
    if (IsLive(value_)) runtime::GCHandle::FromIntPtr(value_).Free();
  }
  HostHandle(const HostHandle&) = delete;
  HostHandle& operator=(const HostHandle&) = delete;

  std::string Load(IUnifiedTagsManagerWrapper& wrapper) const {
    try {
      const std::string outcome = Armed([&wrapper](void* handle) { wrapper.LoadObject(handle); }, value_);
      if (IsLive(value_)) return "returned but left the handle to the host";
      return outcome + ", then " + Probe(wrapper);
    } catch (...) {
      if (!IsLive(value_)) throw std::logic_error("LoadObject raised but took the handle over");
      throw;
    }
  }

 private:
  void* value_;
};

}  // namespace

const char* NameOf(TextKind kind) {
  switch (kind) {
    case TextKind::Empty:
      return "empty";
    case TextKind::HoldingNul:
      return "holding NUL";
    case TextKind::NonAscii:
      return "non-ASCII";
    case TextKind::Long:
      return "long";
    case TextKind::Absent:
      return "absent";
  }
  return "?";
}

std::vector<std::string> HostArguments(TextKind kind) {
  using namespace std::string_literals;
  switch (kind) {
    case TextKind::Empty:
      return {"", "", "", ""};
    case TextKind::HoldingNul:
      return {"mo\0del"s, "\0"s, "a\0b\0c"s, "tail\0"s};
    case TextKind::Long:
      return {Narrow(LongText(u"m", 3000)), Narrow(LongText(u"a", 2000)), Narrow(LongText(u"s", 1000)),
              Narrow(LongText(u"t", 500))};
    case TextKind::NonAscii:
    case TextKind::Absent:
      break;
  }
  return {Narrow(u"Grüße Ωμέγα"), Narrow(u"日本語 ✓"), Narrow(u"Ответ €"), Narrow(u"naïve café")};
}

Text BackendAnswer(TextKind kind) {
  switch (kind) {
    case TextKind::Empty:
      return Text(u"");
    case TextKind::HoldingNul:
      return Text(std::u16string(u"an\0swer", 7));
    case TextKind::NonAscii:
      return Text(u"Ответ Grüße 日本 €");
    case TextKind::Long:
      return Text(LongText(u"answer:", 5000));
    case TextKind::Absent:
      break;
  }
  return Text::null();
}

runtime::Array<Text> BackendList(TextKind kind) {
  auto list = std::make_shared<std::vector<Text>>();
  switch (kind) {
    case TextKind::Empty:
      break;
    case TextKind::HoldingNul:
      *list = {Text(std::u16string(u"a\0b", 3)), Text(std::u16string(u"\0", 1)), Text(u"c")};
      break;
    case TextKind::NonAscii:
      *list = {Text(u"Grüße.txt"), Text(u"日本.dat"), Text(u"Ωmega")};
      break;
    case TextKind::Long:
      for (int i = 0; i < 40; ++i)
        list->push_back(Text(LongText(u"entry" + std::u16string(i % 10, u'#'), 200)));
      break;
    case TextKind::Absent:
      *list = {Text(u"first"), Text::null(), Text(u"third")};
      break;
  }
  return list;
}

std::vector<UtilityCall> UtilityCalls(TextKind kind) {
  const std::vector<std::string> a = HostArguments(kind);
  const std::size_t points = kind == TextKind::Long ? 1000 : static_cast<std::size_t>(kind);
  using S = std::string;
  return {
      {"LoadObject",
       [](IVantrelWrapper& w) {
         return Armed([&w] { w.LoadObject(); }) + ", then TestGet " + Describe(w.TestGet());
       }},
      {"Destroy(list)",
       [a](IVantrelWrapper& w) {
         auto* list = new std::vector<std::string*>{new S(a[0]), nullptr, new S(a[1])};
         return Armed([&w](std::vector<S*>* l) { w.Destroy(l); }, list);
       }},
      {"Test", [a](IVantrelWrapper& w) { return Armed([&w](S m) { return w.Test(std::move(m)); }, a[0]); }},
      {"TestSet",
       [a](IVantrelWrapper& w) {
         return Armed([&w](S m) { w.TestSet(std::move(m)); }, a[0]) + ", then TestGet " +
                Describe(w.TestGet());
       }},
      {"TestGet", [](IVantrelWrapper& w) { return Armed([&w] { return w.TestGet(); }); }},
      {"Xsl2Xslx",
       [a](IVantrelWrapper& w) {
         return Armed([&w](S f, S t) { w.Xsl2Xslx(std::move(f), std::move(t)); }, a[0], a[1]);
       }},
      {"EcryptString",
       [a](IVantrelWrapper& w) {
         return Armed([&w](S p, S k) { return w.EcryptString(std::move(p), std::move(k)); }, a[0], a[1]);
       }},
      {"DcryptString",
       [a](IVantrelWrapper& w) {
         return Armed([&w](S e, S k) { return w.DcryptString(std::move(e), std::move(k)); }, a[0], a[1]);
       }},
      {"Copy",
       [a](IVantrelWrapper& w) {
         return Armed(
             [&w](S m, S an, S s, S t) {
               return w.Copy(std::move(m), std::move(an), true, std::move(s), std::move(t), 1);
             },
             a[0], a[1], a[2], a[3]);
       }},
      {"CopySimple",
       [a](IVantrelWrapper& w) {
         return Armed(
             [&w](S m, S an, S s, S t) {
               return w.CopySimple(std::move(m), std::move(an), false, std::move(s), std::move(t));
             },
             a[0], a[1], a[2], a[3]);
       }},
      {"CopySimpleKerno",
       [a](IVantrelWrapper& w) {
         return Armed(
             [&w](S m, S an, S s, S t) {
               return w.CopySimpleKerno(std::move(m), std::move(an), true, std::move(s), std::move(t));
             },
             a[0], a[1], a[2], a[3]);
       }},
      {"Delete",
       [a](IVantrelWrapper& w) {
         return Armed(
             [&w](S m, S an, S t) { return w.Delete(std::move(m), std::move(an), false, std::move(t)); },
             a[0], a[1], a[3]);
       }},
      {"Rename",
       [a](IVantrelWrapper& w) {
         return Armed(
             [&w](S m, S an, S s, S t) {
               return w.Rename(std::move(m), std::move(an), true, std::move(s), std::move(t));
             },
             a[0], a[1], a[2], a[3]);
       }},
      {"Open",
       [a](IVantrelWrapper& w) {
         return Armed(
             [&w](S m, S an, S t) { return w.Open(std::move(m), std::move(an), false, std::move(t), 1); },
             a[0], a[1], a[3]);
       }},
      {"GetFileList",
       [a](IVantrelWrapper& w) {
         return Armed([&w](S p, S f) { return w.GetFileList(std::move(p), true, std::move(f)); }, a[0], a[2]);
       }},
      {"CloseExcel",
       [a](IVantrelWrapper& w) {
         return Armed(
             [&w](S m, S an, S k) { return w.CloseExcel(std::move(m), std::move(an), true, std::move(k)); },
             a[0], a[1], a[2]);
       }},
      {"CloseAnalyticsFiles",
       [a](IVantrelWrapper& w) {
         return Armed([&w](S m, S an) { return w.CloseAnalyticsFiles(std::move(m), std::move(an), false); },
                      a[0], a[1]);
       }},
      {"LoadText",
       [a](IVantrelWrapper& w) { return Armed([&w](S p) { return w.LoadText(std::move(p)); }, a[0]); }},
      {"IsMsOleDbSqlInstalled",
       [](IVantrelWrapper& w) { return Armed([&w] { return w.IsMsOleDbSqlInstalled(); }); }},
      {"IsBrevikInstalled", [](IVantrelWrapper& w) { return Armed([&w] { return w.IsBrevikInstalled(); }); }},
      {"OpenAndWait",
       [a](IVantrelWrapper& w) {
         return Armed([&w](S p, S q) { return w.OpenAndWait(std::move(p), std::move(q)); }, a[0], a[1]);
       }},
      {"GetEnvUserName", [](IVantrelWrapper& w) { return Armed([&w] { return w.GetEnvUserName(); }); }},
      {"GetEnvUserDomain", [](IVantrelWrapper& w) { return Armed([&w] { return w.GetEnvUserDomain(); }); }},
      {"GetEnvMachineDomain",
       [](IVantrelWrapper& w) { return Armed([&w] { return w.GetEnvMachineDomain(); }); }},
      {"GetEnvMachineName", [](IVantrelWrapper& w) { return Armed([&w] { return w.GetEnvMachineName(); }); }},
      {"CaesarCipher12Net",
       [a](IVantrelWrapper& w) {
         return Armed([&w](const char* in) { return w.CaesarCipher12Net(in, true); }, a[0].c_str());
       }},
      {"CaesarCipher12Net(null)",
       [](IVantrelWrapper& w) {
         return Armed([&w](const char* in) { return w.CaesarCipher12Net(in, false); }, nullptr);
       }},
      {"Interpolate",
       [points](IVantrelWrapper& w) {
         std::vector<double> x(points), y(points);
         for (std::size_t i = 0; i < points; ++i) {
           x[i] = static_cast<double>(i);
           y[i] = 2.0 * static_cast<double>(i);
         }
         return Armed(
             [&](int n) {
               InterpolationResult answer{0, 0, 0};
               answer.result = w.Interpolate(x.data(), y.data(), n, 0.5, answer.dY, answer.dYbydX);
               return answer;
             },
             static_cast<int>(points));
       }},
      {"Interpolate(null arrays)",
       [](IVantrelWrapper& w) {
         return Armed(
             [&w](int n) {
               InterpolationResult answer{0, 0, 0};
               answer.result = w.Interpolate(nullptr, nullptr, n, 0.5, answer.dY, answer.dYbydX);
               return answer;
             },
             3);
       }},
      {"Interpolate(negative count)",
       [](IVantrelWrapper& w) {
         double x = 0, y = 0;
         return Armed(
             [&](int n) {
               InterpolationResult answer{0, 0, 0};
               answer.result = w.Interpolate(&x, &y, n, 0.5, answer.dY, answer.dYbydX);
               return answer;
             },
             -4);
       }},
  };
}

// Each getter twice: with 42, which every naming scheme names, and with -1, which none does.
#define NUMBERED(getter)                                                                               \
  UtilityCall{#getter "(42)",                                                                          \
              [](IVantrelWrapper& w) { return Armed([&w](int n) { return w.getter(n); }, 42); }},      \
      UtilityCall {                                                                                    \
#getter "(-1)", [](IVantrelWrapper & w) { return Armed([&w](int n) { return w.getter(n); }, -1); } \
  }
#define FIXED(getter)                                                                    \
  UtilityCall {                                                                          \
#getter "()", [](IVantrelWrapper & w) { return Armed([&w] { return w.getter(); }); } \
  }

std::vector<UtilityCall> FileNameCalls() {
  return {NUMBERED(GetSolutionFileName),
          FIXED(GetXSLPOptionsMPIFileName),
          FIXED(GetXSLPOptionsSTDFileName),
          FIXED(GetXSLPOptionsMSFileName),
          FIXED(GetXSLPOptionsPAFileName),
          NUMBERED(GetXpressbssFileNameInternal),
          NUMBERED(GetXpressbssFileNameExternal),
          NUMBERED(GetXmpsNewFileName),
          NUMBERED(GetxmpsFileName),
          NUMBERED(GetMS_BestbssFileName),
          NUMBERED(GetMS_BestxlpFileName),
          NUMBERED(GetXSLPAbmlLogFileName),
          NUMBERED(GetXSLPEqnsLogFileName),
          NUMBERED(GetEpsilonGen1FileName),
          NUMBERED(GetEpsilonGen2AFileName),
          NUMBERED(GetEpsilonGen2BFileName),
          NUMBERED(GetXLPFileName),
          NUMBERED(GetFilFileName),
          NUMBERED(GetMapFileName),
          NUMBERED(GetPartialFilFileName),
          NUMBERED(GetPartialMapFileName),
          NUMBERED(GetWarnFileName),
          FIXED(GetCaseInfoFileName),
          NUMBERED(GetCaseNumberAsFormattedString),
          NUMBERED(GetPenaltyDatFileName),
          NUMBERED(GetXLPMGErrorsFileName),
          NUMBERED(GetSolutionFilFileName),
          NUMBERED(GetMarginalSolutionFilFileName),
          NUMBERED(GetRecursionFilFileName),
          NUMBERED(GetPVTWDatFileName),
          NUMBERED(GetPguessAOFileName),
          NUMBERED(GetCaseDbResultFileName),
          NUMBERED(GetTrXlptcFileName),
          NUMBERED(GetTrancolReportFileName),
          NUMBERED(GetXNLPSolutionFileName),
          NUMBERED(GetTrancolXlptcFileName),
          NUMBERED(GetTrancolRptFileName),
          FIXED(GetMS_BestTrXlptcFileName),
          NUMBERED(GetMS_BestTrXlptcFileName),
          FIXED(GetMS_BestTrancolReportFileName),
          NUMBERED(GetMS_BestTrancolReportFileName)};
}

#undef NUMBERED
#undef FIXED

std::vector<UtilityCall> FactoryCalls() {
  return {
      {"IVantrelWrapper::CreateInstance",
       [](IVantrelWrapper&) { return Armed([] { return IVantrelWrapper::CreateInstance(); }); }},
      {"IVantrelWrapper::CreateFileNameManager",
       [](IVantrelWrapper&) { return Armed([] { return IVantrelWrapper::CreateFileNameManager(); }); }},
      {"IVantrelWrapper::Destroy",
       [](IVantrelWrapper&) {
         IVantrelWrapper* made = IVantrelWrapper::CreateInstance();
         made->LoadObject();
         return Armed([](IVantrelWrapper* w) { IVantrelWrapper::Destroy(w); }, made);
       }},
      {"IUnifiedTagsManagerWrapper::CreateInstance",
       [](IVantrelWrapper&) { return Armed([] { return IUnifiedTagsManagerWrapper::CreateInstance(); }); }},
      {"IUnifiedTagsManagerWrapper::Destroy",
       [](IVantrelWrapper&) {
         IUnifiedTagsManagerWrapper* made = IUnifiedTagsManagerWrapper::CreateInstance();
         made->LoadObject(NewHandle(std::make_shared<LabelResolver>(u"made")));
         return Armed([](IUnifiedTagsManagerWrapper* w) { IUnifiedTagsManagerWrapper::Destroy(w); }, made);
       }},
  };
}

std::vector<TagsCall> TagsCalls(TextKind kind) {
  const std::vector<std::string> a = HostArguments(kind);
  return {
      {"LoadObject(resolver)",
       [](IUnifiedTagsManagerWrapper& w) {
         return HostHandle(std::make_shared<LabelResolver>(u"second")).Load(w);
       }},
      {"LoadObject(nothing)", [](IUnifiedTagsManagerWrapper& w) { return HostHandle(nullptr).Load(w); }},
      {"LoadObject(not a resolver)",
       [](IUnifiedTagsManagerWrapper& w) { return HostHandle(std::make_shared<NotAResolver>()).Load(w); }},
      {"LoadObject(zero)",
       [](IUnifiedTagsManagerWrapper& w) {
         return Armed([&w](void* handle) { w.LoadObject(handle); }, nullptr);
       }},
      {"GetExtendedTag",
       [a](IUnifiedTagsManagerWrapper& w) {
         return Armed([&w](std::string name) { return w.GetExtendedTag(std::move(name)); }, a[0]);
       }},
  };
}

std::vector<FolderCall> RealBackendCalls() {
  using S = std::string;
  const S text = Narrow(u"Grüße, Ωμέγα ~ 123");
  return {
      {"Test", [text](IVantrelWrapper& w,
                      const S&) { return Armed([&w](S m) { return w.Test(std::move(m)); }, text); }},
      {"TestSet",
       [text](IVantrelWrapper& w, const S&) {
         return Armed([&w](S m) { w.TestSet(std::move(m)); }, text) + ", then TestGet " +
                Describe(w.TestGet());
       }},
      {"Xsl2Xslx(missing source)",
       [](IVantrelWrapper& w, const S& f) {
         return Armed([&w](S from, S to) { w.Xsl2Xslx(std::move(from), std::move(to)); }, f + "/missing.xls",
                      f + "/book.xlsx");
       }},
      {"DcryptString(not ours)",
       [](IVantrelWrapper& w, const S&) {
         return Armed([&w](S e, S k) { return w.DcryptString(std::move(e), std::move(k)); },
                      S("v1:not base64!"), S("key"));
       }},
      {"Copy(replacing)",
       [](IVantrelWrapper& w, const S& f) {
         return Armed(
             [&w](S m, S a, S s, S t) {
               return w.Copy(std::move(m), std::move(a), false, std::move(s), std::move(t), 0);
             },
             f, S(), S("source.dat"), S("other.txt"));
       }},
      {"Copy(keeping)",
       [](IVantrelWrapper& w, const S& f) {
         return Armed(
             [&w](S m, S a, S s, S t) {
               return w.Copy(std::move(m), std::move(a), false, std::move(s), std::move(t), 1);
             },
             f, S(), S("source.dat"), S("other.txt"));
       }},
      {"CopySimple",
       [](IVantrelWrapper& w, const S& f) {
         return Armed(
             [&w](S m, S a, S s, S t) {
               return w.CopySimple(std::move(m), std::move(a), false, std::move(s), std::move(t));
             },
             f, S(), S("source.dat"), Narrow(u"Grüße.dat"));
       }},
      {"CopySimpleKerno",
       [](IVantrelWrapper& w, const S& f) {
         return Armed(
             [&w](S m, S a, S s, S t) {
               return w.CopySimpleKerno(std::move(m), std::move(a), true, std::move(s), std::move(t));
             },
             S(), S(), f + "/source.dat", f + "/kerno.dat");
       }},
      {"Rename",
       [](IVantrelWrapper& w, const S& f) {
         return Armed(
             [&w](S m, S a, S s, S t) {
               return w.Rename(std::move(m), std::move(a), false, std::move(s), std::move(t));
             },
             f, S(), S("source.dat"), S("renamed.dat"));
       }},
      {"Delete",
       [](IVantrelWrapper& w, const S& f) {
         return Armed(
             [&w](S m, S a, S t) { return w.Delete(std::move(m), std::move(a), false, std::move(t)); }, f,
             S(), S("other.txt"));
       }},
      {"Open(resolve only)",
       [](IVantrelWrapper& w, const S& f) {
         return Armed(
             [&w](S m, S a, S t) { return w.Open(std::move(m), std::move(a), false, std::move(t), 1); }, S(),
             f, S("source.dat"));
       }},
      {"GetFileList(full paths)",
       [](IVantrelWrapper& w, const S& f) {
         return Armed([&w](S p, S filter) { return w.GetFileList(std::move(p), true, std::move(filter)); }, f,
                      S("*.dat;*.txt"));
       }},
      {"GetFileList(names)",
       [](IVantrelWrapper& w, const S& f) {
         return Armed([&w](S p, S filter) { return w.GetFileList(std::move(p), false, std::move(filter)); },
                      f, S());
       }},
      {"CloseExcel",
       [](IVantrelWrapper& w, const S& f) {
         return Armed(
             [&w](S m, S a, S k) { return w.CloseExcel(std::move(m), std::move(a), false, std::move(k)); }, f,
             f, S("book.xlsx"));
       }},
      {"CloseAnalyticsFiles",
       [](IVantrelWrapper& w, const S& f) {
         return Armed([&w](S m, S a) { return w.CloseAnalyticsFiles(std::move(m), std::move(a), false); }, f,
                      f);
       }},
      {"LoadText",
       [](IVantrelWrapper& w, const S& f) {
         return Armed([&w](S p) { return w.LoadText(std::move(p)); }, f + "/source.dat");
       }},
      {"LoadText(missing)",
       [](IVantrelWrapper& w, const S& f) {
         return Armed([&w](S p) { return w.LoadText(std::move(p)); }, f + "/missing.txt");
       }},
      {"OpenAndWait",
       [](IVantrelWrapper& w, const S&) {
         return Armed([&w](S p, S q) { return w.OpenAndWait(std::move(p), std::move(q)); }, S("sh"),
                      S("-c 'exit 3' \"Grüße, Ω\""));
       }},
      {"OpenAndWait(cannot start)",
       [](IVantrelWrapper& w, const S& f) {
         return Armed([&w](S p, S q) { return w.OpenAndWait(std::move(p), std::move(q)); },
                      f + "/missing-program", S());
       }},
      {"IsMsOleDbSqlInstalled",
       [](IVantrelWrapper& w, const S& f) {
         // The folder's odbcinst.ini registers a driver, so a probe that mistook a failed allocation
         // for the end of the file would answer false.
         ::setenv("ODBCSYSINI", f.c_str(), 1);
         const std::string outcome = Armed([&w] { return w.IsMsOleDbSqlInstalled(); });
         ::unsetenv("ODBCSYSINI");
         return outcome;
       }},
      {"IsBrevikInstalled",
       [](IVantrelWrapper& w, const S&) { return Armed([&w] { return w.IsBrevikInstalled(); }); }},
      {"GetEnvUserName",
       [](IVantrelWrapper& w, const S&) { return Armed([&w] { return w.GetEnvUserName(); }); }},
      {"GetEnvUserDomain",
       [](IVantrelWrapper& w, const S&) { return Armed([&w] { return w.GetEnvUserDomain(); }); }},
      {"GetEnvMachineDomain",
       [](IVantrelWrapper& w, const S&) { return Armed([&w] { return w.GetEnvMachineDomain(); }); }},
      {"GetEnvMachineName",
       [](IVantrelWrapper& w, const S&) { return Armed([&w] { return w.GetEnvMachineName(); }); }},
      {"CaesarCipher12Net",
       [text](IVantrelWrapper& w, const S&) {
         return Armed([&w](const char* in) { return w.CaesarCipher12Net(in, true); }, text.c_str());
       }},
      {"Interpolate",
       [](IVantrelWrapper& w, const S&) {
         std::vector<double> x{0, 1, 2, 4}, y{0, 10, 15, 5};
         return Armed(
             [&](double at) {
               InterpolationResult answer{0, 0, 0};
               answer.result = w.Interpolate(x.data(), y.data(), 4, at, answer.dY, answer.dYbydX);
               return answer;
             },
             3.0);
       }},
  };
}

std::string DescribeCurrentException() {
  const std::type_info* type = abi::__cxa_current_exception_type();
  std::string text = type != nullptr ? runtime::TypeName(*type) : "no exception";
  try {
    throw;
  } catch (const std::exception& error) {
    text += ": ";
    text += error.what();
  } catch (...) {
  }
  return text;
}

}  // namespace tarvo::test
