// NarrowCodec for codesets only iconv can follow (EUC-JP, GB18030) against iconv itself; the first
// byte picks the codeset.
#include "check.h"
#include "codec_oracle.h"

namespace {

struct Codeset {
  tarvo::interop::NarrowCodec codec;
  tarvo::fuzz::CodecOracle oracle;
  explicit Codeset(const char* name) : codec(tarvo::interop::NarrowCodec::forCodeset(name)), oracle(name) {
    FUZZ_CHECK(codec.kind() == tarvo::interop::NarrowCodec::Kind::Iconv, name);
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const Codeset eucJp("EUC-JP");
  static const Codeset gb18030("GB18030");
  if (size == 0) return 0;
  const Codeset& codeset = data[0] % 2 == 0 ? eucJp : gb18030;
  tarvo::fuzz::CheckCodec(codeset.codec, codeset.oracle, data + 1, size - 1);
  return 0;
}
