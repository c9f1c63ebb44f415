#include "model_container/tarvo_file_name_manager.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace tarvo::model_container {
namespace {

// How one kind of number appears in a name: the key word, the noun used in errors, and a fixed
// width, so names of one kind sort by number in a plain directory listing.
struct NumberRule {
  const char* key;
  const char* noun;
  int largest;
  std::size_t digits;
};

constexpr NumberRule kCase{"case", "case number", TarvoFileNameManager::kLargestCaseNumber, 5};
constexpr NumberRule kRank{"rank", "rank number", TarvoFileNameManager::kLargestSequenceNumber, 3};
constexpr NumberRule kBasis{"basis", "basis number", TarvoFileNameManager::kLargestSequenceNumber, 3};
constexpr NumberRule kSolution{"solution", "solution number", TarvoFileNameManager::kLargestSequenceNumber,
                               3};

// Refusing, rather than clamping or widening, keeps every name of one rule at one width and
// keeps two numbers from ever sharing a name.
std::string Digits(const char* operation, const NumberRule& rule, int number) {
  if (number < 0 || number > rule.largest) {
    throw std::invalid_argument(std::string("TarvoFileNameManager::") + operation + ": " + rule.noun + " " +
                                std::to_string(number) + " is outside 0.." + std::to_string(rule.largest));
  }
  const std::string digits = std::to_string(number);
  return std::string(rule.digits - digits.size(), '0') + digits;
}

// Names are plain ASCII, which is the same code units in UTF-16.
Text AsText(std::string_view ascii) {
  return Text(std::u16string(ascii.begin(), ascii.end()));
}

// <key>_<digits><rest>, where rest is "_<what>.<ext>" or just ".<ext>".
Text Numbered(const char* operation, const NumberRule& rule, int number, std::string_view rest) {
  std::string name = std::string(rule.key) + "_" + Digits(operation, rule, number);
  name += rest;
  return AsText(name);
}

}  // namespace

using Manager = TarvoFileNameManager;

// __func__ names the operation in errors, so a message always points at the operation called.

// clang-format off
Text Manager::GetXSLPOptionsMPIFileName() { return AsText("xslp_options_mpi.opt"); }
Text Manager::GetXSLPOptionsSTDFileName() { return AsText("xslp_options_std.opt"); }
Text Manager::GetXSLPOptionsMSFileName() { return AsText("xslp_options_ms.opt"); }
Text Manager::GetXSLPOptionsPAFileName() { return AsText("xslp_options_pa.opt"); }
Text Manager::GetCaseInfoFileName() { return AsText("caseinfo.dat"); }

Text Manager::GetSolutionFileName(int basisNumber) { return Numbered(__func__, kBasis, basisNumber, ".sol"); }
Text Manager::GetXpressbssFileNameInternal(int rankNumber) { return Numbered(__func__, kRank, rankNumber, "_xpress.bss"); }
Text Manager::GetXpressbssFileNameExternal(int solutionNumber) { return Numbered(__func__, kSolution, solutionNumber, "_xpress.bss"); }
Text Manager::GetMS_BestbssFileName(int rankNumber) { return Numbered(__func__, kRank, rankNumber, "_ms_best.bss"); }
Text Manager::GetMS_BestxlpFileName(int rankNumber) { return Numbered(__func__, kRank, rankNumber, "_ms_best.xlp"); }
Text Manager::GetEpsilonGen1FileName(int rankNumber) { return Numbered(__func__, kRank, rankNumber, "_epsilon_gen1.eps"); }
Text Manager::GetEpsilonGen2AFileName(int rankNumber) { return Numbered(__func__, kRank, rankNumber, "_epsilon_gen2a.eps"); }
Text Manager::GetEpsilonGen2BFileName(int rankNumber) { return Numbered(__func__, kRank, rankNumber, "_epsilon_gen2b.eps"); }
Text Manager::GetMS_BestTrXlptcFileName() { return AsText("ms_best_tr.xlptc"); }
Text Manager::GetMS_BestTrXlptcFileName(int rankNumber) { return Numbered(__func__, kRank, rankNumber, "_ms_best_tr.xlptc"); }
Text Manager::GetMS_BestTrancolReportFileName() { return AsText("ms_best_trancol.rpt"); }
Text Manager::GetMS_BestTrancolReportFileName(int rankNumber) { return Numbered(__func__, kRank, rankNumber, "_ms_best_trancol.rpt"); }

Text Manager::GetCaseNumberAsFormattedString(int caseNumber) { return AsText(Digits(__func__, kCase, caseNumber)); }
Text Manager::GetXmpsNewFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_new.xmps"); }
Text Manager::GetxmpsFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, ".xmps"); }
Text Manager::GetXSLPAbmlLogFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_xslp_abml.log"); }
Text Manager::GetXSLPEqnsLogFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_xslp_eqns.log"); }
Text Manager::GetXLPFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, ".xlp"); }
Text Manager::GetFilFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, ".fil"); }
Text Manager::GetMapFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, ".map"); }
Text Manager::GetPartialFilFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_partial.fil"); }
Text Manager::GetPartialMapFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_partial.map"); }
Text Manager::GetWarnFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_warnings.log"); }
Text Manager::GetPenaltyDatFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_penalty.dat"); }
Text Manager::GetXLPMGErrorsFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_xlpmg_errors.log"); }
Text Manager::GetSolutionFilFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_solution.fil"); }
Text Manager::GetMarginalSolutionFilFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_marginal_solution.fil"); }
Text Manager::GetRecursionFilFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_recursion.fil"); }
Text Manager::GetPVTWDatFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_pvtw.dat"); }
Text Manager::GetPguessAOFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_pguess_ao.dat"); }
Text Manager::GetCaseDbResultFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_casedb_result.dat"); }
Text Manager::GetTrXlptcFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_tr.xlptc"); }
Text Manager::GetTrancolReportFileName(int caseNumber) { return Numbered(__func__, kCase, caseNumber, "_trancol.rpt"); }
// clang-format on

}  // namespace tarvo::model_container
