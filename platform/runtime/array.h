// Backend arrays: reference-typed like the runtime's arrays, so "no array" (null) is a value.
#ifndef TARVO_RUNTIME_ARRAY_H
#define TARVO_RUNTIME_ARRAY_H

#include <memory>
#include <vector>

namespace tarvo::runtime {

template <class T>
using Array = std::shared_ptr<std::vector<T>>;

}  // namespace tarvo::runtime

#endif  // TARVO_RUNTIME_ARRAY_H
