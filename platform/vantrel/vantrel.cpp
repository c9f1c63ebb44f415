#include "vantrel/vantrel.h"

#include <cstdio>
#include <string>

#include "interop/narrow_codec.h"
#include "vantrel/document_viewers.h"

namespace tarvo::backend {

Vantrel::Vantrel() : viewers_(std::make_unique<DocumentViewers>()) {}
Vantrel::~Vantrel() = default;

// Shown where a person running the host sees it, with a prefix that tells where it came from.
void Vantrel::TestMessageBox(const Text& message) {
  const std::string shown = interop::NarrowCodec::process().encode(message.units("TestMessageBox"));
  std::fprintf(stderr, "[Vantrel message] %s\n", shown.c_str());
}

}  // namespace tarvo::backend
