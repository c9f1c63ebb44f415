// The table of operations the host program offers: one subcommand per interface operation.
#ifndef VANTREL_HOST_OPERATIONS_H
#define VANTREL_HOST_OPERATIONS_H

#include <functional>
#include <ostream>
#include <string_view>
#include <vector>

#include "IVantrelWrapper.h"
#include "arguments.h"

namespace vantrel_host {

struct Operation {
  const char* name;
  const char* summary;
  std::vector<Param> params;
  // Runs the operation on a bound wrapper and prints its result.
  std::function<void(IVantrelWrapper&, const Arguments&, std::ostream&)> run;
};

// Every operation, in slot order. Overloads appear once per parameter list.
const std::vector<Operation>& Operations();

// The operations of that name (case-insensitive); several for an overloaded name.
std::vector<const Operation*> FindOperations(std::string_view name);

}  // namespace vantrel_host

#endif  // VANTREL_HOST_OPERATIONS_H
