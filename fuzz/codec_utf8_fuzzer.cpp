// NarrowCodec for UTF-8 against iconv, both directions, and round trips.
#include "codec_oracle.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static const tarvo::interop::NarrowCodec codec = tarvo::interop::NarrowCodec::forCodeset("UTF-8");
  static const tarvo::fuzz::CodecOracle oracle("UTF-8");
  tarvo::fuzz::CheckCodec(codec, oracle, data, size);
  return 0;
}
