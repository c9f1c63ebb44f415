#include "runtime/object.h"

namespace tarvo::runtime {

Object::~Object() = default;

}  // namespace tarvo::runtime
