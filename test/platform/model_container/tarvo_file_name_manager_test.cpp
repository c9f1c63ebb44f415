// The naming scheme of the file-name service: every operation, its number rule, and what it does
// with numbers the scheme cannot name.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <regex>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "model_container/tarvo_file_name_manager.h"

namespace tarvo::model_container {
namespace {

using Manager = TarvoFileNameManager;

struct Rule {
  const char* noun;  // nullptr: the operation takes no number
  int largest;
};
const Rule kFixed{nullptr, 0};
const Rule kCase{"case number", Manager::kLargestCaseNumber};
const Rule kRank{"rank number", Manager::kLargestSequenceNumber};
const Rule kBasis{"basis number", Manager::kLargestSequenceNumber};
const Rule kSolution{"solution number", Manager::kLargestSequenceNumber};

struct Operation {
  const char* name;
  Rule rule;
  std::function<Text(int)> call;
};

// clang-format off
#define NUMBERED(operation, rule) Operation{#operation, rule, [](int n) { return Manager::operation(n); }}
#define FIXED(operation) Operation{#operation, kFixed, [](int) { return Manager::operation(); }}

// Every file-name operation; GetCaseNumberAsFormattedString is not a file name and is tested apart.
const std::vector<Operation> kFileNames = {
    FIXED(GetXSLPOptionsMPIFileName),
    FIXED(GetXSLPOptionsSTDFileName),
    FIXED(GetXSLPOptionsMSFileName),
    FIXED(GetXSLPOptionsPAFileName),
    FIXED(GetCaseInfoFileName),
    FIXED(GetMS_BestTrXlptcFileName),
    FIXED(GetMS_BestTrancolReportFileName),
    NUMBERED(GetSolutionFileName, kBasis),
    NUMBERED(GetXpressbssFileNameInternal, kRank),
    NUMBERED(GetXpressbssFileNameExternal, kSolution),
    NUMBERED(GetMS_BestbssFileName, kRank),
    NUMBERED(GetMS_BestxlpFileName, kRank),
    NUMBERED(GetEpsilonGen1FileName, kRank),
    NUMBERED(GetEpsilonGen2AFileName, kRank),
    NUMBERED(GetEpsilonGen2BFileName, kRank),
    NUMBERED(GetMS_BestTrXlptcFileName, kRank),
    NUMBERED(GetMS_BestTrancolReportFileName, kRank),
    NUMBERED(GetXmpsNewFileName, kCase),
    NUMBERED(GetxmpsFileName, kCase),
    NUMBERED(GetXSLPAbmlLogFileName, kCase),
    NUMBERED(GetXSLPEqnsLogFileName, kCase),
    NUMBERED(GetXLPFileName, kCase),
    NUMBERED(GetFilFileName, kCase),
    NUMBERED(GetMapFileName, kCase),
    NUMBERED(GetPartialFilFileName, kCase),
    NUMBERED(GetPartialMapFileName, kCase),
    NUMBERED(GetWarnFileName, kCase),
    NUMBERED(GetPenaltyDatFileName, kCase),
    NUMBERED(GetXLPMGErrorsFileName, kCase),
    NUMBERED(GetSolutionFilFileName, kCase),
    NUMBERED(GetMarginalSolutionFilFileName, kCase),
    NUMBERED(GetRecursionFilFileName, kCase),
    NUMBERED(GetPVTWDatFileName, kCase),
    NUMBERED(GetPguessAOFileName, kCase),
    NUMBERED(GetCaseDbResultFileName, kCase),
    NUMBERED(GetTrXlptcFileName, kCase),
    NUMBERED(GetTrancolReportFileName, kCase),
};
// clang-format on

// The names are ASCII, so each code unit is one character.
std::string Ascii(const Text& text) {
  const std::u16string_view units = text.units();
  return std::string(units.begin(), units.end());
}

TEST(TarvoFileNameManager, NamesAreDistinctFlatPortableAndLowerCase) {
  ASSERT_EQ(kFileNames.size(), 37u);
  const std::regex portable("[a-z0-9_]+\\.[a-z0-9]+");  // no folder, space, or reserved character
  std::set<std::string> seen;
  std::size_t made = 0;
  for (const Operation& operation : kFileNames) {
    SCOPED_TRACE(operation.name);
    for (int n : {0, 1, 42, 999}) {
      const std::string name = Ascii(operation.call(n));
      EXPECT_TRUE(std::regex_match(name, portable)) << name;
      seen.insert(name);
      ++made;
      if (operation.rule.noun == nullptr) break;
    }
  }
  EXPECT_EQ(seen.size(), made);
}

TEST(TarvoFileNameManager, CaseNamesStartWithTheOneCaseNumberFormat) {
  EXPECT_EQ(Ascii(Manager::GetCaseNumberAsFormattedString(0)), "00000");
  EXPECT_EQ(Ascii(Manager::GetCaseNumberAsFormattedString(42)), "00042");
  EXPECT_EQ(Ascii(Manager::GetCaseNumberAsFormattedString(99999)), "99999");
  for (const Operation& operation : kFileNames) {
    if (operation.rule.noun != kCase.noun) continue;
    SCOPED_TRACE(operation.name);
    for (int n : {0, 7, 99999}) {
      const std::string name = Ascii(operation.call(n));
      const std::string key = "case_" + Ascii(Manager::GetCaseNumberAsFormattedString(n));
      EXPECT_EQ(name.substr(0, key.size()), key);
      EXPECT_NE(std::string("_.").find(name.at(key.size())), std::string::npos) << name;
    }
  }
}

TEST(TarvoFileNameManager, OtherNumbersHaveThreeDigitsAfterTheirKind) {
  EXPECT_EQ(Ascii(Manager::GetSolutionFileName(0)), "basis_000.sol");
  EXPECT_EQ(Ascii(Manager::GetMS_BestbssFileName(999)), "rank_999_ms_best.bss");
  EXPECT_EQ(Ascii(Manager::GetXpressbssFileNameExternal(42)), "solution_042_xpress.bss");
  EXPECT_NE(Manager::GetXpressbssFileNameInternal(42), Manager::GetXpressbssFileNameExternal(42));
}

TEST(TarvoFileNameManager, NumbersOutsideTheSchemeAreRefusedNamingOperationAndNumber) {
  std::vector<Operation> numbered = {{"GetCaseNumberAsFormattedString", kCase,
                                      [](int n) { return Manager::GetCaseNumberAsFormattedString(n); }}};
  for (const Operation& operation : kFileNames) {
    if (operation.rule.noun != nullptr) numbered.push_back(operation);
  }
  for (const Operation& operation : numbered) {
    for (int n : {-1, INT_MIN, operation.rule.largest + 1, INT_MAX}) {
      SCOPED_TRACE(std::string(operation.name) + " " + std::to_string(n));
      try {
        operation.call(n);
        ADD_FAILURE() << "no exception";
      } catch (const std::invalid_argument& error) {
        EXPECT_EQ(error.what(), "TarvoFileNameManager::" + std::string(operation.name) + ": " +
                                    operation.rule.noun + " " + std::to_string(n) + " is outside 0.." +
                                    std::to_string(operation.rule.largest));
      }
    }
  }
}

}  // namespace
}  // namespace tarvo::model_container
