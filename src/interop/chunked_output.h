// Where the codec's kernels write: a buffer on the stack that is copied into the result string when it
// fills, so that the result is allocated once and no byte of it is written twice.
#ifndef TARVO_INTEROP_CHUNKED_OUTPUT_H
#define TARVO_INTEROP_CHUNKED_OUTPUT_H

#include <algorithm>
#include <cstddef>
#include <string>

#include "interop/codec_kernels.h"

namespace tarvo::interop {

// Input units per kernel call. A whole chunk's output fits the buffer, so text of up to one chunk is
// converted on the stack and then copied out once into a string of exactly its size.
inline constexpr std::size_t kChunkUnits = 4096;

// std::basic_string cannot adopt a buffer or grow without initialising (resize_and_overwrite is C++23),
// so the kernels write here and the string receives each full buffer with one copy.
template <class Unit, std::size_t Capacity>
class ChunkedOutput {
 public:
  using UnitType = Unit;

  // `expected`: the size that the result is allocated for when the text outgrows the buffer; an
  // upper bound of the final size, or the result grows (and reallocates) past it.
  explicit ChunkedOutput(std::size_t expected) : expected_(expected) {}
  ChunkedOutput(const ChunkedOutput&) = delete;
  ChunkedOutput& operator=(const ChunkedOutput&) = delete;

  // Where to write at least `units` more units (at most Capacity); room() tells how many fit.
  Unit* space(std::size_t units) {
    if (Capacity - used_ < units) spill();
    return buffer_ + used_;
  }
  std::size_t room() const { return Capacity - used_; }
  void commit(std::size_t units) { used_ += units; }
  // Makes more room than room() tells, for a converter that found too little.
  void grow() { spill(); }
  // Units written so far.
  std::size_t size() const { return result_.size() + used_; }

  std::basic_string<Unit> finish() {
    if (!spilled_) return std::basic_string<Unit>(buffer_, used_);
    result_.append(buffer_, used_);
    return std::move(result_);
  }

 private:
  void spill() {
    if (!spilled_) {
      result_.reserve(std::max(expected_, used_));
      spilled_ = true;
    }
    result_.append(buffer_, used_);
    used_ = 0;
  }

  // Left uninitialised: only what a kernel wrote is read. Aligned like the heap's blocks, since
  // glibc copies long blocks with `rep movsb`, which some processors run several times slower when
  // source and destination are aligned differently.
  alignas(64) Unit buffer_[Capacity];
  std::size_t used_ = 0;
  std::size_t expected_;
  bool spilled_ = false;
  std::basic_string<Unit> result_;
};

// Decoding writes at most one unit per byte, encoding at most three bytes per unit (UTF-8).
using DecodeOutput = ChunkedOutput<char16_t, kChunkUnits + kKernelSlack>;
using EncodeOutput = ChunkedOutput<char, 3 * kChunkUnits + kKernelSlack>;

// The same interface over storage of a fixed size that the caller owns (backend text being
// written in place). It cannot grow: where more room is needed than is left, it raises
// FixedOutputFull, and the caller converts another way.
struct FixedOutputFull {};

class FixedDecodeOutput {
 public:
  using UnitType = char16_t;

  FixedDecodeOutput(char16_t* storage, std::size_t capacity) : storage_(storage), capacity_(capacity) {}
  FixedDecodeOutput(const FixedDecodeOutput&) = delete;
  FixedDecodeOutput& operator=(const FixedDecodeOutput&) = delete;

  // Where to write; room() tells how much is left, which may be less than `units`, but never none.
  char16_t* space(std::size_t units) {
    if (units > 0 && room() == 0) throw FixedOutputFull();
    return storage_ + used_;
  }
  std::size_t room() const { return capacity_ - used_; }
  void commit(std::size_t units) { used_ += units; }
  [[noreturn]] void grow() { throw FixedOutputFull(); }
  std::size_t size() const { return used_; }

 private:
  char16_t* storage_;
  std::size_t capacity_;
  std::size_t used_ = 0;
};

}  // namespace tarvo::interop

#endif  // TARVO_INTEROP_CHUNKED_OUTPUT_H
