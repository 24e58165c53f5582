#include "core/debug_api.h"

#include "core/debug_lib.h"

namespace core {

namespace {

const DebugApi* apiInUse = nullptr;

const DebugApi& Api() {
    return apiInUse != nullptr ? *apiInUse : DebugLibApi();
}

} // namespace

void DebugApiUse(const DebugApi* api) {
    apiInUse = api;
}

const DebugApi& DebugApiInUse() {
    return Api();
}

#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments, uses)                               \
    result Debug_##name parameters {                                                               \
        const auto f = Api().name;                                                                 \
        return f != nullptr ? f arguments : DebugEntryMissing<result>();                           \
    }
#include "core/debug_entries.def"

} // namespace core
