// The table behind object handles (GCHandle). Internal to the platform; hosts use gc_handle.h.
#ifndef TARVO_RUNTIME_HANDLE_TABLE_H
#define TARVO_RUNTIME_HANDLE_TABLE_H

#include <cstddef>
#include <cstdint>
#include <limits>
#include <memory>
#include <mutex>
#include <vector>

#include "platform_export.h"
#include "runtime/object.h"

namespace tarvo::runtime {

// Hands out pointer-sized handles on objects, the way kernels and engines do: a handle is a slot
// index plus the slot's generation, so a handle that was freed, freed twice, or never issued is
// recognised by value alone and nothing is ever read through it.
//
// Encoding: the low half of the value is the slot index plus one (so zero is never a handle), the
// high half the slot's generation at the time of Alloc. Freeing a slot bumps its generation; a slot
// whose generation would pass `maxGeneration` is retired instead of reused, so a stale handle can
// never come back to life by wrapping around.
//
// Every member may be called from any thread; see handle_table.cpp for why one mutex suffices.
class TARVO_PLATFORM_API HandleTable {
 public:
  static constexpr unsigned kIndexBits = std::numeric_limits<std::uintptr_t>::digits / 2;
  static constexpr std::uintptr_t kIndexMask = (std::uintptr_t{1} << kIndexBits) - 1;
  static constexpr std::uintptr_t kMaxGeneration = std::numeric_limits<std::uintptr_t>::max() >> kIndexBits;
  static constexpr std::size_t kMaxSlots = kIndexMask;  // index + 1 must fit the low half

  explicit HandleTable(std::uintptr_t maxGeneration = kMaxGeneration);
  HandleTable(const HandleTable&) = delete;
  HandleTable& operator=(const HandleTable&) = delete;
  ~HandleTable();

  // A new handle that holds `target` (which may be empty: a handle that designates nothing).
  // Raises std::length_error when every slot is in use or retired; the table is then unchanged.
  std::uintptr_t Alloc(std::shared_ptr<Object> target);

  // Raises InvalidHandleError, naming `operation` and the value, unless `handle` is live.
  void Check(std::uintptr_t handle, const char* operation) const;

  // The object `handle` holds (empty for a handle on nothing), after the same check.
  std::shared_ptr<Object> Target(std::uintptr_t handle, const char* operation) const;

  // Ends `handle`, after the same check; its object stays alive only through its other holders.
  void Free(std::uintptr_t handle, const char* operation);

  // Handles allocated and not yet freed.
  std::size_t liveCount() const;

 private:
  struct Slot {
    std::shared_ptr<Object> target;
    std::uintptr_t generation = 0;
    bool live = false;
  };

  // The index of the live slot that `handle` designates; raises InvalidHandleError otherwise.
  // The caller holds mutex_.
  std::size_t LiveIndex(std::uintptr_t handle, const char* operation) const;

  const std::uintptr_t maxGeneration_;
  mutable std::mutex mutex_;
  std::vector<Slot> slots_;
  std::vector<std::size_t> freeSlots_;  // capacity kept >= slots_.size(), so Free never allocates
  std::size_t liveCount_ = 0;
};

}  // namespace tarvo::runtime

#endif  // TARVO_RUNTIME_HANDLE_TABLE_H
