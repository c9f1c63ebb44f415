#include "arguments.h"

#include <strings.h>
#include <cerrno>
#include <charconv>
#include <cstdlib>

namespace vantrel_host {

const char* TypeName(ArgType type) {
  switch (type) {
    case ArgType::Text:
      return "text";
    case ArgType::Bool:
      return "true|false";
    case ArgType::Int:
      return "integer";
    case ArgType::Double:
      return "number";
    case ArgType::DoubleList:
      return "n1,n2,...";
  }
  return "?";
}

void Arguments::refuse(std::size_t i, const char* expected) const {
  throw UsageError(std::string(params_.at(i).name) + ": '" + words_.at(i) + "' is not " + expected);
}

bool Arguments::flag(std::size_t i) const {
  if (strcasecmp(words_.at(i).c_str(), "true") == 0) return true;
  if (strcasecmp(words_.at(i).c_str(), "false") == 0) return false;
  refuse(i, "true or false");
}

int Arguments::integer(std::size_t i) const {
  const std::string& word = words_.at(i);
  int value = 0;
  const auto [end, error] = std::from_chars(word.data(), word.data() + word.size(), value);
  if (error != std::errc() || end != word.data() + word.size() || word.empty()) refuse(i, "a 32-bit integer");
  return value;
}

static bool ParseDouble(std::string_view word, double& value) {
  const std::string copy(word);
  char* end = nullptr;
  errno = 0;
  value = std::strtod(copy.c_str(), &end);
  return !copy.empty() && end == copy.c_str() + copy.size() && errno == 0;
}

double Arguments::number(std::size_t i) const {
  double value = 0;
  if (!ParseDouble(words_.at(i), value)) refuse(i, "a number");
  return value;
}

std::vector<double> Arguments::numbers(std::size_t i) const {
  std::vector<double> values;
  std::string_view rest = words_.at(i);
  while (!rest.empty()) {
    const std::size_t comma = rest.find(',');
    double value = 0;
    if (!ParseDouble(rest.substr(0, comma), value)) refuse(i, "a comma-separated list of numbers");
    values.push_back(value);
    rest = comma == std::string_view::npos ? std::string_view() : rest.substr(comma + 1);
    if (comma != std::string_view::npos && rest.empty()) refuse(i, "a comma-separated list of numbers");
  }
  return values;
}

}  // namespace vantrel_host
