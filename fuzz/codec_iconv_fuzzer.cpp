// NarrowCodec for multi-byte codesets against iconv itself: EUC-JP and Shift_JIS (converted through
// tables read from iconv; Shift_JIS maps two ASCII bytes elsewhere) and GB18030 (converted by iconv).
// The first byte picks the codeset.
#include "check.h"
#include "codec_oracle.h"

namespace {

using Kind = tarvo::interop::NarrowCodec::Kind;

struct Codeset {
  tarvo::interop::NarrowCodec codec;
  tarvo::fuzz::CodecOracle oracle;
  Codeset(const char* name, Kind kind) : codec(tarvo::interop::NarrowCodec::forCodeset(name)), oracle(name) {
    FUZZ_CHECK(codec.kind() == kind, name);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Codeset codesets[] = {
      {"EUC-JP", Kind::MultiByte}, {"SHIFT_JIS", Kind::MultiByte}, {"GB18030", Kind::Iconv}};
  if (size == 0) return 0;
  const Codeset& codeset = codesets[data[0] % 3];
  tarvo::fuzz::CheckCodec(codeset.codec, codeset.oracle, data + 1, size - 1);
  return 0;
}
