#include "model_container/tag_table_resolver.h"

#include <stdexcept>
#include <utility>

#include "model_container/tag_file.h"

namespace tarvo::backend {

std::shared_ptr<TagTableResolver> TagTableResolver::Load(const std::filesystem::path& file) {
  constexpr const char* operation = "TagTableResolver::Load";
  const std::string content = ReadTagFile(file, operation);
  return std::make_shared<TagTableResolver>(ParseTagFile(content, file.string(), operation), file.string());
}

std::shared_ptr<TagTableResolver> TagTableResolver::Parse(std::string_view content, std::string source) {
  Entries entries = ParseTagFile(content, source, "TagTableResolver::Parse");
  return std::make_shared<TagTableResolver>(std::move(entries), std::move(source));
}

TagTableResolver::TagTableResolver(Entries entries, std::string source)
    : entries_(std::move(entries)), source_(std::move(source)) {}

runtime::Text TagTableResolver::GetMatrixExtendedTag(const runtime::Text& name) {
  constexpr const char* operation = "TagTableResolver::GetMatrixExtendedTag";
  const std::u16string_view key = name.units(operation);
  const auto found = entries_.find(key);
  if (found == entries_.end()) {
    throw std::out_of_range(std::string(operation) + ": \"" + ToUtf8(key) + "\" has no extended tag in " +
                            source_);
  }
  return runtime::Text(found->second);
}

}  // namespace tarvo::backend
