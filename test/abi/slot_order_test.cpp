// The dispatch order of both interfaces as the compiler lays it out, compared with the committed
// table below. A host compiled against an earlier header calls by slot number, so moving,
// inserting or removing a virtual must fail here, naming the operation whose slot changed.
//
// On the Itanium C++ ABI (g++ and clang on Linux, and mingw-w64 on Windows, which uses it too), a
// pointer to a virtual member function holds 1 + the function's byte offset in the vtable; its
// address is never taken, so no function is called and no object is made.
#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <string>
#include <vector>

#include "IUnifiedTagsManagerWrapper.h"
#include "IVantrelWrapper.h"

namespace {

struct SlotEntry {
  int committedSlot;
  const char* operation;  // name and parameter types, as a reviewer reads them
  int compiledSlot;
};

#if defined(_MSC_VER)
// MSVC points to a thunk instead: its vtable offsets cannot be read from a member pointer.
constexpr bool kItaniumMemberPointers = false;
template <class MemberPointer>
int SlotOf(MemberPointer) {
  return -1;
}
#else
constexpr bool kItaniumMemberPointers = true;
template <class MemberPointer>
int SlotOf(MemberPointer member) {
  static_assert(sizeof(member) == 2 * sizeof(std::ptrdiff_t), "not an Itanium member function pointer");
  std::ptrdiff_t words[2];
  std::memcpy(words, &member, sizeof(words));
  // An even value would be the address of a non-virtual function.
  if ((words[0] & 1) == 0) return -1;
  return static_cast<int>((words[0] - 1) / static_cast<std::ptrdiff_t>(sizeof(void*)));
}
#endif

// The static_cast picks one overload and also fails to compile when the signature changed.
#define SLOT(number, Interface, Result, Name, Parameters)                                             \
  SlotEntry {                                                                                         \
    number, #Name #Parameters, SlotOf(static_cast<Result(Interface::*) Parameters>(&Interface::Name)) \
  }

using String = std::string;
using StringList = std::vector<std::string*>*;

#define V(number, Result, Name, Parameters) SLOT(number, IVantrelWrapper, Result, Name, Parameters)
const std::vector<SlotEntry>& UtilitySlots() {
  static const std::vector<SlotEntry> slots = {
      V(0, void, LoadObject, ()),
      V(1, void, Destroy, (StringList)),
      V(2, bool, Test, (String)),
      V(3, void, TestSet, (String)),
      V(4, String, TestGet, ()),
      V(5, void, Xsl2Xslx, (String, String)),
      V(6, String, EcryptString, (String, String)),
      V(7, String, DcryptString, (String, String)),
      V(8, int, Copy, (String, String, bool, String, String, int)),
      V(9, int, CopySimple, (String, String, bool, String, String)),
      V(10, int, CopySimpleKerno, (String, String, bool, String, String)),
      V(11, int, Delete, (String, String, bool, String)),
      V(12, int, Rename, (String, String, bool, String, String)),
      V(13, String, Open, (String, String, bool, String, int)),
      V(14, StringList, GetFileList, (String, bool, String)),
      V(15, bool, CloseExcel, (String, String, bool, String)),
      V(16, bool, CloseAnalyticsFiles, (String, String, bool)),
      V(17, String, LoadText, (String)),
      V(18, bool, IsMsOleDbSqlInstalled, ()),
      V(19, bool, IsBrevikInstalled, ()),
      V(20, int, OpenAndWait, (String, String)),
      V(21, String, GetEnvUserName, ()),
      V(22, String, GetEnvUserDomain, ()),
      V(23, String, GetEnvMachineDomain, ()),
      V(24, String, GetEnvMachineName, ()),
      V(25, String, CaesarCipher12Net, (const char*, bool)),
      V(26, int, Interpolate, (double*, double*, int, double, double&, double&)),
      V(27, String, GetSolutionFileName, (int)),
      V(28, String, GetXSLPOptionsMPIFileName, ()),
      V(29, String, GetXSLPOptionsSTDFileName, ()),
      V(30, String, GetXSLPOptionsMSFileName, ()),
      V(31, String, GetXSLPOptionsPAFileName, ()),
      V(32, String, GetXpressbssFileNameInternal, (int)),
      V(33, String, GetXpressbssFileNameExternal, (int)),
      V(34, String, GetXmpsNewFileName, (int)),
      V(35, String, GetxmpsFileName, (int)),
      V(36, String, GetMS_BestbssFileName, (int)),
      V(37, String, GetMS_BestxlpFileName, (int)),
      V(38, String, GetXSLPAbmlLogFileName, (int)),
      V(39, String, GetXSLPEqnsLogFileName, (int)),
      V(40, String, GetEpsilonGen1FileName, (int)),
      V(41, String, GetEpsilonGen2AFileName, (int)),
      V(42, String, GetEpsilonGen2BFileName, (int)),
      V(43, String, GetXLPFileName, (int)),
      V(44, String, GetFilFileName, (int)),
      V(45, String, GetMapFileName, (int)),
      V(46, String, GetPartialFilFileName, (int)),
      V(47, String, GetPartialMapFileName, (int)),
      V(48, String, GetWarnFileName, (int)),
      V(49, String, GetCaseInfoFileName, ()),
      V(50, String, GetCaseNumberAsFormattedString, (int)),
      V(51, String, GetPenaltyDatFileName, (int)),
      V(52, String, GetXLPMGErrorsFileName, (int)),
      V(53, String, GetSolutionFilFileName, (int)),
      V(54, String, GetMarginalSolutionFilFileName, (int)),
      V(55, String, GetRecursionFilFileName, (int)),
      V(56, String, GetPVTWDatFileName, (int)),
      V(57, String, GetPguessAOFileName, (int)),
      V(58, String, GetCaseDbResultFileName, (int)),
      V(59, String, GetTrXlptcFileName, (int)),
      V(60, String, GetTrancolReportFileName, (int)),
      V(61, String, GetXNLPSolutionFileName, (int)),
      V(62, String, GetTrancolXlptcFileName, (int)),
      V(63, String, GetTrancolRptFileName, (int)),
      V(64, String, GetMS_BestTrXlptcFileName, ()),
      V(65, String, GetMS_BestTrXlptcFileName, (int)),
      V(66, String, GetMS_BestTrancolReportFileName, ()),
      V(67, String, GetMS_BestTrancolReportFileName, (int)),
  };
  return slots;
}
#undef V

const std::vector<SlotEntry>& UnifiedTagsSlots() {
  static const std::vector<SlotEntry> slots = {
      SLOT(0, IUnifiedTagsManagerWrapper, void, LoadObject, (void*)),
      SLOT(1, IUnifiedTagsManagerWrapper, String, GetExtendedTag, (String)),
  };
  return slots;
}

// A virtual declared after the interface's own lands in the first free slot, which is the number
// of slots the interface has: a virtual added at the end moves it even though no slot above does.
struct UtilityEnd : IVantrelWrapper {
  virtual void FirstSlotAfterTheInterface();
};
struct UnifiedTagsEnd : IUnifiedTagsManagerWrapper {
  virtual void FirstSlotAfterTheInterface();
};

void ExpectCommittedOrder(const std::vector<SlotEntry>& slots, const char* interfaceName, int endSlot) {
  if (!kItaniumMemberPointers) GTEST_SKIP() << "member pointers do not carry vtable offsets here";
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const SlotEntry& slot = slots[i];
    // The table itself is kept in order, so a slot number cannot be listed twice or skipped.
    EXPECT_EQ(slot.committedSlot, static_cast<int>(i))
        << "the committed table is out of order at " << slot.operation;
    EXPECT_EQ(slot.compiledSlot, slot.committedSlot)
        << interfaceName << "::" << slot.operation << " is compiled into slot " << slot.compiledSlot
        << " but hosts call it in slot " << slot.committedSlot;
  }
  EXPECT_EQ(endSlot, static_cast<int>(slots.size()))
      << interfaceName << " has " << endSlot << " virtual slots where hosts know " << slots.size()
      << ": a virtual was added or removed";
}

TEST(SlotOrder, IVantrelWrapperKeepsItsSixtyEightSlots) {
  ASSERT_EQ(UtilitySlots().size(), 68u);
  ExpectCommittedOrder(UtilitySlots(), "IVantrelWrapper", SlotOf(&UtilityEnd::FirstSlotAfterTheInterface));
}

TEST(SlotOrder, IUnifiedTagsManagerWrapperKeepsItsTwoSlots) {
  ASSERT_EQ(UnifiedTagsSlots().size(), 2u);
  ExpectCommittedOrder(UnifiedTagsSlots(), "IUnifiedTagsManagerWrapper",
                       SlotOf(&UnifiedTagsEnd::FirstSlotAfterTheInterface));
}

}  // namespace
