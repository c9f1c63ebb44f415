// Internal seam for tests: binds any Vantrel object (for example a recording one) to a wrapper.
// Not exported from the shared library; tests reach it by linking the bridge's objects.
#ifndef TARVO_UTILITY_WRAPPER_ACCESS_H
#define TARVO_UTILITY_WRAPPER_ACCESS_H

#include <memory>
#include <utility>

#include "utility/vantrel_wrapper.h"

namespace tarvo::bridge {

struct WrapperAccess {
  static void Bind(VantrelWrapper& wrapper, std::shared_ptr<backend::Vantrel> backend) {
    wrapper.backend_ = std::move(backend);
  }
  static const std::shared_ptr<backend::Vantrel>& Backend(const VantrelWrapper& wrapper) {
    return wrapper.backend_.shared();
  }
};

}  // namespace tarvo::bridge

#endif  // TARVO_UTILITY_WRAPPER_ACCESS_H
