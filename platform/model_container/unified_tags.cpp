#include "model_container/unified_tags.h"

namespace tarvo::backend {

ITarvoUnifiedTags::~ITarvoUnifiedTags() = default;

}  // namespace tarvo::backend
