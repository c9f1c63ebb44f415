// A host's view of slots 27 to 67: only the public header and the shared library. Each getter is
// called through an IVantrelWrapper*, that is, by its position in the dispatch table, on a wrapper
// that was never bound, and must answer the name the README documents for case, rank, basis or
// solution number 42.
#include <gtest/gtest.h>

#include <climits>
#include <functional>
#include <stdexcept>
#include <string>
#include <vector>

#include "IVantrelWrapper.h"

namespace {

struct Slot {
  int slot;
  std::function<std::string(IVantrelWrapper&, int)> call;
  const char* nameFor42;
};

// clang-format off
#define NUMBERED(slot, getter, name) Slot{slot, [](IVantrelWrapper& w, int n) { return w.getter(n); }, name}
#define FIXED(slot, getter, name) Slot{slot, [](IVantrelWrapper& w, int) { return w.getter(); }, name}

const std::vector<Slot> kSlots = {
    NUMBERED(27, GetSolutionFileName, "basis_042.sol"),
    FIXED(28, GetXSLPOptionsMPIFileName, "xslp_options_mpi.opt"),
    FIXED(29, GetXSLPOptionsSTDFileName, "xslp_options_std.opt"),
    FIXED(30, GetXSLPOptionsMSFileName, "xslp_options_ms.opt"),
    FIXED(31, GetXSLPOptionsPAFileName, "xslp_options_pa.opt"),
    NUMBERED(32, GetXpressbssFileNameInternal, "rank_042_xpress.bss"),
    NUMBERED(33, GetXpressbssFileNameExternal, "solution_042_xpress.bss"),
    NUMBERED(34, GetXmpsNewFileName, "case_00042_new.xmps"),
    NUMBERED(35, GetxmpsFileName, "case_00042.xmps"),
    NUMBERED(36, GetMS_BestbssFileName, "rank_042_ms_best.bss"),
    NUMBERED(37, GetMS_BestxlpFileName, "rank_042_ms_best.xlp"),
    NUMBERED(38, GetXSLPAbmlLogFileName, "case_00042_xslp_abml.log"),
    NUMBERED(39, GetXSLPEqnsLogFileName, "case_00042_xslp_eqns.log"),
    NUMBERED(40, GetEpsilonGen1FileName, "rank_042_epsilon_gen1.eps"),
    NUMBERED(41, GetEpsilonGen2AFileName, "rank_042_epsilon_gen2a.eps"),
    NUMBERED(42, GetEpsilonGen2BFileName, "rank_042_epsilon_gen2b.eps"),
    NUMBERED(43, GetXLPFileName, "case_00042.xlp"),
    NUMBERED(44, GetFilFileName, "case_00042.fil"),
    NUMBERED(45, GetMapFileName, "case_00042.map"),
    NUMBERED(46, GetPartialFilFileName, "case_00042_partial.fil"),
    NUMBERED(47, GetPartialMapFileName, "case_00042_partial.map"),
    NUMBERED(48, GetWarnFileName, "case_00042_warnings.log"),
    FIXED(49, GetCaseInfoFileName, "caseinfo.dat"),
    NUMBERED(50, GetCaseNumberAsFormattedString, "00042"),
    NUMBERED(51, GetPenaltyDatFileName, "case_00042_penalty.dat"),
    NUMBERED(52, GetXLPMGErrorsFileName, "case_00042_xlpmg_errors.log"),
    NUMBERED(53, GetSolutionFilFileName, "case_00042_solution.fil"),
    NUMBERED(54, GetMarginalSolutionFilFileName, "case_00042_marginal_solution.fil"),
    NUMBERED(55, GetRecursionFilFileName, "case_00042_recursion.fil"),
    NUMBERED(56, GetPVTWDatFileName, "case_00042_pvtw.dat"),
    NUMBERED(57, GetPguessAOFileName, "case_00042_pguess_ao.dat"),
    NUMBERED(58, GetCaseDbResultFileName, "case_00042_casedb_result.dat"),
    NUMBERED(59, GetTrXlptcFileName, "case_00042_tr.xlptc"),
    NUMBERED(60, GetTrancolReportFileName, "case_00042_trancol.rpt"),
    NUMBERED(61, GetXNLPSolutionFileName, "basis_042.sol"),
    NUMBERED(62, GetTrancolXlptcFileName, "case_00042_tr.xlptc"),
    NUMBERED(63, GetTrancolRptFileName, "case_00042_trancol.rpt"),
    FIXED(64, GetMS_BestTrXlptcFileName, "ms_best_tr.xlptc"),
    NUMBERED(65, GetMS_BestTrXlptcFileName, "rank_042_ms_best_tr.xlptc"),
    FIXED(66, GetMS_BestTrancolReportFileName, "ms_best_trancol.rpt"),
    NUMBERED(67, GetMS_BestTrancolReportFileName, "rank_042_ms_best_trancol.rpt"),
};
// clang-format on

class FileNameSlots : public ::testing::Test {
 protected:
  void TearDown() override { IVantrelWrapper::Destroy(wrapper); }
  std::string At(int slot, int number) { return kSlots.at(slot - 27).call(*wrapper, number); }
  IVantrelWrapper* wrapper = IVantrelWrapper::CreateFileNameManager();
};

TEST_F(FileNameSlots, EverySlotAnswersItsDocumentedName) {
  ASSERT_EQ(kSlots.size(), 41u);
  for (const Slot& slot : kSlots) {
    SCOPED_TRACE(slot.slot);
    EXPECT_EQ(At(slot.slot, 42), slot.nameFor42);
  }
}

TEST_F(FileNameSlots, AliasSlotsAnswerAsTheirTargets) {
  for (int n : {0, 1, 999}) {
    SCOPED_TRACE(n);
    EXPECT_EQ(At(61, n), At(27, n));
    EXPECT_EQ(At(62, n), At(59, n));
    EXPECT_EQ(At(63, n), At(60, n));
  }
}

TEST_F(FileNameSlots, NumbersOutsideTheSchemeRaiseInvalidArgumentAcrossTheBoundary) {
  struct Refusal {
    int slot;
    int number;
    const char* message;
  };
  const Refusal refusals[] = {
      {43, -1, "TarvoFileNameManager::GetXLPFileName: case number -1 is outside 0..99999"},
      {50, 100000,
       "TarvoFileNameManager::GetCaseNumberAsFormattedString: case number 100000 is outside 0..99999"},
      {61, INT_MIN, "TarvoFileNameManager::GetSolutionFileName: basis number -2147483648 is outside 0..999"},
      {65, 1000, "TarvoFileNameManager::GetMS_BestTrXlptcFileName: rank number 1000 is outside 0..999"},
  };
  for (const Refusal& refusal : refusals) {
    SCOPED_TRACE(refusal.slot);
    try {
      At(refusal.slot, refusal.number);
      ADD_FAILURE() << "no exception";
    } catch (const std::invalid_argument& error) {
      EXPECT_STREQ(error.what(), refusal.message);
    }
  }
}

}  // namespace
