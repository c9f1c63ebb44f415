// The tag-table parser on any text: it either refuses the text naming a line that exists, or gives
// entries that obey the format's rules, answer their own look-ups and survive being written out and
// parsed again.
#include <string>
#include <string_view>

#include "check.h"
#include "model_container/tag_file.h"
#include "model_container/tag_table_resolver.h"

namespace {

using tarvo::backend::TagTableResolver;

constexpr std::string_view kWhiteSpace = " \t\v\f\r";

bool Clean(const std::u16string& field) {
  if (field.empty()) return false;
  for (char16_t unit : field) {
    if (unit == u'\t' || unit == u'\n' || unit == u'\0') return false;
  }
  const auto blank = [](char16_t unit) {
    return unit < 0x80 && kWhiteSpace.find(char(unit)) != kWhiteSpace.npos;
  };
  return !blank(field.front()) && !blank(field.back()) && field.front() != u'\uFEFF' &&
         field.back() != u'\uFEFF';
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view content(reinterpret_cast<const char*>(data), size);
  TagTableResolver::Entries entries;
  try {
    entries = tarvo::backend::ParseTagFile(content, "fuzz", "TagTableResolver::Parse");
  } catch (const std::invalid_argument& error) {
    // "TagTableResolver::Parse: fuzz, line N: ..." with N a line of the content.
    const std::string_view message = error.what();
    constexpr std::string_view kPrefix = "TagTableResolver::Parse: fuzz, line ";
    FUZZ_CHECK(message.substr(0, kPrefix.size()) == kPrefix, error.what());
    const std::size_t line = std::stoul(std::string(message.substr(kPrefix.size())));
    std::size_t lines = 1;
    for (char c : content) lines += c == '\n';
    FUZZ_CHECK(line >= 1 && line <= lines, error.what());
    // The public parser refuses the same text the same way.
    try {
      TagTableResolver::Parse(content, "fuzz");
      FUZZ_CHECK(false, "Parse accepted what ParseTagFile refused");
    } catch (const std::invalid_argument& again) {
      FUZZ_CHECK(message == again.what(), again.what());
    }
    return 0;
  }

  std::string written;
  for (const auto& [name, tag] : entries) {
    FUZZ_CHECK(Clean(name), "a name breaks the format's rules");
    FUZZ_CHECK(Clean(tag), "a tag breaks the format's rules");
    written += tarvo::backend::ToUtf8(name) + "\t" + tarvo::backend::ToUtf8(tag) + "\n";
  }
  const auto resolver = TagTableResolver::Parse(content, "fuzz");
  FUZZ_CHECK(resolver->size() == entries.size(), "Parse and ParseTagFile disagree");
  for (const auto& [name, tag] : entries) {
    FUZZ_CHECK(resolver->GetMatrixExtendedTag(tarvo::runtime::Text(name)).units() == tag, "a look-up missed");
  }
  FUZZ_CHECK(tarvo::backend::ParseTagFile(written, "written", "again") == entries,
             "entries do not round-trip");
  return 0;
}
