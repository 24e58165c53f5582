#pragma once
// The serialization entry points the programming procedures call. They go
// through this table so that a procedure test can put a fake in place of
// one of them (a full disk, an editor the operator cancels).

#include <cstdint>
#include <string>
#include <string_view>

namespace gui {

struct SerializationHooks {
    int32_t (*ListCount)();                          // SnListCount
    int32_t (*HistoryContains)(std::string_view sn); // SnHistoryContains
    int32_t (*ReadBack)();                           // SerialNumberReadBack
    // The SN editor on the SN field's text: 1 OK (the chosen SN in
    // SnEditResultText, SnStatus set), 15 cancelled.
    int32_t (*EditSn)(const std::string& fieldText);
    int32_t (*FromText)(std::string_view text); // SerialNumberFromText
    int32_t (*HistoryAppend)();                 // SnHistoryAppend
    int32_t (*ComputeNext)();                   // SerialNumberComputeNext
    int32_t (*PackNext)();                      // SerialNumberPackNext
    int32_t (*Claim)(int32_t mayMoveOn);        // SnClaim
};

// The engine's own entries.
const SerializationHooks& SerializationEngineHooks();

// The table in use; SetSerializationHooks(nullptr) puts the engine's back.
const SerializationHooks& Serialization();
void SetSerializationHooks(const SerializationHooks* hooks);

} // namespace gui
