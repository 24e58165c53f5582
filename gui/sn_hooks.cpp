#include "gui/sn_hooks.h"

#include "gui/sn_claims.h"
#include "gui/sn_dialogs.h"
#include "gui/sn_format.h"
#include "gui/sn_history.h"
#include "gui/sn_list.h"
#include "gui/sn_readback.h"

namespace gui {
namespace {

const SerializationHooks* g_hooks = nullptr;

} // namespace

const SerializationHooks& SerializationEngineHooks() {
    static const SerializationHooks engine{
        SnListCount,
        SnHistoryContains,
        SerialNumberReadBack,
        SnEditRun,
        SerialNumberFromText,
        SnHistoryAppend,
        SerialNumberComputeNext,
        SerialNumberPackNext,
        SnClaim,
    };
    return engine;
}

const SerializationHooks& Serialization() {
    return g_hooks != nullptr ? *g_hooks : SerializationEngineHooks();
}

void SetSerializationHooks(const SerializationHooks* hooks) {
    g_hooks = hooks;
}

} // namespace gui
