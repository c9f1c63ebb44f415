// String lists made by GetFileList and released through Destroy(list): any backend answer, absent
// entries included, and any host arguments. A list either comes back whole, entry for entry, or
// not at all; the host may null out elements before releasing it through another wrapper. The
// sanitizers catch every leak, double free and stray read.
#include <fuzzer/FuzzedDataProvider.h>

#include <memory>
#include <string>
#include <vector>

#include "BridgeErrors.h"
#include "IVantrelWrapper.h"
#include "check.h"
#include "interop/narrow_codec.h"
#include "utility/vantrel_wrapper.h"
#include "utility/wrapper_access.h"
#include "vantrel/vantrel.h"

namespace {

using tarvo::runtime::Text;

// Answers GetFileList with what the input says, and keeps the arguments it was given.
class ScriptedVantrel : public tarvo::backend::Vantrel {
 public:
  tarvo::runtime::Array<Text> answer;
  Text path, filter;
  tarvo::runtime::Array<Text> GetFileList(const Text& targetPath, bool, const Text& nameFilter) override {
    path = targetPath;
    filter = nameFilter;
    return answer;
  }
};

std::u16string Units(FuzzedDataProvider& input) {
  const std::string bytes = input.ConsumeRandomLengthString(256);
  return std::u16string(reinterpret_cast<const char16_t*>(bytes.data()), bytes.size() / 2);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  const tarvo::interop::NarrowCodec& codec = tarvo::interop::NarrowCodec::process();

  auto backend = std::make_shared<ScriptedVantrel>();
  std::size_t firstAbsent = SIZE_MAX;
  if (!input.ConsumeBool()) {
    backend->answer = std::make_shared<tarvo::runtime::ArrayElements<Text>>();
    const std::size_t entries = input.ConsumeIntegralInRange<std::size_t>(0, 64);
    for (std::size_t i = 0; i < entries; ++i) {
      if (input.ConsumeIntegralInRange(0, 15) == 0) {
        if (firstAbsent == SIZE_MAX) firstAbsent = i;
        backend->answer->push_back(Text::null());
      } else {
        backend->answer->push_back(Text(Units(input)));
      }
    }
  }
  const std::string targetPath = input.ConsumeRandomLengthString(64);
  const std::string filter = input.ConsumeRandomLengthString(64);

  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
  tarvo::bridge::WrapperAccess::Bind(static_cast<VantrelWrapper&>(*wrapper), backend);
  std::vector<std::string*>* list = nullptr;
  try {
    list = wrapper->GetFileList(targetPath, input.ConsumeBool(), filter);
  } catch (const tarvo::NullReferenceError& error) {
    FUZZ_CHECK(firstAbsent != SIZE_MAX, error.what());
    const std::string expected =
        "GetFileList: entry " + std::to_string(firstAbsent) + " of the backend's answer is absent (null)";
    FUZZ_CHECK(error.what() == expected, error.what());
  }
  FUZZ_CHECK(backend->path.units() == codec.decode(targetPath), "the path reached the backend changed");
  FUZZ_CHECK(backend->filter.units() == codec.decode(filter), "the filter reached the backend changed");

  if (list != nullptr) {
    FUZZ_CHECK(firstAbsent == SIZE_MAX, "a list came back although an entry was absent");
    const std::size_t expectedSize = backend->answer ? backend->answer->size() : 0;
    FUZZ_CHECK(list->size() == expectedSize, "the list lost or gained entries");
    for (std::size_t i = 0; i < list->size(); ++i) {
      FUZZ_CHECK((*list)[i] != nullptr, "a null element");
      FUZZ_CHECK(*(*list)[i] == codec.encode((*backend->answer)[i].units()), "an entry was not converted");
    }
    // The host may drop strings of its own and leave nulls, then release the list elsewhere.
    for (std::string*& element : *list) {
      if (input.ConsumeIntegralInRange(0, 7) == 0) {
        delete element;
        element = nullptr;
      }
    }
    IVantrelWrapper* releaser = IVantrelWrapper::CreateFileNameManager();
    releaser->Destroy(list);
    IVantrelWrapper::Destroy(releaser);
  }
  IVantrelWrapper::Destroy(wrapper);
  return 0;
}
