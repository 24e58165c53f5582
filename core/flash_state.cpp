#include "core/flash_state.h"

#include "core/code_image.h"
#include "core/device_select.h"

namespace core {

FlashOpsState FlashOps;

int32_t FlashEndAddress() {
    const int32_t end = ConnectedDevice.flashEnd;
    return end > kImageEnd ? kImageEnd : end;
}

uint8_t* TransferBuffer(int32_t count) {
    const size_t n = count > 0 ? static_cast<size_t>(count) : 1;
    if (FlashOps.transfer.size() < n) {
        FlashOps.transfer.resize(n);
    }
    return FlashOps.transfer.data();
}

} // namespace core
