#include <string>

#include "BridgeErrors.h"
#include "utility/vantrel_wrapper.h"

// Slots 27 to 67 need the file-name service, which this build does not have yet. The aliases
// already re-dispatch through their target's virtual slot.
#define NOT_AVAILABLE(getter) \
  throw tarvo::NotSupportedError(#getter ": the file-name service is not available")

// clang-format off
std::string VantrelWrapper::GetSolutionFileName(int) { NOT_AVAILABLE(GetSolutionFileName); }
std::string VantrelWrapper::GetXSLPOptionsMPIFileName() { NOT_AVAILABLE(GetXSLPOptionsMPIFileName); }
std::string VantrelWrapper::GetXSLPOptionsSTDFileName() { NOT_AVAILABLE(GetXSLPOptionsSTDFileName); }
std::string VantrelWrapper::GetXSLPOptionsMSFileName() { NOT_AVAILABLE(GetXSLPOptionsMSFileName); }
std::string VantrelWrapper::GetXSLPOptionsPAFileName() { NOT_AVAILABLE(GetXSLPOptionsPAFileName); }
std::string VantrelWrapper::GetXpressbssFileNameInternal(int) { NOT_AVAILABLE(GetXpressbssFileNameInternal); }
std::string VantrelWrapper::GetXpressbssFileNameExternal(int) { NOT_AVAILABLE(GetXpressbssFileNameExternal); }
std::string VantrelWrapper::GetXmpsNewFileName(int) { NOT_AVAILABLE(GetXmpsNewFileName); }
std::string VantrelWrapper::GetxmpsFileName(int) { NOT_AVAILABLE(GetxmpsFileName); }
std::string VantrelWrapper::GetMS_BestbssFileName(int) { NOT_AVAILABLE(GetMS_BestbssFileName); }
std::string VantrelWrapper::GetMS_BestxlpFileName(int) { NOT_AVAILABLE(GetMS_BestxlpFileName); }
std::string VantrelWrapper::GetXSLPAbmlLogFileName(int) { NOT_AVAILABLE(GetXSLPAbmlLogFileName); }
std::string VantrelWrapper::GetXSLPEqnsLogFileName(int) { NOT_AVAILABLE(GetXSLPEqnsLogFileName); }
std::string VantrelWrapper::GetEpsilonGen1FileName(int) { NOT_AVAILABLE(GetEpsilonGen1FileName); }
std::string VantrelWrapper::GetEpsilonGen2AFileName(int) { NOT_AVAILABLE(GetEpsilonGen2AFileName); }
std::string VantrelWrapper::GetEpsilonGen2BFileName(int) { NOT_AVAILABLE(GetEpsilonGen2BFileName); }
std::string VantrelWrapper::GetXLPFileName(int) { NOT_AVAILABLE(GetXLPFileName); }
std::string VantrelWrapper::GetFilFileName(int) { NOT_AVAILABLE(GetFilFileName); }
std::string VantrelWrapper::GetMapFileName(int) { NOT_AVAILABLE(GetMapFileName); }
std::string VantrelWrapper::GetPartialFilFileName(int) { NOT_AVAILABLE(GetPartialFilFileName); }
std::string VantrelWrapper::GetPartialMapFileName(int) { NOT_AVAILABLE(GetPartialMapFileName); }
std::string VantrelWrapper::GetWarnFileName(int) { NOT_AVAILABLE(GetWarnFileName); }
std::string VantrelWrapper::GetCaseInfoFileName() { NOT_AVAILABLE(GetCaseInfoFileName); }
std::string VantrelWrapper::GetCaseNumberAsFormattedString(int) { NOT_AVAILABLE(GetCaseNumberAsFormattedString); }
std::string VantrelWrapper::GetPenaltyDatFileName(int) { NOT_AVAILABLE(GetPenaltyDatFileName); }
std::string VantrelWrapper::GetXLPMGErrorsFileName(int) { NOT_AVAILABLE(GetXLPMGErrorsFileName); }
std::string VantrelWrapper::GetSolutionFilFileName(int) { NOT_AVAILABLE(GetSolutionFilFileName); }
std::string VantrelWrapper::GetMarginalSolutionFilFileName(int) { NOT_AVAILABLE(GetMarginalSolutionFilFileName); }
std::string VantrelWrapper::GetRecursionFilFileName(int) { NOT_AVAILABLE(GetRecursionFilFileName); }
std::string VantrelWrapper::GetPVTWDatFileName(int) { NOT_AVAILABLE(GetPVTWDatFileName); }
std::string VantrelWrapper::GetPguessAOFileName(int) { NOT_AVAILABLE(GetPguessAOFileName); }
std::string VantrelWrapper::GetCaseDbResultFileName(int) { NOT_AVAILABLE(GetCaseDbResultFileName); }
std::string VantrelWrapper::GetTrXlptcFileName(int) { NOT_AVAILABLE(GetTrXlptcFileName); }
std::string VantrelWrapper::GetTrancolReportFileName(int) { NOT_AVAILABLE(GetTrancolReportFileName); }
std::string VantrelWrapper::GetXNLPSolutionFileName(int basisNumber) { return GetSolutionFileName(basisNumber); }
std::string VantrelWrapper::GetTrancolXlptcFileName(int caseNumber) { return GetTrXlptcFileName(caseNumber); }
std::string VantrelWrapper::GetTrancolRptFileName(int caseNumber) { return GetTrancolReportFileName(caseNumber); }
std::string VantrelWrapper::GetMS_BestTrXlptcFileName() { NOT_AVAILABLE(GetMS_BestTrXlptcFileName); }
std::string VantrelWrapper::GetMS_BestTrXlptcFileName(int) { NOT_AVAILABLE(GetMS_BestTrXlptcFileName); }
std::string VantrelWrapper::GetMS_BestTrancolReportFileName() { NOT_AVAILABLE(GetMS_BestTrancolReportFileName); }
std::string VantrelWrapper::GetMS_BestTrancolReportFileName(int) { NOT_AVAILABLE(GetMS_BestTrancolReportFileName); }
// clang-format on
