#include "core/flash_fuse.h"

#include "core/debug_api.h"
#include "core/target_result.h"

namespace core {

int32_t TargetBlowFuse() {
    return TargetResultMap(Debug_Secure());
}

} // namespace core
