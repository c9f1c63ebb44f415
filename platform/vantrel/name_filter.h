// The file-name filter of GetFileList: shell-style patterns separated by ';'.
#ifndef TARVO_VANTREL_NAME_FILTER_H
#define TARVO_VANTREL_NAME_FILTER_H

#include <string>
#include <string_view>
#include <vector>

namespace tarvo::backend::detail {

// Matching works on characters (code points), not bytes, so that '?' is one letter whatever the
// encoding, and does not depend on the host's locale. Case matters, as it does for POSIX names.
//   *        any run of characters, the empty one and a leading dot included
//   ?        one character
//   [abc]    one of the listed characters; ranges a-z; [!...] or [^...] negates; a ']' right after
//            the opening bracket (or its negation) is listed; an unclosed '[' is an ordinary character
//   \c       the character c itself
// Blanks around each pattern are dropped; an empty filter (or one of only separators) lets every
// name through.
class NameFilter {
 public:
  explicit NameFilter(std::u16string_view filter);
  bool matches(std::u16string_view name) const;

 private:
  std::vector<std::u32string> patterns_;
};

}  // namespace tarvo::backend::detail

#endif  // TARVO_VANTREL_NAME_FILTER_H
