// Identification data straight from a peer: a forced row (as an adapter
// reply carries it) and the identification block. Whatever arrives, the
// lookup must stay inside its tables and leave a coherent state.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

#include "debugif/debugif_reset.h"
#include "debugif/device_id_state.h"
#include "debugif/device_id_table.h"
#include "debugif/device_lookup.h"
#include "debugif/identify_build.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace debugif;
    if (size < 4) {
        return 0;
    }
    int32_t forced = 0;
    std::memcpy(&forced, data, sizeof forced);
    // Mostly small values, so that matching and in-range rows are reached.
    if ((data[0] & 0x80) == 0) {
        forced = data[1] & 1 ? data[2] : 0;
    }
    const std::span<const uint8_t> block(data + 4, size - 4);

    ResetDebugifState();
    const int32_t result = LookupDevice(block, forced);
    BuildIdentifyRecord();

    const uint16_t row = gDeviceId.currentDeviceIndex;
    const bool ok = (result == 0 || result == kUnknownDeviceError) && row < DeviceIdTableRowCount &&
                    gDeviceId.currentDeviceType == DeviceIdTable[row].deviceType &&
                    gDeviceId.identifyRecord.Row() == row &&
                    gDeviceId.identifyRecord.Name() == DeviceIdTable[row].name &&
                    (result == 0 || row == 0) && (forced == 0 || result != 0 || row == forced);
    if (!ok) {
        __builtin_trap();
    }
    return 0;
}
