#include "debugif/device_lookup.h"

#include <cstddef>

#include "debugif/device_id_state.h"
#include "debugif/device_id_table.h"

namespace debugif {

namespace {

bool RowAccepts(const DeviceIdRow& row, std::span<const uint8_t> block) {
    for (std::size_t k = 0; k < kDeviceIdKeyBytes.size(); ++k) {
        // A key above 0xFF other than "any" can never equal a byte.
        if (row.keys[k] != kDeviceIdAny && row.keys[k] != block[kDeviceIdKeyBytes[k]]) {
            return false;
        }
    }
    if (row.fuseValue == kDeviceIdAny) {
        return true;
    }
    return (block[kDeviceIdFuseByte] & row.fuseMask) == (row.fuseValue & row.fuseMask);
}

void SelectRow(uint16_t row) {
    gDeviceId.currentDeviceIndex = row;
    gDeviceId.currentDeviceType = DeviceIdTable[row].deviceType;
    FillDeviceRecords(PropertiesOfType(gDeviceId.currentDeviceType), gDeviceId.currentDeviceRecord,
                      gDeviceId.deviceExtraRecord);
}

} // namespace

uint16_t MatchDeviceIdRow(std::span<const uint8_t> block) {
    if (block.size() < kIdentificationBlockSize) {
        return 0;
    }
    for (uint16_t row = 0; row < DeviceIdTableRowCount; ++row) {
        if (RowAccepts(DeviceIdTable[row], block)) {
            return row;
        }
    }
    return 0;
}

int32_t LookupDevice(std::span<const uint8_t> block, int32_t forcedRow) {
    if (forcedRow != 0) {
        // The forced row can come straight from an adapter reply: never let it
        // index past the table.
        if (forcedRow < 0 || forcedRow >= DeviceIdTableRowCount) {
            SelectRow(0);
            return kUnknownDeviceError;
        }
        SelectRow(static_cast<uint16_t>(forcedRow));
        return 0;
    }
    if (block.size() < kIdentificationBlockSize) {
        SelectRow(0);
        return kUnknownDeviceError;
    }
    SelectRow(MatchDeviceIdRow(block));
    return 0;
}

DeviceTypeProperties PropertiesOfType(uint16_t deviceType) {
    const std::size_t t = deviceType < kDeviceTypeCount ? deviceType : 0;
    return DeviceTypeProperties{
        MemoryLayoutTable[LayoutIndexTable[t]],
        EmulationTable[t],
        OptionByteTable[t],
        SupplyTable[t],
        OptionsTable[t],
        BytePairTable[t],
    };
}

void FillDeviceRecords(const DeviceTypeProperties& p, CurrentDeviceRecord& r,
                       DeviceExtraRecord& x) {
    r.Clear();
    r.SetMainStart(p.layout.mainStart);
    r.SetMainEnd(p.layout.mainEnd);
    r.SetInfoStart(p.layout.infoStart);
    r.SetInfoEnd(p.layout.infoEnd);
    r.SetLayoutWord2(p.layout.layoutWord2);
    r.SetRamStart(p.layout.ramStart);
    r.SetRamEnd(p.layout.ramEnd);
    r.SetRam2Start(p.layout.ram2Start);
    r.SetRam2End(p.layout.ram2End);
    r.SetEmulation0(p.emulation[0]);
    r.SetEmulation3(p.emulation[3]);
    r.SetEmulation4(p.emulation[4]);
    r.SetEmulation5(p.emulation[5]);
    r.SetOptionByte3(p.optionBytes[3]);
    r.SetOptionByte4(p.optionBytes[4]);
    r.SetSupplyMinimum(p.supply[0]);
    r.SetSupplyMaximum(p.supply[1]);
    r.SetSupply2(p.supply[2]);
    r.SetSupply3(p.supply[3]);
    r.SetSupply4(p.supply[4]);
    r.SetTestPinFlag(p.optionBytes[0]);
    r.SetOptionByte1(p.optionBytes[1]);
    r.SetOptionByte2(p.optionBytes[2]);
    r.SetOptionByte6(p.optionBytes[6]);
    r.SetOptionByte5(p.optionBytes[5]);
    r.SetOptionByte7(p.optionBytes[7]);
    r.SetOptionByte8(p.optionBytes[8]);
    r.SetOptionByte9(p.optionBytes[9]);
    for (std::size_t i = 0; i < CurrentDeviceRecord::kOptionsCount; ++i) {
        r.SetOptions(i, p.options[i]);
    }
    for (std::size_t i = 0; i < CurrentDeviceRecord::kBytePairCount; ++i) {
        r.SetBytePairLow(i, static_cast<uint8_t>(p.bytePairs[i]));
    }

    x.Clear();
    x.SetBslStart(p.layout.bslStart);
    x.SetBslEnd(p.layout.bslEnd);
    x.SetLayoutWord1(p.layout.layoutWord1);
    x.SetEmulation1(p.emulation[1]);
    x.SetEmulation2(p.emulation[2]);
}

void ResetCurrentDeviceRecord() {
    CurrentDeviceRecord& r = gDeviceId.currentDeviceRecord;
    r.Clear();
    r.SetEmulation0(2);
    r.SetEmulation5(0x60D7);
    r.SetSupplyMinimum(1800);
    r.SetSupplyMaximum(3600);
    r.SetTestPinFlag(1);
    r.SetOptions(0, 1);
    r.SetOptions(1, 1);
    r.SetOptions(3, 1);
    for (std::size_t i = 0; i < CurrentDeviceRecord::kBytePairCount; ++i) {
        r.SetBytePairLow(i, 0xFF);
    }

    DeviceExtraRecord& x = gDeviceId.deviceExtraRecord;
    x.Clear();
    x.SetBslStart(0x0C00);
    x.SetBslEnd(0x0FFF);
    x.SetLayoutWord1(0x0200);
}

std::string_view DeviceNameOfRow() {
    const uint16_t row = gDeviceId.currentDeviceIndex;
    return DeviceIdTable[row < DeviceIdTableRowCount ? row : 0].name;
}

bool IsBslProtectedDeviceType(uint16_t deviceType) {
    return (deviceType >= 0x53 && deviceType <= 0x56) || (deviceType >= 0x59 && deviceType <= 0x5B);
}

} // namespace debugif
