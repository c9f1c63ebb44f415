// Operations of the stand-in that do no work yet say so by name.
#ifndef TARVO_VANTREL_NOT_IMPLEMENTED_H
#define TARVO_VANTREL_NOT_IMPLEMENTED_H

#include <string>

#include "BridgeErrors.h"

namespace tarvo::backend {

[[noreturn]] inline void NotImplementedYet(const char* operation) {
  throw NotSupportedError(std::string("Vantrel::") + operation + ": not implemented yet");
}

}  // namespace tarvo::backend

#endif  // TARVO_VANTREL_NOT_IMPLEMENTED_H
