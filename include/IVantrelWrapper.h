// IVantrelWrapper: the host's way to the Vantrel utility backend and the Tarvo file-name service.
//
// Hosts are compiled separately and call every operation by its position in the dispatch table, so
// the order below is the binary interface: operations are never reordered, removed or inserted. Each
// virtual carries its slot number.
//
// Life cycle
//   IVantrelWrapper* w = IVantrelWrapper::CreateInstance();  // or CreateFileNameManager()
//   w->LoadObject();                                          // binds a new Vantrel backend object
//   ... operations ...
//   IVantrelWrapper::Destroy(w);                              // never `delete w`
//   Objects come only from the two factories and go only to the static Destroy; Destroy(nullptr)
//   does nothing. Operations of slots 2 to 26 need a bound wrapper and otherwise raise
//   tarvo::NullReferenceError; the file-name getters (slots 27 to 67) and Destroy(list) never do.
//
// Ownership across the interface
//   - std::string arguments are taken by value: the callee owns them for the call and keeps nothing.
//   - Every returned std::string is a new object owned by the host.
//   - GetFileList returns a heap-allocated std::vector<std::string*> whose elements are
//     heap-allocated strings, never null. The host owns the list and every string in it and
//     releases them together, exactly once, with Destroy(list) (slot 1) of any wrapper, bound or
//     not; never with delete. Destroy(list) skips null elements and ignores a null list.
//   - Host and library must be built against one C++ standard library and share one heap.
//
// Text
//   Byte strings are text in the process's narrow encoding: on POSIX the codeset of the locale that
//   LC_ALL, LC_CTYPE or LANG selects (the plain C locale is read as UTF-8). Arguments are passed on
//   up to their first NUL byte. Characters that the encoding cannot represent come back as '?'.
//
// Failures
//   Nothing is caught or translated: what a backend, a conversion or an allocation raises reaches
//   the host unchanged, and the wrapper is left as it was. See BridgeErrors.h.
#ifndef VANTREL_BRIDGE_IVANTRELWRAPPER_H
#define VANTREL_BRIDGE_IVANTRELWRAPPER_H

#include <string>
#include <vector>

#include "BridgeErrors.h"

class VANTREL_BRIDGE_API IVantrelWrapper {
 public:
  static IVantrelWrapper* CreateInstance();
  static IVantrelWrapper* CreateFileNameManager();
  static void Destroy(IVantrelWrapper* instance);

  // Binding and string lists.
  /*  0 */ virtual void LoadObject() = 0;
  /*  1 */ virtual void Destroy(std::vector<std::string*>* list) = 0;

  // Test hooks: TestSet and TestGet write and read the backend object's TestString, shared by every
  // wrapper that shares the object.
  /*  2 */ virtual bool Test(std::string message) = 0;
  /*  3 */ virtual void TestSet(std::string message) = 0;
  /*  4 */ virtual std::string TestGet() = 0;

  // Forwarded to the bound Vantrel object. Copy, CopySimple, CopySimpleKerno, Delete and Rename
  // answer exactly 1 (true) or 0 (false).
  /*  5 */ virtual void Xsl2Xslx(std::string fromFName, std::string toFName) = 0;
  /*  6 */ virtual std::string EcryptString(std::string plainText, std::string key) = 0;
  /*  7 */ virtual std::string DcryptString(std::string encrypted, std::string key) = 0;
  /*  8 */ virtual int Copy(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                            std::string sourcePathFileName, std::string targetPathFileName,
                            int copyAction) = 0;
  /*  9 */ virtual int CopySimple(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                                  std::string sourcePathFileName, std::string targetPathFileName) = 0;
  /* 10 */ virtual int CopySimpleKerno(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                                       std::string sourcePathFileName, std::string targetPathFileName) = 0;
  /* 11 */ virtual int Delete(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                              std::string targetPathFileName) = 0;
  /* 12 */ virtual int Rename(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                              std::string sourcePathFileName, std::string targetPathFileName) = 0;
  /* 13 */ virtual std::string Open(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                                    std::string targetPathFileName, int openAction) = 0;
  /* 14 */ virtual std::vector<std::string*>* GetFileList(std::string targetPath, bool isAbsolute,
                                                          std::string filter) = 0;
  /* 15 */ virtual bool CloseExcel(std::string modelPath, std::string analyticsPath, bool isAbsolute,
                                   std::string moniker) = 0;
  /* 16 */ virtual bool CloseAnalyticsFiles(std::string modelPath, std::string analyticsPath,
                                            bool isAbsolute) = 0;
  /* 17 */ virtual std::string LoadText(std::string pathFileName) = 0;
  /* 18 */ virtual bool IsMsOleDbSqlInstalled() = 0;
  /* 19 */ virtual bool IsBrevikInstalled() = 0;
  /* 20 */ virtual int OpenAndWait(std::string pathFilename, std::string params) = 0;
  /* 21 */ virtual std::string GetEnvUserName() = 0;
  /* 22 */ virtual std::string GetEnvUserDomain() = 0;
  /* 23 */ virtual std::string GetEnvMachineDomain() = 0;
  /* 24 */ virtual std::string GetEnvMachineName() = 0;
  // inText is read up to its NUL; a null pointer raises tarvo::NullReferenceError.
  /* 25 */ virtual std::string CaesarCipher12Net(const char* inText, bool bEncrypt) = 0;
  // Reads exactly nCount elements of xArray and yArray and never writes them; the backend writes
  // dY and dYbydX. A negative nCount raises std::overflow_error, a null array with nCount > 0
  // tarvo::NullReferenceError, before anything is read.
  /* 26 */ virtual int Interpolate(double* xArray, double* yArray, int nCount, double dX, double& dY,
                                   double& dYbydX) = 0;

  // Model file names, answered by the file-name service; they need no LoadObject and answer alike
  // on bound and unbound wrappers. A number the naming scheme has no name for (negative, or above
  // 99999 for case numbers and 999 for the others) raises std::invalid_argument. README.md lists
  // every name.
  /* 27 */ virtual std::string GetSolutionFileName(int basisNumber) = 0;
  /* 28 */ virtual std::string GetXSLPOptionsMPIFileName() = 0;
  /* 29 */ virtual std::string GetXSLPOptionsSTDFileName() = 0;
  /* 30 */ virtual std::string GetXSLPOptionsMSFileName() = 0;
  /* 31 */ virtual std::string GetXSLPOptionsPAFileName() = 0;
  /* 32 */ virtual std::string GetXpressbssFileNameInternal(int rankNumber) = 0;
  /* 33 */ virtual std::string GetXpressbssFileNameExternal(int solutionNumber) = 0;
  /* 34 */ virtual std::string GetXmpsNewFileName(int caseNumber) = 0;
  /* 35 */ virtual std::string GetxmpsFileName(int caseNumber) = 0;
  /* 36 */ virtual std::string GetMS_BestbssFileName(int rankNumber) = 0;
  /* 37 */ virtual std::string GetMS_BestxlpFileName(int rankNumber) = 0;
  /* 38 */ virtual std::string GetXSLPAbmlLogFileName(int caseNumber) = 0;
  /* 39 */ virtual std::string GetXSLPEqnsLogFileName(int caseNumber) = 0;
  /* 40 */ virtual std::string GetEpsilonGen1FileName(int rankNumber) = 0;
  /* 41 */ virtual std::string GetEpsilonGen2AFileName(int rankNumber) = 0;
  /* 42 */ virtual std::string GetEpsilonGen2BFileName(int rankNumber) = 0;
  /* 43 */ virtual std::string GetXLPFileName(int caseNumber) = 0;
  /* 44 */ virtual std::string GetFilFileName(int caseNumber) = 0;
  /* 45 */ virtual std::string GetMapFileName(int caseNumber) = 0;
  /* 46 */ virtual std::string GetPartialFilFileName(int caseNumber) = 0;
  /* 47 */ virtual std::string GetPartialMapFileName(int caseNumber) = 0;
  /* 48 */ virtual std::string GetWarnFileName(int caseNumber) = 0;
  /* 49 */ virtual std::string GetCaseInfoFileName() = 0;
  /* 50 */ virtual std::string GetCaseNumberAsFormattedString(int caseNumber) = 0;
  /* 51 */ virtual std::string GetPenaltyDatFileName(int caseNumber) = 0;
  /* 52 */ virtual std::string GetXLPMGErrorsFileName(int caseNumber) = 0;
  /* 53 */ virtual std::string GetSolutionFilFileName(int caseNumber) = 0;
  /* 54 */ virtual std::string GetMarginalSolutionFilFileName(int caseNumber) = 0;
  /* 55 */ virtual std::string GetRecursionFilFileName(int caseNumber) = 0;
  /* 56 */ virtual std::string GetPVTWDatFileName(int caseNumber) = 0;
  /* 57 */ virtual std::string GetPguessAOFileName(int caseNumber) = 0;
  /* 58 */ virtual std::string GetCaseDbResultFileName(int caseNumber) = 0;
  /* 59 */ virtual std::string GetTrXlptcFileName(int caseNumber) = 0;
  /* 60 */ virtual std::string GetTrancolReportFileName(int caseNumber) = 0;
  // Aliases: each answers exactly what its target slot (27, 59, 60) answers on the same object.
  /* 61 */ virtual std::string GetXNLPSolutionFileName(int basisNumber) = 0;
  /* 62 */ virtual std::string GetTrancolXlptcFileName(int caseNumber) = 0;
  /* 63 */ virtual std::string GetTrancolRptFileName(int caseNumber) = 0;
  /* 64 */ virtual std::string GetMS_BestTrXlptcFileName() = 0;
  /* 65 */ virtual std::string GetMS_BestTrXlptcFileName(int rankNumber) = 0;
  /* 66 */ virtual std::string GetMS_BestTrancolReportFileName() = 0;
  /* 67 */ virtual std::string GetMS_BestTrancolReportFileName(int rankNumber) = 0;

  // The interface holds no data; these only install or keep the dispatch table.
  IVantrelWrapper();
  IVantrelWrapper(const IVantrelWrapper& other);
  IVantrelWrapper(IVantrelWrapper&& other);
  IVantrelWrapper& operator=(const IVantrelWrapper& other);
  IVantrelWrapper& operator=(IVantrelWrapper&& other);
};

#endif  // VANTREL_BRIDGE_IVANTRELWRAPPER_H
