// Slots 27 to 67: model file names, answered by the model container's file-name service. The
// getters never touch the backend reference, so they work the same on bound and unbound wrappers.
#include <string>

#include "interop/util.h"
#include "model_container/tarvo_file_name_manager.h"
#include "utility/vantrel_wrapper.h"

// FILE_NAME(Getter, number) defines VantrelWrapper::Getter(int number) as one call of the service
// operation of the same name; FILE_NAME(Getter) the form without a number. Taking the name once
// keeps a getter from reaching a differently named operation, and the overloads from reaching
// each other's form.
#define FILE_NAME(getter, ...)                                                \
  std::string VantrelWrapper::getter(__VA_OPT__(int __VA_ARGS__)) {           \
    return ::tarvo::interop::Util::SystemToStdString(                         \
        ::tarvo::model_container::TarvoFileNameManager::getter(__VA_ARGS__)); \
  }

// clang-format off
/* 27 */ FILE_NAME(GetSolutionFileName, basisNumber)
/* 28 */ FILE_NAME(GetXSLPOptionsMPIFileName)
/* 29 */ FILE_NAME(GetXSLPOptionsSTDFileName)
/* 30 */ FILE_NAME(GetXSLPOptionsMSFileName)
/* 31 */ FILE_NAME(GetXSLPOptionsPAFileName)
/* 32 */ FILE_NAME(GetXpressbssFileNameInternal, rankNumber)
/* 33 */ FILE_NAME(GetXpressbssFileNameExternal, solutionNumber)
/* 34 */ FILE_NAME(GetXmpsNewFileName, caseNumber)
/* 35 */ FILE_NAME(GetxmpsFileName, caseNumber)
/* 36 */ FILE_NAME(GetMS_BestbssFileName, rankNumber)
/* 37 */ FILE_NAME(GetMS_BestxlpFileName, rankNumber)
/* 38 */ FILE_NAME(GetXSLPAbmlLogFileName, caseNumber)
/* 39 */ FILE_NAME(GetXSLPEqnsLogFileName, caseNumber)
/* 40 */ FILE_NAME(GetEpsilonGen1FileName, rankNumber)
/* 41 */ FILE_NAME(GetEpsilonGen2AFileName, rankNumber)
/* 42 */ FILE_NAME(GetEpsilonGen2BFileName, rankNumber)
/* 43 */ FILE_NAME(GetXLPFileName, caseNumber)
/* 44 */ FILE_NAME(GetFilFileName, caseNumber)
/* 45 */ FILE_NAME(GetMapFileName, caseNumber)
/* 46 */ FILE_NAME(GetPartialFilFileName, caseNumber)
/* 47 */ FILE_NAME(GetPartialMapFileName, caseNumber)
/* 48 */ FILE_NAME(GetWarnFileName, caseNumber)
/* 49 */ FILE_NAME(GetCaseInfoFileName)
/* 50 */ FILE_NAME(GetCaseNumberAsFormattedString, caseNumber)
/* 51 */ FILE_NAME(GetPenaltyDatFileName, caseNumber)
/* 52 */ FILE_NAME(GetXLPMGErrorsFileName, caseNumber)
/* 53 */ FILE_NAME(GetSolutionFilFileName, caseNumber)
/* 54 */ FILE_NAME(GetMarginalSolutionFilFileName, caseNumber)
/* 55 */ FILE_NAME(GetRecursionFilFileName, caseNumber)
/* 56 */ FILE_NAME(GetPVTWDatFileName, caseNumber)
/* 57 */ FILE_NAME(GetPguessAOFileName, caseNumber)
/* 58 */ FILE_NAME(GetCaseDbResultFileName, caseNumber)
/* 59 */ FILE_NAME(GetTrXlptcFileName, caseNumber)
/* 60 */ FILE_NAME(GetTrancolReportFileName, caseNumber)
// The aliases make an unqualified, hence virtual, call of their target, so a class derived from
// VantrelWrapper that overrides the target changes the alias too; they never call the service.
/* 61 */ std::string VantrelWrapper::GetXNLPSolutionFileName(int basisNumber) { return GetSolutionFileName(basisNumber); }
/* 62 */ std::string VantrelWrapper::GetTrancolXlptcFileName(int caseNumber) { return GetTrXlptcFileName(caseNumber); }
/* 63 */ std::string VantrelWrapper::GetTrancolRptFileName(int caseNumber) { return GetTrancolReportFileName(caseNumber); }
/* 64 */ FILE_NAME(GetMS_BestTrXlptcFileName)
/* 65 */ FILE_NAME(GetMS_BestTrXlptcFileName, rankNumber)
/* 66 */ FILE_NAME(GetMS_BestTrancolReportFileName)
/* 67 */ FILE_NAME(GetMS_BestTrancolReportFileName, rankNumber)
// clang-format on
