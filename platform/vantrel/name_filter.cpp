#include "vantrel/name_filter.h"

#include <optional>

namespace tarvo::backend::detail {

namespace {

// A lone surrogate stands for itself, so every name has characters to match.
std::u32string CodePoints(std::u16string_view units) {
  std::u32string points;
  for (size_t i = 0; i < units.size(); ++i) {
    const char16_t unit = units[i];
    if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
        units[i + 1] < 0xE000) {
      points.push_back(0x10000 + ((char32_t(unit) - 0xD800) << 10) + (char32_t(units[++i]) - 0xDC00));
    } else {
      points.push_back(unit);
    }
  }
  return points;
}

bool IsBlank(char16_t unit) {
  return unit == u' ' || unit == u'\t';
}

// Matches the bracket expression starting at pattern[at] ('[') against `c`. Answers where the
// expression ends (one past ']') and whether it matched, or nothing when it never closes.
std::optional<std::pair<size_t, bool>> MatchClass(std::u32string_view pattern, size_t at, char32_t c) {
  size_t i = at + 1;
  const bool negated = i < pattern.size() && (pattern[i] == U'!' || pattern[i] == U'^');
  if (negated) ++i;
  bool found = false;
  for (bool first = true; i < pattern.size(); first = false) {
    if (pattern[i] == U']' && !first) return std::pair(i + 1, found != negated);
    char32_t low = pattern[i];
    if (low == U'\\' && i + 1 < pattern.size()) low = pattern[++i];
    ++i;
    char32_t high = low;
    if (i + 1 < pattern.size() && pattern[i] == U'-' && pattern[i + 1] != U']') {
      high = pattern[i + 1];
      if (high == U'\\' && i + 2 < pattern.size()) high = pattern[++i + 1];
      i += 2;
    }
    if (low <= c && c <= high) found = true;
  }
  return std::nullopt;
}

// Greedy matching that, on a mismatch, retries from the last '*' with one more character
// swallowed: linear in practice, never exponential.
bool Matches(std::u32string_view pattern, std::u32string_view name) {
  size_t p = 0, n = 0;
  std::optional<std::pair<size_t, size_t>> star;  // pattern position after '*', name position
  while (n < name.size()) {
    bool advanced = false;
    if (p < pattern.size()) {
      const char32_t token = pattern[p];
      if (token == U'*') {
        star = std::pair(++p, n);
        continue;
      }
      if (token == U'?') {
        advanced = true;
        ++p;
      } else if (token == U'[') {
        if (const auto bracket = MatchClass(pattern, p, name[n])) {
          advanced = bracket->second;
          if (advanced) p = bracket->first;
        } else {
          advanced = name[n] == U'[';
          if (advanced) ++p;
        }
      } else {
        size_t literal = p;
        if (token == U'\\' && p + 1 < pattern.size()) ++literal;
        advanced = pattern[literal] == name[n];
        if (advanced) p = literal + 1;
      }
    }
    if (advanced) {
      ++n;
    } else if (star) {
      p = star->first;
      n = ++star->second;
    } else {
      return false;
    }
  }
  while (p < pattern.size() && pattern[p] == U'*') ++p;
  return p == pattern.size();
}

}  // namespace

NameFilter::NameFilter(std::u16string_view filter) {
  while (true) {
    const size_t separator = filter.find(u';');
    std::u16string_view pattern = filter.substr(0, separator);
    while (!pattern.empty() && IsBlank(pattern.front())) pattern.remove_prefix(1);
    while (!pattern.empty() && IsBlank(pattern.back())) pattern.remove_suffix(1);
    if (!pattern.empty()) patterns_.push_back(CodePoints(pattern));
    if (separator == std::u16string_view::npos) break;
    filter.remove_prefix(separator + 1);
  }
}

bool NameFilter::matches(std::u16string_view name) const {
  if (patterns_.empty()) return true;
  const std::u32string points = CodePoints(name);
  for (const std::u32string& pattern : patterns_) {
    if (Matches(pattern, points)) return true;
  }
  return false;
}

}  // namespace tarvo::backend::detail
