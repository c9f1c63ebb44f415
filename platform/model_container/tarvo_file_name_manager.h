// TarvoFileNameManager: the model container's file-name service. It names the files that belong to
// a model's cases (options, logs, reports, solution and result files) and never touches the disk.
//
// Every name is flat (no folder part), lower-case ASCII letters, digits, '_' and one '.', so it is
// the same on every file system, case-insensitive ones included:
//   fixed names           <what>.<ext>                        xslp_options_mpi.opt
//   numbered names        <key>[_<what>].<ext>                case_00042_partial.fil, rank_007_ms_best.bss
//   with the key          case_NNNNN      case number 0..99999, five digits (GetCaseNumberAsFormattedString)
//                         rank_NNN        rank number 0..999, three digits
//                         basis_NNN       basis number 0..999, three digits
//                         solution_NNN    solution number 0..999, three digits
// A number outside its range raises std::invalid_argument naming the operation and the number;
// nothing is clamped or wrapped, so two different numbers never share a name.
#ifndef TARVO_MODEL_CONTAINER_TARVO_FILE_NAME_MANAGER_H
#define TARVO_MODEL_CONTAINER_TARVO_FILE_NAME_MANAGER_H

#include "platform_export.h"
#include "runtime/text.h"

namespace tarvo::model_container {

using runtime::Text;

class TARVO_PLATFORM_API TarvoFileNameManager {
 public:
  TarvoFileNameManager() = delete;  // static operations only

  // Fixed names (the two MS_Best forms without a number stand next to their numbered forms).
  static Text GetXSLPOptionsMPIFileName();
  static Text GetXSLPOptionsSTDFileName();
  static Text GetXSLPOptionsMSFileName();
  static Text GetXSLPOptionsPAFileName();
  static Text GetCaseInfoFileName();

  // Keyed by basis, rank or solution number.
  static Text GetSolutionFileName(int basisNumber);
  static Text GetXpressbssFileNameInternal(int rankNumber);
  static Text GetXpressbssFileNameExternal(int solutionNumber);
  static Text GetMS_BestbssFileName(int rankNumber);
  static Text GetMS_BestxlpFileName(int rankNumber);
  static Text GetEpsilonGen1FileName(int rankNumber);
  static Text GetEpsilonGen2AFileName(int rankNumber);
  static Text GetEpsilonGen2BFileName(int rankNumber);
  static Text GetMS_BestTrXlptcFileName();
  static Text GetMS_BestTrXlptcFileName(int rankNumber);
  static Text GetMS_BestTrancolReportFileName();
  static Text GetMS_BestTrancolReportFileName(int rankNumber);

  // Keyed by case number. GetCaseNumberAsFormattedString is the case part of every one of them.
  static Text GetCaseNumberAsFormattedString(int caseNumber);
  static Text GetXmpsNewFileName(int caseNumber);
  static Text GetxmpsFileName(int caseNumber);
  static Text GetXSLPAbmlLogFileName(int caseNumber);
  static Text GetXSLPEqnsLogFileName(int caseNumber);
  static Text GetXLPFileName(int caseNumber);
  static Text GetFilFileName(int caseNumber);
  static Text GetMapFileName(int caseNumber);
  static Text GetPartialFilFileName(int caseNumber);
  static Text GetPartialMapFileName(int caseNumber);
  static Text GetWarnFileName(int caseNumber);
  static Text GetPenaltyDatFileName(int caseNumber);
  static Text GetXLPMGErrorsFileName(int caseNumber);
  static Text GetSolutionFilFileName(int caseNumber);
  static Text GetMarginalSolutionFilFileName(int caseNumber);
  static Text GetRecursionFilFileName(int caseNumber);
  static Text GetPVTWDatFileName(int caseNumber);
  static Text GetPguessAOFileName(int caseNumber);
  static Text GetCaseDbResultFileName(int caseNumber);
  static Text GetTrXlptcFileName(int caseNumber);
  static Text GetTrancolReportFileName(int caseNumber);

  // The largest numbers the scheme names; 0 is the smallest of each.
  static constexpr int kLargestCaseNumber = 99999;
  static constexpr int kLargestSequenceNumber = 999;  // rank, basis and solution numbers
};

}  // namespace tarvo::model_container

#endif  // TARVO_MODEL_CONTAINER_TARVO_FILE_NAME_MANAGER_H
