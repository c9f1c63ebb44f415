// The file and document operations of the Vantrel stand-in.
#include "vantrel/not_implemented.h"
#include "vantrel/vantrel.h"

namespace tarvo::backend {

// clang-format off
bool Vantrel::Copy(const Text&, const Text&, bool, const Text&, const Text&, int) { NotImplementedYet("Copy"); }
bool Vantrel::CopySimple(const Text&, const Text&, bool, const Text&, const Text&) { NotImplementedYet("CopySimple"); }
bool Vantrel::CopySimpleKerno(const Text&, const Text&, bool, const Text&, const Text&) { NotImplementedYet("CopySimpleKerno"); }
bool Vantrel::Delete(const Text&, const Text&, bool, const Text&) { NotImplementedYet("Delete"); }
bool Vantrel::Rename(const Text&, const Text&, bool, const Text&, const Text&) { NotImplementedYet("Rename"); }
Text Vantrel::Open(const Text&, const Text&, bool, const Text&, int) { NotImplementedYet("Open"); }
Array<Text> Vantrel::GetFileList(const Text&, bool, const Text&) { NotImplementedYet("GetFileList"); }
bool Vantrel::CloseExcel(const Text&, const Text&, bool, const Text&) { NotImplementedYet("CloseExcel"); }
bool Vantrel::CloseAnalyticsFiles(const Text&, const Text&, bool) { NotImplementedYet("CloseAnalyticsFiles"); }
Text Vantrel::LoadText(const Text&) { NotImplementedYet("LoadText"); }
int Vantrel::OpenAndWait(const Text&, const Text&) { NotImplementedYet("OpenAndWait"); }
void Vantrel::Xsl2Xslx(const Text&, const Text&) { NotImplementedYet("Xsl2Xslx"); }
// clang-format on

}  // namespace tarvo::backend
