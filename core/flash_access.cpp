#include "core/flash_access.h"

#include "core/debug_api.h"
#include "core/flash_state.h"
#include "core/memory_map.h"

namespace core {

int32_t TargetLockedFlashAccessBegin(int32_t address, int32_t length) {
    const MemoryMapInstance& map = MemoryMap.active;
    const int64_t first = address;
    if (map.lockedInfoA != 0 && first + length >= map.lockedStart && map.lockedEnd >= first) {
        Debug_Configure(kConfigureLockedFlashAccess, 1);
        FlashOps.lockedAccess = 1;
    }
    return 1;
}

void TargetLockedFlashAccessEnd() {
    // A refused switch keeps the flag, so that the next end (a procedure
    // start ends any bracket) tries again rather than leave Info-A open.
    if (FlashOps.lockedAccess != 0 && Debug_Configure(kConfigureLockedFlashAccess, 0) == kDebugOk) {
        FlashOps.lockedAccess = 0;
    }
}

} // namespace core
