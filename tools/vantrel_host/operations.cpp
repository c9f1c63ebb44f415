#include "operations.h"

#include <strings.h>

#include <variant>

#include "tags.h"

namespace vantrel_host {
namespace {

using enum ArgType;
using W = IVantrelWrapper;
using A = Arguments;
using Out = std::ostream;

void Print(Out& out, const std::string& text) {
  out << text << '\n';
}
void Print(Out& out, bool flag) {
  out << (flag ? "true" : "false") << '\n';
}
void Print(Out& out, int number) {
  out << number << '\n';
}

// The model paths that most file operations start with.
const std::vector<Param> kModel = {{"modelPath", Text}, {"analyticsPath", Text}, {"isAbsolute", Bool}};
std::vector<Param> Model(std::vector<Param> more) {
  std::vector<Param> params = kModel;
  params.insert(params.end(), more.begin(), more.end());
  return params;
}

using IntGetter = std::string (IVantrelWrapper::*)(int);
using PlainGetter = std::string (IVantrelWrapper::*)();

// The file-name getters differ only in name and parameter, so they are rows of data.
struct Getter {
  const char* name;
  const char* param;
  std::variant<IntGetter, PlainGetter> call;
};

const Getter kGetters[] = {
    {"GetSolutionFileName", "basisNumber", &IVantrelWrapper::GetSolutionFileName},
    {"GetXSLPOptionsMPIFileName", nullptr, &IVantrelWrapper::GetXSLPOptionsMPIFileName},
    {"GetXSLPOptionsSTDFileName", nullptr, &IVantrelWrapper::GetXSLPOptionsSTDFileName},
    {"GetXSLPOptionsMSFileName", nullptr, &IVantrelWrapper::GetXSLPOptionsMSFileName},
    {"GetXSLPOptionsPAFileName", nullptr, &IVantrelWrapper::GetXSLPOptionsPAFileName},
    {"GetXpressbssFileNameInternal", "rankNumber", &IVantrelWrapper::GetXpressbssFileNameInternal},
    {"GetXpressbssFileNameExternal", "solutionNumber", &IVantrelWrapper::GetXpressbssFileNameExternal},
    {"GetXmpsNewFileName", "caseNumber", &IVantrelWrapper::GetXmpsNewFileName},
    {"GetxmpsFileName", "caseNumber", &IVantrelWrapper::GetxmpsFileName},
    {"GetMS_BestbssFileName", "rankNumber", &IVantrelWrapper::GetMS_BestbssFileName},
    {"GetMS_BestxlpFileName", "rankNumber", &IVantrelWrapper::GetMS_BestxlpFileName},
    {"GetXSLPAbmlLogFileName", "caseNumber", &IVantrelWrapper::GetXSLPAbmlLogFileName},
    {"GetXSLPEqnsLogFileName", "caseNumber", &IVantrelWrapper::GetXSLPEqnsLogFileName},
    {"GetEpsilonGen1FileName", "rankNumber", &IVantrelWrapper::GetEpsilonGen1FileName},
    {"GetEpsilonGen2AFileName", "rankNumber", &IVantrelWrapper::GetEpsilonGen2AFileName},
    {"GetEpsilonGen2BFileName", "rankNumber", &IVantrelWrapper::GetEpsilonGen2BFileName},
    {"GetXLPFileName", "caseNumber", &IVantrelWrapper::GetXLPFileName},
    {"GetFilFileName", "caseNumber", &IVantrelWrapper::GetFilFileName},
    {"GetMapFileName", "caseNumber", &IVantrelWrapper::GetMapFileName},
    {"GetPartialFilFileName", "caseNumber", &IVantrelWrapper::GetPartialFilFileName},
    {"GetPartialMapFileName", "caseNumber", &IVantrelWrapper::GetPartialMapFileName},
    {"GetWarnFileName", "caseNumber", &IVantrelWrapper::GetWarnFileName},
    {"GetCaseInfoFileName", nullptr, &IVantrelWrapper::GetCaseInfoFileName},
    {"GetCaseNumberAsFormattedString", "caseNumber", &IVantrelWrapper::GetCaseNumberAsFormattedString},
    {"GetPenaltyDatFileName", "caseNumber", &IVantrelWrapper::GetPenaltyDatFileName},
    {"GetXLPMGErrorsFileName", "caseNumber", &IVantrelWrapper::GetXLPMGErrorsFileName},
    {"GetSolutionFilFileName", "caseNumber", &IVantrelWrapper::GetSolutionFilFileName},
    {"GetMarginalSolutionFilFileName", "caseNumber", &IVantrelWrapper::GetMarginalSolutionFilFileName},
    {"GetRecursionFilFileName", "caseNumber", &IVantrelWrapper::GetRecursionFilFileName},
    {"GetPVTWDatFileName", "caseNumber", &IVantrelWrapper::GetPVTWDatFileName},
    {"GetPguessAOFileName", "caseNumber", &IVantrelWrapper::GetPguessAOFileName},
    {"GetCaseDbResultFileName", "caseNumber", &IVantrelWrapper::GetCaseDbResultFileName},
    {"GetTrXlptcFileName", "caseNumber", &IVantrelWrapper::GetTrXlptcFileName},
    {"GetTrancolReportFileName", "caseNumber", &IVantrelWrapper::GetTrancolReportFileName},
    {"GetXNLPSolutionFileName", "basisNumber", &IVantrelWrapper::GetXNLPSolutionFileName},
    {"GetTrancolXlptcFileName", "caseNumber", &IVantrelWrapper::GetTrancolXlptcFileName},
    {"GetTrancolRptFileName", "caseNumber", &IVantrelWrapper::GetTrancolRptFileName},
    {"GetMS_BestTrXlptcFileName", nullptr,
     static_cast<PlainGetter>(&IVantrelWrapper::GetMS_BestTrXlptcFileName)},
    {"GetMS_BestTrXlptcFileName", "rankNumber",
     static_cast<IntGetter>(&IVantrelWrapper::GetMS_BestTrXlptcFileName)},
    {"GetMS_BestTrancolReportFileName", nullptr,
     static_cast<PlainGetter>(&IVantrelWrapper::GetMS_BestTrancolReportFileName)},
    {"GetMS_BestTrancolReportFileName", "rankNumber",
     static_cast<IntGetter>(&IVantrelWrapper::GetMS_BestTrancolReportFileName)},
};

std::vector<Operation> MakeOperations() {
  std::vector<Operation> ops = {
      {"Test",
       "show a message",
       {{"message", Text}},
       [](W& w, const A& a, Out& o) { Print(o, w.Test(a.text(0))); }},
      {"TestSet",
       "set the backend's TestString",
       {{"message", Text}},
       [](W& w, const A& a, Out&) { w.TestSet(a.text(0)); }},
      {"TestGet", "read the backend's TestString", {}, [](W& w, const A&, Out& o) { Print(o, w.TestGet()); }},
      {"Xsl2Xslx",
       "convert a legacy spreadsheet",
       {{"fromFName", Text}, {"toFName", Text}},
       [](W& w, const A& a, Out&) { w.Xsl2Xslx(a.text(0), a.text(1)); }},
      {"EcryptString",
       "encipher a text",
       {{"plainText", Text}, {"key", Text}},
       [](W& w, const A& a, Out& o) { Print(o, w.EcryptString(a.text(0), a.text(1))); }},
      {"DcryptString",
       "decipher a text",
       {{"encrypted", Text}, {"key", Text}},
       [](W& w, const A& a, Out& o) { Print(o, w.DcryptString(a.text(0), a.text(1))); }},
      {"Copy", "copy a model file (copyAction 0 replaces, 1 keeps an existing target)",
       Model({{"sourcePathFileName", Text}, {"targetPathFileName", Text}, {"copyAction", Int}}),
       [](W& w, const A& a, Out& o) {
         Print(o, w.Copy(a.text(0), a.text(1), a.flag(2), a.text(3), a.text(4), a.integer(5)));
       }},
      {"CopySimple", "copy a model file, replacing the target",
       Model({{"sourcePathFileName", Text}, {"targetPathFileName", Text}}),
       [](W& w, const A& a, Out& o) {
         Print(o, w.CopySimple(a.text(0), a.text(1), a.flag(2), a.text(3), a.text(4)));
       }},
      {"CopySimpleKerno", "copy a model file inside the kernel",
       Model({{"sourcePathFileName", Text}, {"targetPathFileName", Text}}),
       [](W& w, const A& a, Out& o) {
         Print(o, w.CopySimpleKerno(a.text(0), a.text(1), a.flag(2), a.text(3), a.text(4)));
       }},
      {"Delete", "delete a model file", Model({{"targetPathFileName", Text}}),
       [](W& w, const A& a, Out& o) { Print(o, w.Delete(a.text(0), a.text(1), a.flag(2), a.text(3))); }},
      {"Rename", "rename or move a model file",
       Model({{"sourcePathFileName", Text}, {"targetPathFileName", Text}}),
       [](W& w, const A& a, Out& o) {
         Print(o, w.Rename(a.text(0), a.text(1), a.flag(2), a.text(3), a.text(4)));
       }},
      {"Open", "open a document (openAction 0 shows it, 1 only resolves its path)",
       Model({{"targetPathFileName", Text}, {"openAction", Int}}),
       [](W& w, const A& a, Out& o) {
         Print(o, w.Open(a.text(0), a.text(1), a.flag(2), a.text(3), a.integer(4)));
       }},
      {"GetFileList",
       "list the files of a folder, one a line",
       {{"targetPath", Text}, {"isAbsolute", Bool}, {"filter", Text}},
       [](W& w, const A& a, Out& o) {
         std::vector<std::string*>* list = w.GetFileList(a.text(0), a.flag(1), a.text(2));
         for (const std::string* entry : *list) Print(o, *entry);
         w.Destroy(list);
       }},
      {"CloseExcel", "close the spreadsheet viewers of a document", Model({{"moniker", Text}}),
       [](W& w, const A& a, Out& o) { Print(o, w.CloseExcel(a.text(0), a.text(1), a.flag(2), a.text(3))); }},
      {"CloseAnalyticsFiles", "close every document opened under analyticsPath", Model({}),
       [](W& w, const A& a, Out& o) { Print(o, w.CloseAnalyticsFiles(a.text(0), a.text(1), a.flag(2))); }},
      {"LoadText",
       "print a text file",
       {{"pathFileName", Text}},
       [](W& w, const A& a, Out& o) { o << w.LoadText(a.text(0)); }},
      {"IsMsOleDbSqlInstalled",
       "is an ODBC driver for SQL Server registered?",
       {},
       [](W& w, const A&, Out& o) { Print(o, w.IsMsOleDbSqlInstalled()); }},
      {"IsBrevikInstalled",
       "is Brevik installed?",
       {},
       [](W& w, const A&, Out& o) { Print(o, w.IsBrevikInstalled()); }},
      {"OpenAndWait",
       "run a program and print its exit code",
       {{"pathFilename", Text}, {"params", Text}},
       [](W& w, const A& a, Out& o) { Print(o, w.OpenAndWait(a.text(0), a.text(1))); }},
      {"GetEnvUserName",
       "the user's login name",
       {},
       [](W& w, const A&, Out& o) { Print(o, w.GetEnvUserName()); }},
      {"GetEnvUserDomain",
       "the user's domain",
       {},
       [](W& w, const A&, Out& o) { Print(o, w.GetEnvUserDomain()); }},
      {"GetEnvMachineDomain",
       "the machine's domain",
       {},
       [](W& w, const A&, Out& o) { Print(o, w.GetEnvMachineDomain()); }},
      {"GetEnvMachineName",
       "the machine's name",
       {},
       [](W& w, const A&, Out& o) { Print(o, w.GetEnvMachineName()); }},
      {"CaesarCipher12Net",
       "shift printable ASCII by 12 places",
       {{"inText", Text}, {"bEncrypt", Bool}},
       [](W& w, const A& a, Out& o) { Print(o, w.CaesarCipher12Net(a.text(0).c_str(), a.flag(1))); }},
      {"Interpolate",
       "interpolate a table at dX",
       {{"xArray", DoubleList}, {"yArray", DoubleList}, {"dX", Double}},
       [](W& w, const A& a, Out& o) {
         std::vector<double> x = a.numbers(0), y = a.numbers(1);
         if (x.size() != y.size()) throw UsageError("xArray and yArray must have as many numbers");
         double dY = 0, slope = 0;
         const int result =
             w.Interpolate(x.data(), y.data(), static_cast<int>(x.size()), a.number(2), dY, slope);
         o << "result " << result << "\ndY " << dY << "\ndYbydX " << slope << '\n';
       }},
  };
  for (const Getter& getter : kGetters) {
    if (const auto* withNumber = std::get_if<IntGetter>(&getter.call)) {
      ops.push_back({getter.name,
                     "a model file name",
                     {{getter.param, Int}},
                     [call = *withNumber](W& w, const A& a, Out& o) { Print(o, (w.*call)(a.integer(0))); }});
    } else {
      ops.push_back(
          {getter.name,
           "a model file name",
           {},
           [call = std::get<PlainGetter>(getter.call)](W& w, const A&, Out& o) { Print(o, (w.*call)()); }});
    }
  }
  // The unified-tags interface: its resolver comes from a tag file.
  ops.push_back({"GetExtendedTag",
                 "the extended tag of a matrix row or column name",
                 {{"tagFile", Text}, {"strName", Text}},
                 [](W&, const A& a, Out& o) { Print(o, ResolveTags(a.text(0), {a.text(1)}).front()); }});
  return ops;
}

}  // namespace

const std::vector<Operation>& Operations() {
  static const std::vector<Operation> operations = MakeOperations();
  return operations;
}

std::vector<const Operation*> FindOperations(std::string_view name) {
  std::vector<const Operation*> found;
  for (const Operation& op : Operations()) {
    if (std::string_view(op.name).size() == name.size() &&
        strncasecmp(op.name, name.data(), name.size()) == 0) {
      found.push_back(&op);
    }
  }
  return found;
}

}  // namespace vantrel_host
