#include "vantrel/argument_splitting.h"

#include <optional>
#include <stdexcept>

namespace tarvo::backend::detail {

namespace {

bool IsBlank(char16_t unit) {
  return unit == u' ' || unit == u'\t' || unit == u'\n';
}

bool EscapableInDoubleQuotes(char16_t unit) {
  return unit == u'"' || unit == u'\\' || unit == u'$' || unit == u'`' || unit == u'\n';
}

[[noreturn]] void Refuse(std::string_view operation, const char* what) {
  throw std::invalid_argument(std::string(operation) + ": " + what + " in the arguments");
}

}  // namespace

std::vector<std::u16string> SplitArguments(std::u16string_view line, std::string_view operation) {
  std::vector<std::u16string> words;
  std::optional<std::u16string> word;  // empty optional: between words
  for (size_t i = 0; i < line.size(); ++i) {
    const char16_t unit = line[i];
    if (IsBlank(unit)) {
      if (word) words.push_back(std::move(*word));
      word.reset();
      continue;
    }
    if (unit == u'\\') {
      if (++i == line.size()) Refuse(operation, "a trailing backslash");
      if (line[i] == u'\n') continue;  // a joined line
      if (!word) word.emplace();
      word->push_back(line[i]);
      continue;
    }
    if (!word) word.emplace();
    if (unit == u'\'') {
      const size_t close = line.find(u'\'', i + 1);
      if (close == std::u16string_view::npos) Refuse(operation, "an unterminated single quote");
      word->append(line.substr(i + 1, close - i - 1));
      i = close;
    } else if (unit == u'"') {
      for (++i;; ++i) {
        if (i == line.size()) Refuse(operation, "an unterminated double quote");
        if (line[i] == u'"') break;
        if (line[i] == u'\\' && i + 1 < line.size() && EscapableInDoubleQuotes(line[i + 1])) {
          if (line[++i] != u'\n') word->push_back(line[i]);
        } else {
          word->push_back(line[i]);
        }
      }
    } else {
      word->push_back(unit);
    }
  }
  if (word) words.push_back(std::move(*word));
  return words;
}

}  // namespace tarvo::backend::detail
