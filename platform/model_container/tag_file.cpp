#include "model_container/tag_file.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <utility>

#include "interop/narrow_codec.h"

namespace tarvo::backend {

namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kWhiteSpace = " \t\v\f\r";

const interop::NarrowCodec& Utf8() {
  static const interop::NarrowCodec codec = interop::NarrowCodec::forCodeset("UTF-8");
  return codec;
}

bool IsBlank(std::string_view line) {
  return line.find_first_not_of(kWhiteSpace) == std::string_view::npos;
}

bool IsComment(std::string_view line) {
  const std::size_t first = line.find_first_not_of(kWhiteSpace);
  return first != std::string_view::npos && line[first] == '#';
}

bool HasOuterWhiteSpace(std::string_view field) {
  return kWhiteSpace.find(field.front()) != std::string_view::npos ||
         kWhiteSpace.find(field.back()) != std::string_view::npos;
}

// U+FEFF is as invisible as white space, and one at the start of a line is what concatenating two
// files that begin with a byte order mark leaves behind. A name that began with it would never match
// (nor would it survive being written out as the first line, where it reads as a byte order mark).
bool HasOuterByteOrderMark(std::string_view field) {
  return field.starts_with(kByteOrderMark) || field.ends_with(kByteOrderMark);
}

class LineReader {
 public:
  LineReader(const std::string& source, const char* operation) : source_(source), operation_(operation) {}

  // Every check names the line it is on, so a broken file can be fixed without guessing.
  [[noreturn]] void Fail(std::size_t lineNumber, const std::string& problem) const {
    throw std::invalid_argument(std::string(operation_) + ": " + source_ + ", line " +
                                std::to_string(lineNumber) + ": " + problem);
  }

  // The field as UTF-16. The codec would quietly replace bad bytes (and stop at a NUL), so a field
  // that does not survive the round trip back to UTF-8 unchanged is not valid UTF-8.
  std::u16string Decode(std::string_view field, std::size_t lineNumber, const char* what) const {
    std::u16string text = Utf8().decode(field);
    if (Utf8().encode(text) != field) {
      Fail(lineNumber, std::string("the ") + what + " is not valid UTF-8 or holds a NUL byte");
    }
    return text;
  }

 private:
  const std::string& source_;
  const char* operation_;
};

}  // namespace

std::string ReadTagFile(const std::filesystem::path& file, const char* operation) {
  const std::string prefix = std::string(operation) + ": " + file.string();
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) {
    throw std::system_error(std::make_error_code(std::errc::is_a_directory), prefix);
  }
  std::ifstream stream(file, std::ios::binary);
  if (!stream) throw std::system_error(errno, std::generic_category(), prefix + ": cannot open");
  std::string content{std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()};
  if (stream.bad()) throw std::system_error(errno, std::generic_category(), prefix + ": cannot read");
  return content;
}

TagTableResolver::Entries ParseTagFile(std::string_view content, const std::string& source,
                                       const char* operation) {
  const LineReader reader(source, operation);
  if (content.substr(0, kByteOrderMark.size()) == kByteOrderMark)
    content.remove_prefix(kByteOrderMark.size());

  TagTableResolver::Entries entries;
  std::size_t lineNumber = 0;
  for (std::size_t start = 0; start < content.size();) {
    std::size_t end = std::min(content.find('\n', start), content.size());
    std::string_view line = content.substr(start, end - start);
    start = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (IsBlank(line) || IsComment(line)) continue;

    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) reader.Fail(lineNumber, "expected name<TAB>tag, found no tab");
    if (line.find('\t', tab + 1) != std::string_view::npos) {
      reader.Fail(lineNumber, "expected name<TAB>tag, found more than one tab");
    }
    const std::string_view name = line.substr(0, tab);
    const std::string_view tag = line.substr(tab + 1);
    if (name.empty()) reader.Fail(lineNumber, "the name is empty");
    if (tag.empty()) reader.Fail(lineNumber, "the tag is empty");
    if (HasOuterWhiteSpace(name)) reader.Fail(lineNumber, "the name begins or ends with white space");
    if (HasOuterWhiteSpace(tag)) reader.Fail(lineNumber, "the tag begins or ends with white space");
    if (HasOuterByteOrderMark(name))
      reader.Fail(lineNumber, "the name begins or ends with U+FEFF (a byte order mark)");
    if (HasOuterByteOrderMark(tag))
      reader.Fail(lineNumber, "the tag begins or ends with U+FEFF (a byte order mark)");

    std::u16string decodedName = reader.Decode(name, lineNumber, "name");
    entries.insert_or_assign(std::move(decodedName), reader.Decode(tag, lineNumber, "tag"));
  }
  return entries;
}

std::string ToUtf8(std::u16string_view text) {
  return Utf8().encode(text);
}

}  // namespace tarvo::backend
