#include "reliability/host_calls.h"

#include <utility>

#include "reliability/armed_call.h"
#include "runtime/gc_handle.h"
#include "unified_tags/test_resolvers.h"

namespace tarvo::test {

namespace {

using runtime::Text;

// Text of `length` units cycling through ASCII, Latin, Greek, CJK and a surrogate pair.
std::u16string LongText(std::u16string_view prefix, std::size_t length) {
  static constexpr std::u16string_view kPattern = u"path/Grüße_Ωμέγα_日本語/\U0001D11E-file.dat;";
  std::u16string text(prefix);
  while (text.size() < length) text += kPattern;
  return text;
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
  auto list = std::make_shared<runtime::ArrayElements<Text>>();
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
}  // namespace tarvo::test
