#include "codec_oracle.h"

#include <cerrno>
#include <cstring>
#include <memory>
#include <stdexcept>

#include "check.h"

namespace tarvo::fuzz {

namespace {

constexpr char16_t kReplacement = 0xFFFD;

bool IsHigh(char16_t unit) {
  return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLow(char16_t unit) {
  return unit >= 0xDC00 && unit <= 0xDFFF;
}

bool IsWellFormed(std::u16string_view text) {
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1])) {
      ++i;
    } else if (IsHigh(text[i]) || IsLow(text[i])) {
      return false;
    }
  }
  return true;
}

std::u16string Units(const std::string& bytes) {
  std::u16string units(bytes.size() / 2, u'\0');
  std::memcpy(units.data(), bytes.data(), units.size() * 2);
  return units;
}

iconv_t Open(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1))
    throw std::runtime_error(std::string("iconv_open ") + to + " " + from);
  return cd;
}

}  // namespace

CodecOracle::CodecOracle(const std::string& codeset)
    : decoder_(Open("UTF-16LE", codeset.c_str())), encoder_(Open(codeset.c_str(), "UTF-16LE")) {}

CodecOracle::~CodecOracle() {
  iconv_close(decoder_);
  iconv_close(encoder_);
}

int CodecOracle::Convert(iconv_t cd, const char*& in, std::size_t& inLeft, std::string& out) const {
  char buffer[512];
  while (true) {
    char* outPtr = buffer;
    std::size_t outLeft = sizeof buffer;
    const std::size_t result = iconv(cd, const_cast<char**>(&in), &inLeft, &outPtr, &outLeft);
    const int error = errno;
    out.append(buffer, static_cast<std::size_t>(outPtr - buffer));
    if (result != static_cast<std::size_t>(-1)) return 0;
    if (error != E2BIG) return error;
  }
}

CodecOracle::Decoded CodecOracle::Decode(std::string_view bytes) const {
  iconv(decoder_, nullptr, nullptr, nullptr, nullptr);
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  std::string out;
  const int error = Convert(decoder_, in, inLeft, out);
  return {Units(out), error == 0};
}

std::u16string CodecOracle::DecodeReplacingBytes(std::string_view bytes) const {
  iconv(decoder_, nullptr, nullptr, nullptr, nullptr);
  const char* in = bytes.data();
  std::size_t inLeft = bytes.size();
  std::string out;
  while (Convert(decoder_, in, inLeft, out) != 0) {
    out.append(reinterpret_cast<const char*>(&kReplacement), sizeof kReplacement);
    ++in;
    --inLeft;
  }
  return Units(out);
}

std::string CodecOracle::EncodeReplacing(std::u16string_view text, bool& exact) const {
  static constexpr char16_t kQuestionMark = u'?';
  std::string out;
  for (std::size_t i = 0; i < text.size();) {
    // One character: a surrogate pair, or a single unit (a lone surrogate included).
    const std::size_t units = IsHigh(text[i]) && i + 1 < text.size() && IsLow(text[i + 1]) ? 2 : 1;
    iconv(encoder_, nullptr, nullptr, nullptr, nullptr);
    const char* in = reinterpret_cast<const char*>(text.data() + i);
    std::size_t inLeft = units * sizeof(char16_t);
    std::string character;
    // glibc drops a tag character (U+E0000..U+E007F) that the codeset lacks without a word; the
    // codec writes '?' for it as for any character the codeset lacks.
    if (Convert(encoder_, in, inLeft, character) == 0 && !character.empty()) {
      out += character;
    } else {
      exact = false;
      const char* question = reinterpret_cast<const char*>(&kQuestionMark);
      std::size_t questionLeft = sizeof kQuestionMark;
      Convert(encoder_, question, questionLeft, out);
    }
    i += units;
  }
  return out;
}

void CheckCodec(const interop::NarrowCodec& codec, const CodecOracle& oracle, const std::uint8_t* data,
                std::size_t size) {
  // The input as narrow bytes. Both directions stop at the first NUL.
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  const std::string_view beforeNul = bytes.substr(0, bytes.find('\0'));
  const std::u16string decoded = codec.decode(bytes);
  FUZZ_CHECK(IsWellFormed(decoded), "decoding gave a lone surrogate");
  if (codec.decodesExactly()) {
    // Into storage of exactly the input's size, which the sanitizer watches the end of.
    const auto exact = std::make_unique<char16_t[]>(bytes.size());
    const std::size_t length = codec.decodeExact(bytes, exact.get());
    FUZZ_CHECK(std::u16string_view(exact.get(), length) == decoded, "decoding exactly differs from decode()");
  }
  const CodecOracle::Decoded reference = oracle.Decode(beforeNul);
  if (reference.valid) {
    FUZZ_CHECK(decoded == reference.text, "decoding valid bytes differs from iconv");
    // Where iconv's own round trip gives the bytes back, the codec's must too.
    bool exact = true;
    if (oracle.EncodeReplacing(reference.text, exact) == beforeNul && exact) {
      FUZZ_CHECK(codec.encode(decoded) == beforeNul, "valid bytes do not survive decode and encode");
    }
  } else {
    const std::size_t clean = reference.text.size();
    FUZZ_CHECK(decoded.compare(0, clean, reference.text) == 0,
               "decoding differs from iconv before the first bad sequence");
    FUZZ_CHECK(decoded.size() > clean && decoded[clean] == kReplacement,
               "the first bad sequence did not become U+FFFD");
    if (codec.kind() == interop::NarrowCodec::Kind::Utf8) {
      FUZZ_CHECK(decoded.size() <= beforeNul.size(), "UTF-8 gave more units than it had bytes");
    } else {
      FUZZ_CHECK(decoded == oracle.DecodeReplacingBytes(beforeNul),
                 "undecodable bytes not replaced one by one");
    }
  }

  // The input as UTF-16 units, lone surrogates and all.
  std::u16string units(size / 2, u'\0');
  std::memcpy(units.data(), data, units.size() * sizeof(char16_t));
  const std::u16string_view text = std::u16string_view(units).substr(0, units.find(u'\0'));
  bool exact = true;
  const std::string expected = oracle.EncodeReplacing(text, exact);
  const std::string encoded = codec.encode(units);
  FUZZ_CHECK(encoded == expected, "encoding differs from iconv character by character");
  if (exact) {
    const CodecOracle::Decoded back = oracle.Decode(encoded);
    if (back.valid && back.text == text) {
      FUZZ_CHECK(codec.decode(encoded) == text, "text does not survive encode and decode");
    }
  }
}

}  // namespace tarvo::fuzz
