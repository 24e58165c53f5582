#include "core/debug_api.h"

#include "core/debug_lib.h"

#include <type_traits>

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

namespace {

// What a call of a missing entry gives: 34, or no text.
template <typename Result> Result Missing() {
    if constexpr (std::is_pointer_v<Result>) {
        return nullptr;
    } else {
        return kDebugEntryMissing;
    }
}

} // namespace

#define QUILL_DEBUG_ENTRY(result, name, parameters, arguments)                                     \
    result Debug_##name parameters {                                                               \
        const auto f = Api().name;                                                                 \
        return f != nullptr ? f arguments : Missing<result>();                                     \
    }
#include "core/debug_entries.def"

} // namespace core
