// Prints the process codec that this program's environment selects, as
//   codeset=NAME kind=KIND after-setlocale=NAME
// where the last field is read again after the program changes its own global locale, which must not
// move the codec.
#include "interop/narrow_codec.h"

#include <clocale>
#include <cstdio>
#include <exception>

// glibc 2.36's newlocale leaks its copy of LOCPATH, which the tests always set; in a sanitized build
// that would fail the probe for a leak outside this code base. The sanitizer runtime looks the hook up
// dynamically, so it must stay visible despite the project's hidden default.
extern "C" [[gnu::visibility("default")]] const char* __lsan_default_suppressions() {
  return "leak:__argz_add_sep\n";
}

namespace {

const char* kindName(tarvo::interop::NarrowCodec::Kind kind) {
  switch (kind) {
    case tarvo::interop::NarrowCodec::Kind::Utf8:
      return "Utf8";
    case tarvo::interop::NarrowCodec::Kind::SingleByte:
      return "SingleByte";
    case tarvo::interop::NarrowCodec::Kind::MultiByte:
      return "MultiByte";
    case tarvo::interop::NarrowCodec::Kind::Iconv:
      return "Iconv";
  }
  return "?";
}

}  // namespace

int main() {
  try {
    using tarvo::interop::NarrowCodec;
    const NarrowCodec& first = NarrowCodec::process();
    std::printf("codeset=%s kind=%s", first.codeset().c_str(), kindName(first.kind()));
    std::setlocale(LC_ALL, "C");
    std::printf(" after-setlocale=%s\n", NarrowCodec::process().codeset().c_str());
    return 0;
  } catch (const std::exception& e) {
    std::fprintf(stderr, "locale_probe: %s\n", e.what());
    return 1;
  }
}
