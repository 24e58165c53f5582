#include "sim/emu_board.h"

#include "platform/ascii.h"

namespace sim {

namespace {

void EnsureDeviceList() {
    if (core::DeviceInfoTable.count == 0) {
        core::DeviceTableParse(core::kDeviceFilterAll);
    }
}

} // namespace

std::string_view DeviceRowName(const core::DeviceInfo& row) {
    size_t n = 0;
    while (n < sizeof row.name && row.name[n] != '\0' && row.name[n] != ' ') {
        ++n;
    }
    return std::string_view(row.name, n);
}

int32_t EmuSelectDeviceRow(SimTarget& target, int32_t row) {
    EnsureDeviceList();
    if (row < 1 || !core::DeviceRowValid(row)) {
        return -1;
    }
    target.SelectDevice(core::DeviceInfoTable.records[row]);
    return 0;
}

int32_t EmuSelectDeviceNamed(SimTarget& target, std::string_view name) {
    EnsureDeviceList();
    for (int32_t r = 1; r <= core::DeviceInfoTable.count; ++r) {
        if (platform::EqualNoCase(DeviceRowName(core::DeviceInfoTable.records[r]), name)) {
            target.SelectDevice(core::DeviceInfoTable.records[r]);
            return r;
        }
    }
    return -1;
}

} // namespace sim
