// Typed command-line arguments of the host program's subcommands.
#ifndef VANTREL_HOST_ARGUMENTS_H
#define VANTREL_HOST_ARGUMENTS_H

#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel_host {

enum class ArgType { Text, Bool, Int, Double, DoubleList };

struct Param {
  const char* name;
  ArgType type;
};

// A command line the program cannot use: answered with usage help and exit code 2.
class UsageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The words after the subcommand's name, read by position with the types the operation expects.
class Arguments {
 public:
  Arguments(std::vector<std::string> words, const std::vector<Param>& params)
      : words_(std::move(words)), params_(params) {}

  std::size_t size() const { return words_.size(); }
  const std::string& text(std::size_t i) const { return words_.at(i); }
  bool flag(std::size_t i) const;
  int integer(std::size_t i) const;
  double number(std::size_t i) const;
  std::vector<double> numbers(std::size_t i) const;

 private:
  [[noreturn]] void refuse(std::size_t i, const char* expected) const;

  std::vector<std::string> words_;
  const std::vector<Param>& params_;
};

const char* TypeName(ArgType type);

}  // namespace vantrel_host

#endif  // VANTREL_HOST_ARGUMENTS_H
