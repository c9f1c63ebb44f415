#include "runtime/handle_table.h"

#include <cstdio>
#include <stdexcept>
#include <string>
#include <utility>

#include "BridgeErrors.h"

// Thread safety: one mutex guards the slots, the free list and the count, and every operation holds
// it for a bounded amount of work (a bounds check, a generation compare, a shared_ptr copy or move).
// No user code runs under the lock: Target hands out a copy of the shared_ptr, so the object stays
// alive while the caller uses it even if another thread frees the handle meanwhile; Free moves the
// object out of its slot and drops it only after unlocking, so an object whose destructor allocates
// or frees handles itself cannot deadlock. A lock is the right tool here because this table is the
// platform's shared state, used by every host and bridge thread alike; the bridge itself has none.

namespace tarvo::runtime {

namespace {

std::string Hex(std::uintptr_t value) {
  char text[2 + 2 * sizeof value + 1];
  std::snprintf(text, sizeof text, "0x%jx", static_cast<std::uintmax_t>(value));
  return text;
}

[[noreturn]] void Reject(const char* operation, std::uintptr_t handle, const char* why) {
  throw InvalidHandleError(std::string(operation) + ": " + Hex(handle) + " " + why);
}

}  // namespace

HandleTable::HandleTable(std::uintptr_t maxGeneration) : maxGeneration_(maxGeneration) {}

HandleTable::~HandleTable() = default;

std::uintptr_t HandleTable::Alloc(std::shared_ptr<Object> target) {
  const std::lock_guard lock(mutex_);
  std::size_t index;
  if (!freeSlots_.empty()) {
    index = freeSlots_.back();
    freeSlots_.pop_back();
  } else {
    if (slots_.size() >= kMaxSlots) {
      throw std::length_error("GCHandle::Alloc: all " + std::to_string(kMaxSlots) +
                              " handles are in use or retired");
    }
    // Both may throw std::bad_alloc; neither has changed anything the table relies on by then.
    freeSlots_.reserve(slots_.size() + 1);
    slots_.emplace_back();
    index = slots_.size() - 1;
  }
  Slot& slot = slots_[index];
  slot.target = std::move(target);  // the slot was empty: no destructor runs under the lock
  slot.live = true;
  ++liveCount_;
  return (slot.generation << kIndexBits) | (index + 1);
}

std::size_t HandleTable::LiveIndex(std::uintptr_t handle, const char* operation) const {
  if (handle == 0) Reject(operation, handle, "is not a handle: zero never designates an object");
  const std::uintptr_t position = handle & kIndexMask;
  const std::uintptr_t generation = handle >> kIndexBits;
  if (position == 0 || position > slots_.size()) {
    Reject(operation, handle, "is not a handle: no handle was ever issued with this value");
  }
  const Slot& slot = slots_[position - 1];
  if (generation < slot.generation) Reject(operation, handle, "is a handle that has already been freed");
  if (generation > slot.generation || !slot.live) {
    Reject(operation, handle, "is not a handle: no handle was ever issued with this value");
  }
  return position - 1;
}

void HandleTable::Check(std::uintptr_t handle, const char* operation) const {
  const std::lock_guard lock(mutex_);
  LiveIndex(handle, operation);
}

std::shared_ptr<Object> HandleTable::Target(std::uintptr_t handle, const char* operation) const {
  const std::lock_guard lock(mutex_);
  return slots_[LiveIndex(handle, operation)].target;
}

void HandleTable::Free(std::uintptr_t handle, const char* operation) {
  std::shared_ptr<Object> released;  // declared before the lock, so it is dropped after unlocking
  const std::lock_guard lock(mutex_);
  const std::size_t index = LiveIndex(handle, operation);
  Slot& slot = slots_[index];
  released = std::move(slot.target);
  slot.live = false;
  --liveCount_;
  if (slot.generation < maxGeneration_) {
    ++slot.generation;
    freeSlots_.push_back(index);  // within the reserved capacity: cannot throw
  } else {
    slot.generation = maxGeneration_ + 1;  // retired: every handle it ever issued now reads as freed
  }
}

std::size_t HandleTable::liveCount() const {
  const std::lock_guard lock(mutex_);
  return liveCount_;
}

}  // namespace tarvo::runtime
