// VantrelWrapper: the implementation of IVantrelWrapper. Exported, so that hosts and tests may
// derive from it; its one field is the reference to the bound Vantrel object.
#ifndef TARVO_UTILITY_VANTREL_WRAPPER_H
#define TARVO_UTILITY_VANTREL_WRAPPER_H

#include <string>
#include <vector>

#include "IVantrelWrapper.h"
#include "interop/backend_ref.h"
#include "vantrel/vantrel.h"

namespace tarvo::bridge {
struct WrapperAccess;
}

class VANTREL_BRIDGE_API VantrelWrapper : public IVantrelWrapper {
 public:
  VantrelWrapper();
  VantrelWrapper(const VantrelWrapper& other);
  VantrelWrapper(VantrelWrapper&& other);  // shares the object; `other` keeps it too
  VantrelWrapper& operator=(const VantrelWrapper& other);
  VantrelWrapper& operator=(VantrelWrapper&& other);
  ~VantrelWrapper();

  /*  0 */ void LoadObject() override;
  /*  1 */ void Destroy(std::vector<std::string*>* list) override;

  /*  2 */ bool Test(std::string message) override;
  /*  3 */ void TestSet(std::string message) override;
  /*  4 */ std::string TestGet() override;

  /*  5 */ void Xsl2Xslx(std::string fromFName, std::string toFName) override;
  /*  6 */ std::string EcryptString(std::string plainText, std::string key) override;
  /*  7 */ std::string DcryptString(std::string encrypted, std::string key) override;
  /*  8 */ int Copy(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                    std::string sourcePathFileName, std::string targetPathFileName, int copyAction) override;
  /*  9 */ int CopySimple(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                          std::string sourcePathFileName, std::string targetPathFileName) override;
  /* 10 */ int CopySimpleKerno(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                               std::string sourcePathFileName, std::string targetPathFileName) override;
  /* 11 */ int Delete(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                      std::string targetPathFileName) override;
  /* 12 */ int Rename(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                      std::string sourcePathFileName, std::string targetPathFileName) override;
  /* 13 */ std::string Open(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                            std::string targetPathFileName, int openAction) override;
  /* 14 */ std::vector<std::string*>* GetFileList(std::string targetPath, bool isAbsolute,
                                                  std::string filter) override;
  /* 15 */ bool CloseExcel(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                           std::string moniker) override;
  /* 16 */ bool CloseAnalyticsFiles(std::string modelPath, std::string analyticsPath,
                                    bool isAbsolute) override;
  /* 17 */ std::string LoadText(std::string pathFileName) override;
  /* 18 */ bool IsMsOleDbSqlInstalled() override;
  /* 19 */ bool IsBrevikInstalled() override;
  /* 20 */ int OpenAndWait(std::string pathFilename, std::string params) override;
  /* 21 */ std::string GetEnvUserName() override;
  /* 22 */ std::string GetEnvUserDomain() override;
  /* 23 */ std::string GetEnvMachineDomain() override;
  /* 24 */ std::string GetEnvMachineName() override;
  /* 25 */ std::string CaesarCipher12Net(const char* inText, bool bEncrypt) override;
  /* 26 */ int Interpolate(double* xArray, double* yArray, int nCount, double dX, double& dY,
                           double& dYbydX) override;

  /* 27 */ std::string GetSolutionFileName(int basisNumber) override;
  /* 28 */ std::string GetXSLPOptionsMPIFileName() override;
  /* 29 */ std::string GetXSLPOptionsSTDFileName() override;
  /* 30 */ std::string GetXSLPOptionsMSFileName() override;
  /* 31 */ std::string GetXSLPOptionsPAFileName() override;
  /* 32 */ std::string GetXpressbssFileNameInternal(int rankNumber) override;
  /* 33 */ std::string GetXpressbssFileNameExternal(int solutionNumber) override;
  /* 34 */ std::string GetXmpsNewFileName(int caseNumber) override;
  /* 35 */ std::string GetxmpsFileName(int caseNumber) override;
  /* 36 */ std::string GetMS_BestbssFileName(int rankNumber) override;
  /* 37 */ std::string GetMS_BestxlpFileName(int rankNumber) override;
  /* 38 */ std::string GetXSLPAbmlLogFileName(int caseNumber) override;
  /* 39 */ std::string GetXSLPEqnsLogFileName(int caseNumber) override;
  /* 40 */ std::string GetEpsilonGen1FileName(int rankNumber) override;
  /* 41 */ std::string GetEpsilonGen2AFileName(int rankNumber) override;
  /* 42 */ std::string GetEpsilonGen2BFileName(int rankNumber) override;
  /* 43 */ std::string GetXLPFileName(int caseNumber) override;
  /* 44 */ std::string GetFilFileName(int caseNumber) override;
  /* 45 */ std::string GetMapFileName(int caseNumber) override;
  /* 46 */ std::string GetPartialFilFileName(int caseNumber) override;
  /* 47 */ std::string GetPartialMapFileName(int caseNumber) override;
  /* 48 */ std::string GetWarnFileName(int caseNumber) override;
  /* 49 */ std::string GetCaseInfoFileName() override;
  /* 50 */ std::string GetCaseNumberAsFormattedString(int caseNumber) override;
  /* 51 */ std::string GetPenaltyDatFileName(int caseNumber) override;
  /* 52 */ std::string GetXLPMGErrorsFileName(int caseNumber) override;
  /* 53 */ std::string GetSolutionFilFileName(int caseNumber) override;
  /* 54 */ std::string GetMarginalSolutionFilFileName(int caseNumber) override;
  /* 55 */ std::string GetRecursionFilFileName(int caseNumber) override;
  /* 56 */ std::string GetPVTWDatFileName(int caseNumber) override;
  /* 57 */ std::string GetPguessAOFileName(int caseNumber) override;
  /* 58 */ std::string GetCaseDbResultFileName(int caseNumber) override;
  /* 59 */ std::string GetTrXlptcFileName(int caseNumber) override;
  /* 60 */ std::string GetTrancolReportFileName(int caseNumber) override;
  /* 61 */ std::string GetXNLPSolutionFileName(int basisNumber) override;
  /* 62 */ std::string GetTrancolXlptcFileName(int caseNumber) override;
  /* 63 */ std::string GetTrancolRptFileName(int caseNumber) override;
  /* 64 */ std::string GetMS_BestTrXlptcFileName() override;
  /* 65 */ std::string GetMS_BestTrXlptcFileName(int rankNumber) override;
  /* 66 */ std::string GetMS_BestTrancolReportFileName() override;
  /* 67 */ std::string GetMS_BestTrancolReportFileName(int rankNumber) override;

 private:
  friend struct tarvo::bridge::WrapperAccess;

  tarvo::interop::BackendRef<tarvo::backend::Vantrel> backend_;
};

#endif  // TARVO_UTILITY_VANTREL_WRAPPER_H
