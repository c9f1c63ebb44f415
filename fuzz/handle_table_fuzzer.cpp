// The handle table under random sequences of Alloc, Free, Target and Check with live, freed and
// forged values, against a model of which handles are live and what each holds. Small generation
// limits make slots retire within one input.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "BridgeErrors.h"
#include "check.h"
#include "runtime/handle_table.h"
#include "runtime/object.h"

namespace {

using tarvo::runtime::HandleTable;
using tarvo::runtime::Object;

int alive = 0;

class Counted : public Object {
 public:
  Counted() { ++alive; }
  ~Counted() override { --alive; }
};

// Whether `operation` refuses `handle` with InvalidHandleError naming itself.
template <class Operation>
bool Refused(const char* name, Operation operation) {
  try {
    operation();
    return false;
  } catch (const tarvo::InvalidHandleError& error) {
    FUZZ_CHECK(std::string(error.what()).rfind(std::string(name) + ": 0x", 0) == 0, error.what());
    return true;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  {
    const std::uintptr_t maxGeneration = input.ConsumeBool()
                                             ? HandleTable::kMaxGeneration
                                             : input.ConsumeIntegralInRange<std::uintptr_t>(0, 3);
    HandleTable table(maxGeneration);
    std::map<std::uintptr_t, std::shared_ptr<Object>> live;  // the model: handle -> what it holds
    std::set<std::uintptr_t> freed;
    std::vector<std::uintptr_t> seen;

    // A value to use: one issued (live or freed) or a forged one.
    const auto pick = [&]() -> std::uintptr_t {
      if (!seen.empty() && input.ConsumeBool()) {
        return seen[input.ConsumeIntegralInRange<std::size_t>(0, seen.size() - 1)];
      }
      return input.ConsumeIntegral<std::uintptr_t>();
    };

    while (input.remaining_bytes() > 0) {
      switch (input.ConsumeIntegralInRange(0, 3)) {
        case 0: {
          std::shared_ptr<Object> object;
          if (input.ConsumeBool()) object = std::make_shared<Counted>();
          const std::uintptr_t handle = table.Alloc(object);
          FUZZ_CHECK(handle != 0, "Alloc gave zero");
          FUZZ_CHECK(live.count(handle) == 0, "Alloc gave a live handle again");
          FUZZ_CHECK(freed.count(handle) == 0, "Alloc brought a freed handle back to life");
          live[handle] = object;
          seen.push_back(handle);
          break;
        }
        case 1: {
          const std::uintptr_t handle = pick();
          const bool refused = Refused("Free", [&] { table.Free(handle, "Free"); });
          FUZZ_CHECK(refused != (live.count(handle) == 1), "Free disagrees with the model");
          if (!refused) {
            live.erase(handle);
            freed.insert(handle);
          }
          break;
        }
        case 2: {
          const std::uintptr_t handle = pick();
          std::shared_ptr<Object> target;
          const bool refused = Refused("Target", [&] { target = table.Target(handle, "Target"); });
          FUZZ_CHECK(refused != (live.count(handle) == 1), "Target disagrees with the model");
          if (!refused) FUZZ_CHECK(target == live[handle], "Target gave another object");
          break;
        }
        default: {
          const std::uintptr_t handle = pick();
          const bool refused = Refused("Check", [&] { table.Check(handle, "Check"); });
          FUZZ_CHECK(refused != (live.count(handle) == 1), "Check disagrees with the model");
          break;
        }
      }
      FUZZ_CHECK(table.liveCount() == live.size(), "liveCount disagrees with the model");
    }
    for (const auto& entry : live) table.Free(entry.first, "Free");
    FUZZ_CHECK(table.liveCount() == 0, "handles left live");
  }
  FUZZ_CHECK(alive == 0, "an object outlived every handle on it");
  return 0;
}
