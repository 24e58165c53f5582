#pragma once
// What the procedures call of serialization: the pending list, the history,
// the read-back of a target's label, the serial-number editor and the next
// number. The serialization engine installs its own table; until then the
// "off" table runs, which reads serialization and model text as switched off.

#include <cstdint>
#include <functional>
#include <string>

namespace gui {

struct SerializationHooks {
    // The settings as serialization sees them (the "off" table: 0).
    std::function<int32_t()> SerializationEnable;
    std::function<int32_t()> ModelTextEnable;
    // Entries of the pending serial-number list.
    std::function<int32_t()> SnListCount;
    // 1 when the history holds the number the text names.
    std::function<int32_t(const std::string& text)> SnHistoryContains;
    // Reads the label from the target: 1 a serial number found (snText
    // decoded), 0 none, 4 read error; modelText the model bytes as text.
    std::function<int32_t(std::string& snText, std::string& modelText)> SerialNumberReadBack;
    // The serial-number editor; 1 when the operator cancelled it.
    std::function<int32_t()> SnEditorRun;
    // Packs the serial-number text into SerialNumberBytes.
    std::function<void(const std::string& text)> SerialNumberFromText;
    std::function<void()> SnHistoryAppend;
    std::function<void()> SerialNumberComputeNext;
    std::function<void()> SerialNumberPackNext;
};

// The table in use.
SerializationHooks& Serialization();
// Installs hooks (the engine, or a test's double); Reset puts the "off"
// table back.
void SerializationHooksSet(const SerializationHooks& hooks);
void SerializationHooksReset();
// The "off" table.
SerializationHooks SerializationHooksOff();

} // namespace gui
