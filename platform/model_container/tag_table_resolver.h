// TagTableResolver: a resolver of extended matrix tags that answers from a tag file.
//
// What an extended matrix tag is. A model's optimisation matrix names each row (constraint) and
// each column (variable) with a short identifier, because matrix files keep names short
// ("BALCRD01"). The extended tag is the full, structured name that the modeller gave that row or
// column ("Balance.Crude.Period 1"), which reports and user interfaces show instead. A resolver
// maps the short name to its extended tag; this one reads the mapping from a file.
//
// The tag file is UTF-8 text (a leading byte order mark is skipped), one entry per line:
//   BALCRD01<TAB>Balance.Crude.Period 1
// - exactly one TAB separates a non-empty name from a non-empty tag; neither may begin or end with
//   white space or U+FEFF (which would only cause look-ups that silently miss);
// - a line whose first non-blank character is '#' is a comment; blank lines are skipped;
// - lines may end in LF or CR LF; a later entry for a name replaces an earlier one;
// - names are matched exactly, case included.
// A line that breaks these rules, or is not valid UTF-8, fails the whole load with
// std::invalid_argument naming the file and the line number.
//
// A resolver is immutable once made, so any number of threads may ask it at once.
#ifndef TARVO_MODEL_CONTAINER_TAG_TABLE_RESOLVER_H
#define TARVO_MODEL_CONTAINER_TAG_TABLE_RESOLVER_H

#include <cstddef>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "model_container/unified_tags.h"
#include "platform_export.h"
#include "runtime/text.h"

namespace tarvo::backend {

class TARVO_PLATFORM_API TagTableResolver final : public ITarvoUnifiedTags {
 public:
  using Entries = std::map<std::u16string, std::u16string, std::less<>>;

  // Reads a tag file. Raises std::system_error when it cannot be read and std::invalid_argument for
  // a malformed line.
  static std::shared_ptr<TagTableResolver> Load(const std::filesystem::path& file);

  // Parses the text of a tag file already in memory; `source` names it in messages.
  static std::shared_ptr<TagTableResolver> Parse(std::string_view content, std::string source);

  TagTableResolver(Entries entries, std::string source);

  // The tag of `name`. An unknown name raises std::out_of_range naming it and the source; absent
  // text raises tarvo::NullReferenceError.
  runtime::Text GetMatrixExtendedTag(const runtime::Text& name) override;

  std::size_t size() const noexcept { return entries_.size(); }

 private:
  Entries entries_;
  std::string source_;
};

}  // namespace tarvo::backend

#endif  // TARVO_MODEL_CONTAINER_TAG_TABLE_RESOLVER_H
