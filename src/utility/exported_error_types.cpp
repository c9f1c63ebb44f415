// The exception types of BridgeErrors.h are header-only, so a library carries their vtable and
// type information only where its own code raises them. exports.map publishes them from this
// library for hosts that catch by type, whatever the operations of the day happen to raise, so
// this file raises each one once to make sure they are always here.
#include "BridgeErrors.h"

namespace tarvo::bridge {

// Called by nothing; only its body matters. Not declared in any header.
[[noreturn]] void RaiseExportedErrorType(bool nullReference) {
  if (nullReference) throw NullReferenceError("RaiseExportedErrorType");
  throw NotSupportedError("RaiseExportedErrorType");
}

}  // namespace tarvo::bridge
