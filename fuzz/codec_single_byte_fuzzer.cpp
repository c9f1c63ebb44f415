// NarrowCodec for a single-byte table (CP1252, which leaves five bytes undefined) against iconv.
#include "check.h"
#include "codec_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tarvo::interop::NarrowCodec codec = tarvo::interop::NarrowCodec::forCodeset("CP1252");
  static const tarvo::fuzz::CodecOracle oracle("CP1252");
  FUZZ_CHECK(codec.kind() == tarvo::interop::NarrowCodec::Kind::SingleByte, "CP1252 is not a table");
  tarvo::fuzz::CheckCodec(codec, oracle, data, size);
  return 0;
}
