#include "core/target_state.h"

namespace core {

TargetState Target;

} // namespace core
