// vantrel-host: a command-line host of the bridge library. It reaches every operation through the
// public interface alone, as any third-party host would.
#include <strings.h>

#include <cstdio>
#include <exception>
#include <iostream>
#include <string>
#include <vector>

#include "IVantrelWrapper.h"
#include "arguments.h"
#include "demo.h"
#include "operations.h"

namespace vantrel_host {
namespace {

constexpr int kFailed = 1;
constexpr int kBadCommandLine = 2;

std::string Synopsis(const Operation& op) {
  std::string line = std::string("vantrel-host ") + op.name;
  for (const Param& param : op.params) line += std::string(" <") + param.name + ">";
  return line;
}

void PrintHelp(std::ostream& out) {
  out << "Usage: vantrel-host <command> [arguments...]\n"
         "       vantrel-host <command> --help\n\n"
         "Commands (case-insensitive):\n"
         "  demo [model-folder]   a guided run over the sample model\n";
  for (const Operation& op : Operations()) {
    std::string head = op.name;
    for (const Param& param : op.params) head += std::string(" <") + param.name + ">";
    out << "  " << head << "\n      " << op.summary << '\n';
  }
  out << "\nText arguments are passed as given; booleans are true or false; lists are n1,n2,...\n"
         "Errors print one line naming the operation and exit with 1; a bad command line exits with 2.\n";
}

void PrintCommandHelp(const std::vector<const Operation*>& overloads, std::ostream& out) {
  for (const Operation* op : overloads) {
    out << "Usage: " << Synopsis(*op) << "\n  " << op->summary << '\n';
    for (const Param& param : op->params) out << "  <" << param.name << ">  " << TypeName(param.type) << '\n';
  }
}

int RunOperation(const std::vector<const Operation*>& overloads, std::vector<std::string> words) {
  const Operation* chosen = nullptr;
  for (const Operation* op : overloads) {
    if (op->params.size() == words.size()) chosen = op;
  }
  if (chosen == nullptr) throw UsageError("wrong number of arguments");
  const Arguments arguments(std::move(words), chosen->params);

  IVantrelWrapper* wrapper = IVantrelWrapper::CreateInstance();
  try {
    wrapper->LoadObject();
    chosen->run(*wrapper, arguments, std::cout);
  } catch (const UsageError&) {
    IVantrelWrapper::Destroy(wrapper);
    throw;
  } catch (const std::exception& error) {
    IVantrelWrapper::Destroy(wrapper);
    std::cout.flush();
    std::cerr << chosen->name << ": " << error.what() << '\n';
    return kFailed;
  }
  IVantrelWrapper::Destroy(wrapper);
  return 0;
}

int Main(int argc, char** argv) {
  std::vector<std::string> words(argv + 1, argv + argc);
  if (words.empty()) {
    PrintHelp(std::cerr);
    return kBadCommandLine;
  }
  const std::string command = words.front();
  words.erase(words.begin());
  const bool wantsHelp = !words.empty() && (words.front() == "--help" || words.front() == "-h");
  if (command == "--help" || command == "-h" || strcasecmp(command.c_str(), "help") == 0) {
    PrintHelp(std::cout);
    return 0;
  }
  if (strcasecmp(command.c_str(), "demo") == 0) {
    if (wantsHelp) {
      std::cout << "Usage: vantrel-host demo [model-folder]\n  " << kDemoSummary << '\n';
      return 0;
    }
    return RunDemo(words);
  }
  const std::vector<const Operation*> overloads = FindOperations(command);
  if (overloads.empty()) {
    std::cerr << "vantrel-host: unknown command '" << command << "'\n\n";
    PrintHelp(std::cerr);
    return kBadCommandLine;
  }
  if (wantsHelp) {
    PrintCommandHelp(overloads, std::cout);
    return 0;
  }
  try {
    return RunOperation(overloads, std::move(words));
  } catch (const UsageError& error) {
    std::cerr << "vantrel-host " << overloads.front()->name << ": " << error.what() << "\n\n";
    PrintCommandHelp(overloads, std::cerr);
    return kBadCommandLine;
  }
}

}  // namespace
}  // namespace vantrel_host

int main(int argc, char** argv) {
  return vantrel_host::Main(argc, argv);
}
