// Export macro of the bridge library and the exception types that a host may catch by type.
//
// Every failure inside the library reaches the host unchanged: the types below, the standard
// exceptions (std::bad_alloc, std::invalid_argument, std::overflow_error, std::system_error, ...)
// and whatever a backend raises. Each message names the operation and the value at fault.
#ifndef VANTREL_BRIDGE_ERRORS_H
#define VANTREL_BRIDGE_ERRORS_H

#include <stdexcept>

#if defined(_WIN32)
#if defined(VANTREL_BRIDGE_BUILDING)
#define VANTREL_BRIDGE_API __declspec(dllexport)
#else
#define VANTREL_BRIDGE_API __declspec(dllimport)
#endif
#else
#define VANTREL_BRIDGE_API __attribute__((visibility("default")))
#endif

// The exception types below are header-only: every module that raises or catches one compiles its
// own copy. On ELF they still need default visibility, so that their type information is one
// symbol for the whole process. A DLL must not import them: the stand-ins' DLL, which raises them
// without linking the bridge, would then need the bridge's exports, and inline members have none to
// import. Windows C++ runtimes match exception types by name across DLLs, so a local copy in each
// module is caught by type everywhere.
#if defined(_WIN32)
#define VANTREL_BRIDGE_ERROR_API
#else
#define VANTREL_BRIDGE_ERROR_API VANTREL_BRIDGE_API
#endif

namespace tarvo {

// An operation needed a backend object, or backend text, and found none: a wrapper used before
// LoadObject, or a backend that answered with absent (null) text.
class VANTREL_BRIDGE_ERROR_API NullReferenceError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The operation exists in the interface but this build cannot carry it out.
class VANTREL_BRIDGE_ERROR_API NotSupportedError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A value handed in as an object handle does not designate a live handle: zero, a handle already
// freed (stale), one freed twice, or a value that was never a handle. Raised before anything is
// read through the value.
class VANTREL_BRIDGE_ERROR_API InvalidHandleError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// An object does not have the type that an operation needs, for instance a handle given to
// IUnifiedTagsManagerWrapper::LoadObject that designates something other than a tag resolver.
class VANTREL_BRIDGE_ERROR_API InvalidCastError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace tarvo

#endif  // VANTREL_BRIDGE_ERRORS_H
