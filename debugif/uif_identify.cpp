#include "debugif/uif_identify.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/device_id_table.h"
#include "debugif/device_lookup.h"
#include "debugif/eem_registers.h"
#include "debugif/error_numbers.h"
#include "debugif/identify_build.h"
#include "debugif/read_cache.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_blocks.h"
#include "debugif/uif_command.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_target_ops.h"

#include <cstring>
#include <mutex>
#include <span>

namespace debugif {

namespace {

// The adapter identifies the device itself and answers with an identify
// record whose row field names the row.
int32_t IdentifyOld(uint16_t index) {
    constexpr uint32_t kRecordSize = core::IdentifyRecord::kSize;
    if (UifCommand(kUifIdentifyOld, kUifTypeParams, {kRecordSize, index}) != 0 ||
        !UifReplyHasExactData(kRecordSize)) {
        return -1;
    }
    const uint8_t* data = UifLink.ResponseBlock.data;
    core::IdentifyRecord& record = gDeviceId.identifyRecord;
    std::memcpy(record.MutableBytes().data(), data, kRecordSize);
    const int32_t error = LookupDevice(std::span<const uint8_t>(data, kRecordSize), record.Row());
    if (error != 0) {
        // The lookup fell back to no device; the record says so too, so that
        // none of the refused record's ranges bound what follows.
        BuildIdentifyRecord();
        return UifFail(error);
    }
    return 0;
}

int32_t IdentifyNew(uint16_t index) {
    if (UifCommand(kUifIdentify, kUifTypeParams, {index, DeviceIdTable[index].deviceType}) != 0 ||
        !UifReplyHasData(kIdentificationBlockSize)) {
        return -1;
    }
    const UifResponse& r = UifLink.ResponseBlock;
    const int32_t error = LookupDevice(std::span<const uint8_t>(r.data, r.data_length), index);
    if (error != 0) {
        return UifFail(error);
    }
    const auto& current = gDeviceId.currentDeviceRecord.Bytes();
    if (UifCommand(kUifSetDevice, kUifTypeParamsData,
                   {index, gDeviceId.currentDeviceIndex, gDeviceId.currentDeviceType},
                   current.data(), static_cast<uint32_t>(current.size())) != 0) {
        return -1;
    }
    if (UifInExtensionRange()) {
        const auto& extra = gDeviceId.deviceExtraRecord.Bytes();
        return UifCommand(kUifSetDeviceExtension, kUifTypeData, {}, extra.data(),
                          static_cast<uint32_t>(extra.size()));
    }
    return 0;
}

} // namespace

int32_t UifIdentify(char*, int32_t, int32_t device_index) {
    if (device_index < 0 || device_index >= DeviceIdTableRowCount) {
        return UifFail(kErrorInvalidParameter);
    }
    std::lock_guard<std::recursive_mutex> lock(Api.DebugLock);
    const uint16_t index = static_cast<uint16_t>(device_index);
    const int32_t result = UifUsesNewIdentify() ? IdentifyNew(index) : IdentifyOld(index);
    if (result != 0 || index != 0) {
        UifCommands.CpuRunning = 1;
        return result;
    }
    UifCommands.CpuRunning = 0;
    if (UifRegisters(1) != 0) {
        return -1;
    }
    if (Transport.kind == kTransportHid) {
        ResetReadCache();
        return ReadEemRegisters();
    }
    return 0;
}

} // namespace debugif
