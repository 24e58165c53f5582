#include "core/core_state.h"

#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/code_store.h"
#include "core/code_writer.h"
#include "core/debug_api.h"
#include "core/debug_lib.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_state.h"
#include "core/line_reader.h"
#include "core/memory_map.h"
#include "core/passwords.h"
#include "core/progress.h"
#include "core/segment_table.h"
#include "core/serial_data.h"
#include "core/settings.h"
#include "core/setup_file.h"
#include "core/state_registry.h"
#include "core/target_state.h"

namespace core {

namespace {

// DebugLib comes before DebugApiInUse: the library is freed first, then the
// default table is in use again.
constexpr StateObject kCoreStateObjects[] = {
    {"LineReader", [] { LineReader.Reset(); }},
    {"DeviceInfoTable", [] { DeviceInfoTable.Reset(); }},
    {"SelectedDevice", [] { SelectedDevice.Reset(); }},
    {"ConnectedDevice", [] { ConnectedDevice.Reset(); }},
    {"MemoryMap", [] { MemoryMap.Reset(); }},
    {"SegmentTable", [] { SegmentTable.Reset(); }},
    {"Settings", [] { Settings.Reset(); }},
    {"Images", [] { Images.Reset(); }},
    {"Passwords", [] { Passwords.Reset(); }},
    {"SerialData", [] { SerialData.Reset(); }},
    {"CodeLoad", [] { CodeLoad.Reset(); }},
    {"Target", [] { Target.Reset(); }},
    {"FlashOps", [] { FlashOps.Reset(); }},
    {"Progress", [] { Progress.Reset(); }},
    {"DebugLib", [] { DebugLib.Reset(); }},
    {"DebugApiInUse", [] { DebugApiUse(nullptr); }},
    {"CodeWriter", [] { CodeWriter.Reset(); }},
    {"CodeFileNames", [] { CodeFileNames.Reset(); }},
    {"SetupFiles", [] { SetupFiles.Reset(); }},
};

} // namespace

void StateTablesReset(std::initializer_list<StateTable> tables) {
    for (const StateTable table : tables) {
        for (const StateObject& object : table) {
            object.reset();
        }
    }
}

void StateObjectsReset(StateTable table, std::initializer_list<std::string_view> names) {
    for (const StateObject& object : table) {
        for (const std::string_view name : names) {
            if (name == object.name) {
                object.reset();
            }
        }
    }
}

StateTable CoreStateObjects() {
    return kCoreStateObjects;
}

void CoreStateReset() {
    StateTablesReset({CoreStateObjects()});
}

} // namespace core
