// A Vantrel that records every call with its converted arguments and answers with whatever the
// test set up, or raises the failure the test set up.
#ifndef TARVO_TEST_RECORDING_VANTREL_H
#define TARVO_TEST_RECORDING_VANTREL_H

#include <exception>
#include <ostream>
#include <string>
#include <variant>
#include <vector>

#include "vantrel/vantrel.h"

namespace tarvo::test {

using runtime::Array;
using runtime::Text;

}  // namespace tarvo::test

namespace tarvo::runtime {
// Readable failure messages: absent text shows as null, present text as its UTF-16 units.
inline void PrintTo(const Text& text, std::ostream* out) {
  if (text.isNull()) {
    *out << "null";
    return;
  }
  *out << "u\"";
  for (char16_t unit : text.units()) {
    if (unit >= 0x20 && unit < 0x7F) {
      *out << static_cast<char>(unit);
    } else {
      *out << "\\u" << std::hex << static_cast<int>(unit) << std::dec;
    }
  }
  *out << '"';
}
}  // namespace tarvo::runtime

namespace tarvo::test {

using Argument = std::variant<Text, bool, int, double, std::vector<double>>;

struct Call {
  std::string operation;
  std::vector<Argument> arguments;
  friend bool operator==(const Call&, const Call&) = default;
};

class RecordingVantrel : public backend::Vantrel {
 public:
  std::vector<Call> calls;

  // What the next calls answer.
  bool flag = true;
  int number = 42;
  Text text{u"answer"};
  Array<Text> list;
  std::exception_ptr failure;  // raised by every call when set...
  std::size_t failOnCall = 0;  // ...or, when not 0, only by the call with this number (from 1)

  // What Interpolate writes through its references.
  double interpolatedY = 1.5;
  double interpolatedSlope = -2.5;

  bool Copy(const Text& m, const Text& a, bool abs, const Text& s, const Text& t, int action) override {
    return answer(flag, "Copy", {m, a, abs, s, t, action});
  }
  bool CopySimple(const Text& m, const Text& a, bool abs, const Text& s, const Text& t) override {
    return answer(flag, "CopySimple", {m, a, abs, s, t});
  }
  bool CopySimpleKerno(const Text& m, const Text& a, bool abs, const Text& s, const Text& t) override {
    return answer(flag, "CopySimpleKerno", {m, a, abs, s, t});
  }
  bool Delete(const Text& m, const Text& a, bool abs, const Text& t) override {
    return answer(flag, "Delete", {m, a, abs, t});
  }
  bool Rename(const Text& m, const Text& a, bool abs, const Text& s, const Text& t) override {
    return answer(flag, "Rename", {m, a, abs, s, t});
  }
  Text Open(const Text& m, const Text& a, bool abs, const Text& t, int action) override {
    return answer(text, "Open", {m, a, abs, t, action});
  }
  Array<Text> GetFileList(const Text& path, bool abs, const Text& filter) override {
    return answer(list, "GetFileList", {path, abs, filter});
  }
  bool CloseExcel(const Text& m, const Text& a, bool abs, const Text& moniker) override {
    return answer(flag, "CloseExcel", {m, a, abs, moniker});
  }
  bool CloseAnalyticsFiles(const Text& m, const Text& a, bool abs) override {
    return answer(flag, "CloseAnalyticsFiles", {m, a, abs});
  }
  Text LoadText(const Text& path) override { return answer(text, "LoadText", {path}); }
  int OpenAndWait(const Text& path, const Text& params) override {
    return answer(number, "OpenAndWait", {path, params});
  }
  void Xsl2Xslx(const Text& from, const Text& to) override { answer(0, "Xsl2Xslx", {from, to}); }
  Text EcryptString(const Text& plain, const Text& key) override {
    return answer(text, "EcryptString", {plain, key});
  }
  Text DcryptString(const Text& cipher, const Text& key) override {
    return answer(text, "DcryptString", {cipher, key});
  }
  bool IsMsOleDbSqlInstalled() override { return answer(flag, "IsMsOleDbSqlInstalled", {}); }
  bool IsBrevikInstalled() override { return answer(flag, "IsBrevikInstalled", {}); }
  Text GetEnvUserName() override { return answer(text, "GetEnvUserName", {}); }
  Text GetEnvUserDomain() override { return answer(text, "GetEnvUserDomain", {}); }
  Text GetEnvMachineDomain() override { return answer(text, "GetEnvMachineDomain", {}); }
  Text GetEnvMachineName() override { return answer(text, "GetEnvMachineName", {}); }
  Text CaesarCipher12Net(const Text& in, bool encrypt) override {
    return answer(text, "CaesarCipher12Net", {in, encrypt});
  }
  int Interpolate(Array<double>& x, Array<double>& y, int n, double dX, double& dY, double& dYbydX) override {
    const int result =
        answer(number, "Interpolate",
               {std::vector<double>(x->begin(), x->end()), std::vector<double>(y->begin(), y->end()), n, dX});
    dY = interpolatedY;
    dYbydX = interpolatedSlope;
    // Scribble over what it was given and hand back other arrays, as a careless backend might.
    for (double& value : *x) value = -1;
    for (double& value : *y) value = -1;
    x = std::make_shared<runtime::ArrayElements<double>>(3, 99.0);
    y = nullptr;
    return result;
  }

 private:
  template <class Result>
  Result answer(const Result& result, const char* operation, std::vector<Argument> arguments) {
    calls.push_back({operation, std::move(arguments)});
    if (failure && (failOnCall == 0 || calls.size() == failOnCall)) std::rethrow_exception(failure);
    return result;
  }
};

}  // namespace tarvo::test

#endif  // TARVO_TEST_RECORDING_VANTREL_H
