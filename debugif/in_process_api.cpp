#include "debugif/in_process_api.h"

namespace debugif {

void FillInProcessDebugApi(core::DebugApi& api) {
    api = core::DebugApi{};
#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    if constexpr (((uses)&core::kEntryInProcess) != 0) {                                           \
        api.name = &MSP430_##name;                                                                 \
    }
#include "core/debug_entries.def"
}

const core::DebugApi& InProcessDebugApi() {
    static const core::DebugApi api = [] {
        core::DebugApi a{};
        FillInProcessDebugApi(a);
        return a;
    }();
    return api;
}

} // namespace debugif
