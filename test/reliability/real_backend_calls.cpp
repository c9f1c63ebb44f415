// The calls of RealBackendCalls (host_calls.h).
#include <cstdlib>
#include <string>
#include <vector>

#include "reliability/armed_call.h"
#include "reliability/host_calls.h"

namespace tarvo::test {

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
}  // namespace tarvo::test
