// The narrow codec against the floor (memcpy of the same narrow bytes) and against the converters a
// user would otherwise reach for: glibc iconv with a descriptor opened once, and ICU's converters.
//
// Names are direction/codeset/script/bytes/implementation; scripts/benchmark_table.py pairs them up.
// The competitors write into a buffer allocated once, which is their best case; ours is the bridge's
// own conversion, which allocates what it returns: backend text one way, a std::string the other.
#include <benchmark/benchmark.h>
#include <iconv.h>
#include <sys/mman.h>
#include <unicode/ucnv.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "bench_texts.h"
#include "interop/codec_kernels.h"
#include "interop/narrow_codec.h"
#include "interop/util.h"
#include "repetitions.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace tarvo::bench {
namespace {

using interop::NarrowCodec;

constexpr const char* kUtf16 = "UTF-16LE";  // the benchmarks run on little-endian machines

struct Codeset {
  const char* iconvName;
  const char* icuName;
  std::vector<Script> scripts;
};

// The single-byte codeset for Russian is CP1251: CP1252 has no Cyrillic letters.
const std::vector<Codeset> kCodesets = {
    {"UTF-8", "UTF-8", {Script::Ascii, Script::Latin, Script::Cyrillic}},
    {"CP1252", "windows-1252", {Script::Ascii, Script::Latin}},
    {"CP1251", "windows-1251", {Script::Cyrillic}},
    {"EUC-JP", "EUC-JP", {Script::Ascii, Script::Latin, Script::Cyrillic}},
    // Four-byte characters keep GB18030 with iconv itself: the codeset that only iconv converts.
    {"GB18030", "GB18030", {Script::Ascii, Script::Latin, Script::Cyrillic}},
};
const std::vector<std::size_t> kSizes = {24, 4096, 1 << 20};

struct Sample {
  std::string narrow;
  std::u16string wide;
};

class Iconv {
 public:
  Iconv(const char* to, const char* from) : cd_(iconv_open(to, from)) {
    if (cd_ == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error(std::string("iconv_open ") + from);
  }
  ~Iconv() { iconv_close(cd_); }
  Iconv(const Iconv&) = delete;
  Iconv& operator=(const Iconv&) = delete;

  // Converts the whole input into `out`, back in the initial state first; returns the bytes written.
  std::size_t convert(const void* in, std::size_t inBytes, void* out, std::size_t outBytes) {
    iconv(cd_, nullptr, nullptr, nullptr, nullptr);
    char* inPtr = static_cast<char*>(const_cast<void*>(in));
    char* outPtr = static_cast<char*>(out);
    std::size_t outLeft = outBytes;
    if (iconv(cd_, &inPtr, &inBytes, &outPtr, &outLeft) == static_cast<std::size_t>(-1)) {
      throw std::runtime_error("iconv failed: " + std::string(std::strerror(errno)));
    }
    return outBytes - outLeft;
  }

 private:
  iconv_t cd_;
};

class Icu {
 public:
  explicit Icu(const char* name) {
    UErrorCode error = U_ZERO_ERROR;
    converter_ = ucnv_open(name, &error);
    if (U_FAILURE(error)) throw std::runtime_error(std::string("ucnv_open ") + name);
  }
  ~Icu() { ucnv_close(converter_); }
  Icu(const Icu&) = delete;
  Icu& operator=(const Icu&) = delete;

  std::size_t toUnicode(const std::string& in, char16_t* out, std::size_t capacity) {
    ucnv_resetToUnicode(converter_);
    UErrorCode error = U_ZERO_ERROR;
    const char* source = in.data();
    UChar* target = out;
    ucnv_toUnicode(converter_, &target, out + capacity, &source, in.data() + in.size(), nullptr, true,
                   &error);
    if (U_FAILURE(error)) throw std::runtime_error("ucnv_toUnicode failed");
    return static_cast<std::size_t>(target - out);
  }

  std::size_t fromUnicode(const std::u16string& in, char* out, std::size_t capacity) {
    ucnv_resetFromUnicode(converter_);
    UErrorCode error = U_ZERO_ERROR;
    const UChar* source = in.data();
    char* target = out;
    ucnv_fromUnicode(converter_, &target, out + capacity, &source, in.data() + in.size(), nullptr, true,
                     &error);
    if (U_FAILURE(error)) throw std::runtime_error("ucnv_fromUnicode failed");
    return static_cast<std::size_t>(target - out);
  }

 private:
  UConverter* converter_ = nullptr;
};

// A page of memory followed by one that cannot be read, so that text copied against the end of the
// first has nothing readable after it: the layout in which a vector access that reaches past the text
// stalls at every call.
class PageBeforeAnUnreadableOne {
 public:
  PageBeforeAnUnreadableOne() : size_(static_cast<std::size_t>(sysconf(_SC_PAGESIZE))) {
    void* const map = mmap(nullptr, 2 * size_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (map == MAP_FAILED) throw std::runtime_error("mmap failed");
    base_ = static_cast<char*>(map);
    if (mprotect(base_ + size_, size_, PROT_NONE) != 0) {
      munmap(base_, 2 * size_);
      throw std::runtime_error("mprotect failed");
    }
  }
  ~PageBeforeAnUnreadableOne() { munmap(base_, 2 * size_); }
  PageBeforeAnUnreadableOne(const PageBeforeAnUnreadableOne&) = delete;
  PageBeforeAnUnreadableOne& operator=(const PageBeforeAnUnreadableOne&) = delete;

  template <class Char>
  std::basic_string_view<Char> placeAtEnd(const std::basic_string<Char>& text) const {
    Char* const at = reinterpret_cast<Char*>(base_ + size_) - text.size();
    std::memcpy(at, text.data(), text.size() * sizeof(Char));
    return {at, text.size()};
  }

 private:
  std::size_t size_;
  char* base_ = nullptr;
};

void Warn(const std::string& name, const char* what) {
  std::cerr << "warning: " << name << ": " << what << " differs from the codec's result\n";
}

// The rows of short text repeat more than the command line asks (repetitions.h).
template <class Function>
void Register(std::size_t size, const std::string& name, Function function) {
  benchmark::internal::Benchmark* benchmark = benchmark::RegisterBenchmark(name.c_str(), std::move(function));
  if (size < 4096) benchmark->Repetitions(kShortRepetitions);
}

// Short text in each direction, kept against the end of a page that nothing readable follows: not a
// goal, but a check that such text costs about what it costs elsewhere (the table sets each against
// the same conversion's "ours").
void RegisterAgainstUnreadablePage(const NarrowCodec& codec, const std::string& group, const Sample& sample) {
  const auto bytePage = std::make_shared<PageBeforeAnUnreadableOne>();
  const auto unitPage = std::make_shared<PageBeforeAnUnreadableOne>();
  const std::string_view bytes = bytePage->placeAtEnd(sample.narrow);
  const std::u16string_view units = unitPage->placeAtEnd(sample.wide);
  auto decode = [codec, bytePage, bytes](benchmark::State& state) {
    for (auto _ : state) {
      runtime::Text text = interop::DecodeToText(codec, bytes);
      benchmark::DoNotOptimize(text.units().data());
    }
  };
  auto encode = [codec, unitPage, units](benchmark::State& state) {
    for (auto _ : state) {
      std::string narrow = codec.encode(units);
      benchmark::DoNotOptimize(narrow.data());
    }
  };
  benchmark::RegisterBenchmark(("page_end/decode/" + group).c_str(), decode);
  benchmark::RegisterBenchmark(("page_end/encode/" + group).c_str(), encode);
}

void RegisterCase(const Codeset& codeset, Script script, std::size_t size, const std::u16string& text) {
  const NarrowCodec codec = NarrowCodec::forCodeset(codeset.iconvName);
  auto sample = std::make_shared<Sample>();
  sample->narrow = NarrowPrefix(codec, text, size);
  sample->wide = codec.decode(sample->narrow);
  const std::string group =
      std::string(codeset.iconvName) + "/" + ScriptName(script) + "/" + std::to_string(size);
  const std::size_t bytes = sample->narrow.size();

  auto decodeIconv = std::make_shared<Iconv>(kUtf16, codeset.iconvName);
  auto encodeIconv = std::make_shared<Iconv>(codeset.iconvName, kUtf16);
  auto icu = std::make_shared<Icu>(codeset.icuName);
  // Output room for any of them: at most one unit per byte one way, four bytes per unit the other.
  auto wideOut = std::make_shared<std::u16string>(bytes + 16, u'\0');
  auto narrowOut = std::make_shared<std::string>(4 * sample->wide.size() + 16, '\0');

  // The competitors must do the same job, or the comparison means nothing.
  {
    const std::size_t units =
        decodeIconv->convert(sample->narrow.data(), bytes, wideOut->data(), 2 * wideOut->size()) / 2;
    if (std::u16string_view(wideOut->data(), units) != sample->wide) Warn(group, "iconv decode");
    const std::size_t written = encodeIconv->convert(sample->wide.data(), 2 * sample->wide.size(),
                                                     narrowOut->data(), narrowOut->size());
    if (std::string_view(narrowOut->data(), written) != sample->narrow) Warn(group, "iconv encode");
    if (std::u16string_view(wideOut->data(), icu->toUnicode(sample->narrow, wideOut->data(),
                                                            wideOut->size())) != sample->wide) {
      Warn(group, "ICU decode");
    }
    if (std::string_view(narrowOut->data(), icu->fromUnicode(sample->wide, narrowOut->data(),
                                                             narrowOut->size())) != sample->narrow) {
      Warn(group, "ICU encode");
    }
  }

  auto floor = [sample, bytes](benchmark::State& state) {
    std::string destination(bytes, '\0');
    for (auto _ : state) {
      std::memcpy(destination.data(), sample->narrow.data(), bytes);
      benchmark::DoNotOptimize(destination.data());
      benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  };

  Register(size, "decode/" + group + "/ours", [sample, codec, bytes](benchmark::State& state) {
    for (auto _ : state) {
      runtime::Text text = interop::DecodeToText(codec, sample->narrow);
      benchmark::DoNotOptimize(text.units().data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  });
  Register(size, "decode/" + group + "/memcpy", floor);
  Register(size, "decode/" + group + "/iconv",
           [sample, decodeIconv, wideOut, bytes](benchmark::State& state) {
             for (auto _ : state) {
               benchmark::DoNotOptimize(
                   decodeIconv->convert(sample->narrow.data(), bytes, wideOut->data(), 2 * wideOut->size()));
             }
             state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
           });
  Register(size, "decode/" + group + "/icu", [sample, icu, wideOut, bytes](benchmark::State& state) {
    for (auto _ : state) {
      benchmark::DoNotOptimize(icu->toUnicode(sample->narrow, wideOut->data(), wideOut->size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  });

  Register(size, "encode/" + group + "/ours", [sample, codec, bytes](benchmark::State& state) {
    for (auto _ : state) {
      std::string narrow = codec.encode(sample->wide);
      benchmark::DoNotOptimize(narrow.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  });
  Register(size, "encode/" + group + "/memcpy", floor);
  // Short text of the scripts that take the vector blocks, also against an unreadable page.
  if (size == 24 && script != Script::Ascii && std::string_view(codeset.iconvName) != "GB18030") {
    RegisterAgainstUnreadablePage(codec, group, *sample);
  }
  // Short results: the least that any conversion returning a new std::string takes, the string made
  // from bytes already converted (which allocates: 24 bytes do not fit in the string itself).
  if (size < 4096) {
    Register(size, "encode/" + group + "/new_string", [sample](benchmark::State& state) {
      for (auto _ : state) {
        std::string narrow(sample->narrow.data(), sample->narrow.size());
        benchmark::DoNotOptimize(narrow.data());
      }
    });
  }
  Register(size, "encode/" + group + "/iconv",
           [sample, encodeIconv, narrowOut, bytes](benchmark::State& state) {
             for (auto _ : state) {
               benchmark::DoNotOptimize(encodeIconv->convert(sample->wide.data(), 2 * sample->wide.size(),
                                                             narrowOut->data(), narrowOut->size()));
             }
             state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
           });
  Register(size, "encode/" + group + "/icu", [sample, icu, narrowOut, bytes](benchmark::State& state) {
    for (auto _ : state) {
      benchmark::DoNotOptimize(icu->fromUnicode(sample->wide, narrowOut->data(), narrowOut->size()));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  });
}

// The least work of decoding ASCII into backend text, which no decoder escapes: allocate the text
// with the room that the codec asks for, write every byte as a unit, free the text. Nothing is
// checked, neither for a NUL nor for bytes from 0x80 up. The units are stored 64 bytes at a time, on
// the output's 64-byte lines as the codec's are (a store that straddles two lines takes twice as
// long). Measured only where the processor has AVX-512: the compiler's loop for older processors
// would be slower than the codec, and so no floor.
#if defined(__x86_64__)
#define TARVO_BENCH_AVX512 __attribute__((target("avx512f,avx512bw")))
TARVO_BENCH_AVX512 inline void Widen32Unchecked(const unsigned char* in, char16_t* out) {
  _mm512_storeu_si512(out, _mm512_cvtepu8_epi16(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(in))));
}
// At least 32 bytes.
TARVO_BENCH_AVX512 void WidenUnchecked(const unsigned char* in, std::size_t size, char16_t* out) {
  Widen32Unchecked(in, out);
  std::size_t at = ((64 - (reinterpret_cast<std::uintptr_t>(out) & 63)) & 63) / sizeof(char16_t);
  for (; size - at >= 32; at += 32) Widen32Unchecked(in + at, out + at);
  if (at < size) Widen32Unchecked(in + size - 32, out + size - 32);  // the last units, overlapping
}

void RegisterAsciiFloor(std::size_t size, const std::u16string& text) {
  if (!__builtin_cpu_supports("avx512f") || !__builtin_cpu_supports("avx512bw")) return;
  auto bytes = std::make_shared<std::string>(NarrowPrefix(NarrowCodec::forCodeset("UTF-8"), text, size));
  benchmark::RegisterBenchmark(
      ("reference/" + std::to_string(size) + "/ascii_floor").c_str(), [bytes](benchmark::State& state) {
        const auto* in = reinterpret_cast<const unsigned char*>(bytes->data());
        for (auto _ : state) {
          runtime::Text text =
              runtime::Text::Build(bytes->size() + interop::kKernelSlack, [&](char16_t* units) {
                WidenUnchecked(in, bytes->size(), units);
                return bytes->size();
              });
          benchmark::DoNotOptimize(text.units().data());
        }
      });
}
#else
void RegisterAsciiFloor(std::size_t, const std::u16string&) {}
#endif

}  // namespace
}  // namespace tarvo::bench

int main(int argc, char** argv) {
  using namespace tarvo::bench;
  for (const Script script : {Script::Ascii, Script::Latin, Script::Cyrillic}) {
    const std::u16string text = MakeText(script, kSizes.back() + 16);
    if (script == Script::Ascii) {
      for (const std::size_t size : kSizes) {
        if (size >= 4096) RegisterAsciiFloor(size, text);
      }
    }
    for (const Codeset& codeset : kCodesets) {
      for (const Script wanted : codeset.scripts) {
        if (wanted != script) continue;
        for (const std::size_t size : kSizes) RegisterCase(codeset, script, size, text);
      }
    }
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
