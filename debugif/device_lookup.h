#pragma once
// Choosing the device-ID row for an identified target and filling the
// current-device records from its type.

#include <cstdint>
#include <span>
#include <string_view>

#include "debugif/current_device_record.h"
#include "debugif/device_extra_record.h"
#include "debugif/device_layout_table.h"
#include "debugif/device_type_tables.h"

namespace debugif {

// Last-error number of the debug API for a device it cannot place.
inline constexpr int32_t kUnknownDeviceError = 5;

// Chooses the row for an identification block, or takes forcedRow as is when
// it is not 0, and fills gDeviceId's current index, type, current-device
// record and extension record. Returns 0, or kUnknownDeviceError when
// forcedRow lies outside the table or, with no row forced, the block holds
// fewer than kIdentificationBlockSize bytes; the state then reads "no
// device" (row 0, type 0) so that nothing goes on with a stale device.
// A block that matches no row is not an error: it gives row 0.
int32_t LookupDevice(std::span<const uint8_t> block, int32_t forcedRow);

// The first row, in table order, whose keys and fuse value accept the block;
// 0 when none does. The block must hold kIdentificationBlockSize bytes.
uint16_t MatchDeviceIdRow(std::span<const uint8_t> block);

// The table rows a device type's records are made from.
struct DeviceTypeProperties {
    MemoryLayout layout;
    EmulationRow emulation;
    OptionByteRow optionBytes;
    SupplyRow supply;
    OptionsRow options;
    BytePairRow bytePairs;
};

// The properties of a type; a type outside the tables gives type 0's.
DeviceTypeProperties PropertiesOfType(uint16_t deviceType);

// Writes every field of the current-device record and the extension record
// (whose bytes past the first ten stay zero).
void FillDeviceRecords(const DeviceTypeProperties& properties, CurrentDeviceRecord& current,
                       DeviceExtraRecord& extra);

// Puts the records of a device not yet known: the parallel-port path bounds
// its identification reads with them.
void ResetCurrentDeviceRecord();

// The name text of the current row.
std::string_view DeviceNameOfRow();

// The F543x types, whose BSL memory stays protected even after an unlock.
bool IsBslProtectedDeviceType(uint16_t deviceType);

} // namespace debugif
