// The runtime's checked conversion of an object to one of its interfaces.
#ifndef TARVO_RUNTIME_CAST_H
#define TARVO_RUNTIME_CAST_H

#include <memory>
#include <string>
#include <typeinfo>

#include "BridgeErrors.h"
#include "platform_export.h"
#include "runtime/object.h"

namespace tarvo::runtime {

// The readable name of a type ("tarvo::backend::ITarvoUnifiedTags"), for messages.
TARVO_PLATFORM_API std::string TypeName(const std::type_info& type);

// `object` as a T, sharing its ownership. Nothing converts to nothing; an object that is not a T
// raises InvalidCastError naming `operation`, the object's type and T.
template <class T>
std::shared_ptr<T> CastTo(const std::shared_ptr<Object>& object, const char* operation) {
  if (!object) return nullptr;
  if (std::shared_ptr<T> converted = std::dynamic_pointer_cast<T>(object)) return converted;
  const Object& actual = *object;
  throw InvalidCastError(std::string(operation) + ": the object is a " + TypeName(typeid(actual)) +
                         ", which is not a " + TypeName(typeid(T)));
}

}  // namespace tarvo::runtime

#endif  // TARVO_RUNTIME_CAST_H
