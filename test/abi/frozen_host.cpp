// A host compiled from the interface headers as they were first published (frozen/include/, never
// edited) and run against the library built from today's sources: what an existing host binary
// meets after the library is upgraded under it. Every call goes by slot number through the frozen
// dispatch tables, and every error is caught by the frozen type.
//
// Deliberately a plain C++17 program with no test framework, as a host would be.
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

#include "IUnifiedTagsManagerWrapper.h"
#include "IVantrelWrapper.h"

namespace {

int passed = 0;
int failed = 0;

void Check(bool ok, const std::string& what) {
  if (ok) {
    ++passed;
  } else {
    ++failed;
    std::printf("FAILED: %s\n", what.c_str());
  }
}

void CheckEqual(const std::string& actual, const std::string& expected, const std::string& what) {
  Check(actual == expected, what + ": got '" + actual + "', expected '" + expected + "'");
}

// Runs `call` and checks that it raises exactly `Error`; anything else (or nothing) is a failure.
template <class Error>
void CheckRaises(const std::function<void()>& call, const std::string& what) {
  try {
    call();
    Check(false, what + ": nothing was raised");
  } catch (const Error&) {
    Check(true, what);
  } catch (const std::exception& error) {
    Check(false, what + ": raised another type: " + error.what());
  }
}

std::filesystem::path MakeScratchFolder() {
  std::random_device entropy;
  const std::filesystem::path folder =
      std::filesystem::temp_directory_path() / ("vantrel-frozen-host-" + std::to_string(entropy()));
  std::filesystem::create_directories(folder);
  return folder;
}

void TestHooksAndTextTransforms(IVantrelWrapper& wrapper) {
  Check(wrapper.Test("frozen host says hello"), "slot 2 Test");
  wrapper.TestSet("kept by the backend");
  CheckEqual(wrapper.TestGet(), "kept by the backend", "slots 3 and 4 TestSet/TestGet");

  const std::string shifted = wrapper.CaesarCipher12Net("Hello, host!", true);
  Check(shifted != "Hello, host!", "slot 25 CaesarCipher12Net changes the text");
  CheckEqual(wrapper.CaesarCipher12Net(shifted.c_str(), false), "Hello, host!", "slot 25 round trip");

  double x[] = {0, 10, 20};
  double y[] = {0, 5, 40};
  double value = 0, slope = 0;
  Check(wrapper.Interpolate(x, y, 3, 12.5, value, slope) == 0, "slot 26 Interpolate inside the table");
  Check(std::fabs(value - 13.75) < 1e-12 && std::fabs(slope - 3.5) < 1e-12, "slot 26 value and slope");
}

void TestFiles(IVantrelWrapper& wrapper, const std::filesystem::path& folder) {
  const std::string base = folder.string();
  std::ofstream(folder / "notes.txt", std::ios::binary) << "first line\nsecond line\n";
  CheckEqual(wrapper.LoadText((folder / "notes.txt").string()), "first line\nsecond line\n",
             "slot 17 LoadText");

  Check(wrapper.CopySimple(base, base, false, "notes.txt", "copy.txt") == 1, "slot 9 CopySimple");
  Check(wrapper.Rename(base, base, false, "copy.txt", "renamed.txt") == 1, "slot 12 Rename");

  std::vector<std::string*>* list = wrapper.GetFileList(base, false, "*.txt");
  Check(list != nullptr && list->size() == 2, "slot 14 GetFileList finds both files");
  if (list != nullptr && list->size() == 2) {
    CheckEqual(*(*list)[0], "notes.txt", "slot 14 first name");
    CheckEqual(*(*list)[1], "renamed.txt", "slot 14 second name");
  }
  wrapper.Destroy(list);  // slot 1: the list and its strings go back to the library

  Check(wrapper.Delete(base, base, false, "renamed.txt") == 1, "slot 11 Delete");
  Check(wrapper.Delete(base, base, false, "renamed.txt") == 0, "slot 11 Delete of a missing file");
}

void TestFileNames(IVantrelWrapper& names) {
  CheckEqual(names.GetSolutionFileName(42), "basis_042.sol", "slot 27 GetSolutionFileName");
  CheckEqual(names.GetCaseNumberAsFormattedString(42), "00042", "slot 50 GetCaseNumberAsFormattedString");
  CheckEqual(names.GetXNLPSolutionFileName(42), names.GetSolutionFileName(42), "slot 61 aliases slot 27");
  CheckEqual(names.GetTrancolXlptcFileName(7), names.GetTrXlptcFileName(7), "slot 62 aliases slot 59");
  CheckEqual(names.GetTrancolRptFileName(7), names.GetTrancolReportFileName(7), "slot 63 aliases slot 60");
  CheckEqual(names.GetMS_BestTrXlptcFileName(), "ms_best_tr.xlptc", "slot 64 GetMS_BestTrXlptcFileName()");
  CheckEqual(names.GetMS_BestTrXlptcFileName(42), "rank_042_ms_best_tr.xlptc",
             "slot 65 GetMS_BestTrXlptcFileName(int)");
  Check(names.GetMS_BestTrancolReportFileName() != names.GetMS_BestTrancolReportFileName(1),
        "slots 66 and 67 reach different service operations");
  CheckRaises<std::invalid_argument>([&] { names.GetXLPFileName(-1); }, "slot 43 refuses a negative case");
}

void TestErrorsAndUnifiedTags() {
  IVantrelWrapper* unbound = IVantrelWrapper::CreateInstance();
  CheckRaises<tarvo::NullReferenceError>([&] { unbound->LoadText("anything"); },
                                         "slot 17 on an unbound wrapper raises NullReferenceError");
  IVantrelWrapper::Destroy(unbound);
  IVantrelWrapper::Destroy(static_cast<IVantrelWrapper*>(nullptr));

  IUnifiedTagsManagerWrapper* tags = IUnifiedTagsManagerWrapper::CreateInstance();
  CheckRaises<tarvo::NullReferenceError>([&] { tags->GetExtendedTag("BALCRD01"); },
                                         "unified slot 1 GetExtendedTag unbound raises NullReferenceError");
  CheckRaises<tarvo::InvalidHandleError>(
      [&] { tags->LoadObject(nullptr); },
      "unified slot 0 LoadObject of a zero handle raises InvalidHandleError");
  IUnifiedTagsManagerWrapper::Destroy(tags);
}

}  // namespace

int main() {
  try {
    IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
    wrapper->LoadObject();  // slot 0
    TestHooksAndTextTransforms(*wrapper);
    const std::filesystem::path folder = MakeScratchFolder();
    TestFiles(*wrapper, folder);
    std::filesystem::remove_all(folder);
    IVantrelWrapper::Destroy(wrapper);

    IVantrelWrapper* names = IVantrelWrapper::CreateFileNameManager();
    TestFileNames(*names);
    IVantrelWrapper::Destroy(names);

    TestErrorsAndUnifiedTags();
  } catch (const std::exception& error) {
    Check(false, std::string("unexpected exception: ") + error.what());
  }
  std::printf("frozen host: %d passed, %d failed\n", passed, failed);
  return failed == 0 ? 0 : 1;
}
