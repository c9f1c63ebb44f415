// The root class of every backend object, as the runtime's object type is: whatever a host or the
// bridge holds of a backend is held as an Object, and a type test is a dynamic_cast from it.
#ifndef TARVO_RUNTIME_OBJECT_H
#define TARVO_RUNTIME_OBJECT_H

#include "platform_export.h"

namespace tarvo::runtime {

class TARVO_PLATFORM_API Object {
 public:
  Object() = default;
  Object(const Object&) = default;
  Object& operator=(const Object&) = default;
  virtual ~Object();
};

}  // namespace tarvo::runtime

#endif  // TARVO_RUNTIME_OBJECT_H
