#include "debugif/eem_registers.h"

#include "core/le_block.h"
#include "debugif/api_state.h"
#include "debugif/uif_blocks.h"
#include "debugif/uif_command.h"
#include "debugif/uif_link_state.h"

#include <mutex>
#include <vector>

namespace debugif {

int32_t ReadEemRegisters() {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    if (UifCommand(kUifEemRegisters, kUifTypeParamsData, {0, kEemRegisterSpan, 1}) != 0) {
        return -1;
    }
    if (!UifReplyHasData(kEemRegisterCount * 4)) {
        return -1;
    }
    const uint8_t* data = UifLink.ResponseBlock.data;
    for (size_t i = 0; i < kEemRegisterCount; ++i) {
        Api.EemRegisterCache[i].value = core::LoadU32(data + 4 * i);
        Api.EemRegisterCache[i].changed = 0;
    }
    return 0;
}

int32_t WriteEemRegisters() {
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    std::vector<uint8_t> pairs;
    for (size_t i = 0; i < kEemRegisterCount; ++i) {
        const EemRegisterEntry& e = Api.EemRegisterCache[i];
        if (e.changed == 1) {
            uint8_t pair[8];
            core::StoreU32(pair, static_cast<uint32_t>(2 * i));
            core::StoreU32(pair + 4, e.value);
            pairs.insert(pairs.end(), pair, pair + 8);
        }
    }
    const uint32_t count = static_cast<uint32_t>(pairs.size() / 8);
    if (UifCommand(kUifEemRegisters, kUifTypeParamsData, {count, kEemRegisterSpan, 0},
                   pairs.empty() ? nullptr : pairs.data(),
                   static_cast<uint32_t>(pairs.size())) != 0) {
        return -1;
    }
    for (EemRegisterEntry& e : Api.EemRegisterCache) {
        e.changed = 0;
    }
    return 0;
}

} // namespace debugif
