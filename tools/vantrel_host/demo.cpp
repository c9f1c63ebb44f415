#include "demo.h"

#include <iostream>

namespace vantrel_host {

int RunDemo(const std::vector<std::string>&) {
  std::cerr << "demo: not ready yet\n";
  return 1;
}

}  // namespace vantrel_host
