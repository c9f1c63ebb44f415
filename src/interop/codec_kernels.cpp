// The portable kernels, and the choice of the kernels that this process uses.
#include "interop/codec_kernels.h"

#include <cstdint>
#include <cstring>

#include "interop/codec_scalar.h"

namespace tarvo::interop {
namespace {

const unsigned char* Bytes(const char* bytes) {
  return reinterpret_cast<const unsigned char*>(bytes);
}

std::size_t DecodeUtf8(const char* bytes, std::size_t size, char16_t* out) {
  return scalar::DecodeUtf8(Bytes(bytes), Bytes(bytes) + size, out);
}

std::size_t EncodeUtf8(const char16_t* units, std::size_t size, char* out) {
  return scalar::EncodeUtf8(units, units + size, out);
}

std::size_t MeasureUtf8(const char16_t* units, std::size_t size, std::size_t* utf8Length) {
  *utf8Length = 0;
  return static_cast<std::size_t>(scalar::MeasureUtf8(units, units + size, *utf8Length) - units);
}

void DecodeSingleByte(const unsigned char* bytes, std::size_t size, char16_t* out,
                      const NarrowCodec::SingleByteTables& tables) {
  scalar::DecodeSingleByte(bytes, bytes + size, out, tables);
}

std::size_t EncodeSingleByte(const char16_t* units, std::size_t size, unsigned char* out,
                             const NarrowCodec::SingleByteTables& tables) {
  return scalar::EncodeSingleByte(units, units + size, out, tables);
}

std::size_t AsciiPrefix16(const char16_t* units, std::size_t size) {
  std::size_t i = 0;
  while (i < size && units[i] != 0 && units[i] < 0x80) ++i;
  return i;
}

std::size_t FindNul16(const char16_t* units, std::size_t size) {
  std::size_t i = 0;
  while (i < size && units[i] != 0) ++i;
  return i;
}

std::size_t NarrowAscii(const char16_t* units, std::size_t size, char* out) {
  std::size_t i = 0;
  for (std::uint64_t word; size - i >= 4; i += 4) {
    std::memcpy(&word, units + i, sizeof(word));
    if (!scalar::AsciiWithoutNul(word)) break;
    for (std::size_t k = i; k < i + 4; ++k) out[k] = static_cast<char>(units[k]);
  }
  for (; i < size && units[i] != 0 && units[i] < 0x80; ++i) out[i] = static_cast<char>(units[i]);
  return i;
}

std::size_t WidenAscii(const char* bytes, std::size_t size, char16_t* out) {
  std::size_t i = 0;
  for (const unsigned char* in = Bytes(bytes); i < size && in[i] != 0 && in[i] < 0x80; ++i) out[i] = in[i];
  return i;
}

constexpr CodecKernels kPortable = {NarrowCodec::KernelSet::Portable,
                                    DecodeUtf8,
                                    EncodeUtf8,
                                    MeasureUtf8,
                                    DecodeSingleByte,
                                    EncodeSingleByte,
                                    AsciiPrefix16,
                                    FindNul16,
                                    NarrowAscii,
                                    WidenAscii};

}  // namespace

const CodecKernels& PortableKernels() {
  return kPortable;
}

const CodecKernels& BestKernels() {
  static const CodecKernels& best = []() -> const CodecKernels& {
    if (const CodecKernels* avx512 = Avx512Kernels()) return *avx512;
    if (const CodecKernels* avx2 = Avx2Kernels()) return *avx2;
    if (const CodecKernels* sse2 = Sse2Kernels()) return *sse2;
    return kPortable;
  }();
  return best;
}

}  // namespace tarvo::interop
