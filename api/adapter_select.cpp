#include "api/adapter_select.h"

#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"

#include <cstdio>
#include <string_view>

namespace api {

AdapterSelectState AdapterSelect;

namespace {

constexpr size_t kSlotNameMax = 18;
constexpr std::string_view kUsedMark = " (used)";

// The adapter number n of an ID of the kind at offset ("COMn" or "HIDn"),
// or -1 when the ID is not of that kind.
int32_t NumberOfId(int32_t id, int32_t offset) {
    const int32_t n = id - kAdapterIdBase - offset;
    return n >= 0 && n <= kAdapterNumberMax ? n : -1;
}

// The number right after a three-letter prefix ("COM7" 7, "HID0003:COM5"
// 3); -1 without digits or above the adapter numbers.
int32_t NumberAfter(std::string_view name, std::string_view prefix) {
    if (name.substr(0, prefix.size()) != prefix) {
        return -1;
    }
    int32_t n = 0;
    size_t i = prefix.size();
    if (i >= name.size() || name[i] < '0' || name[i] > '9') {
        return -1;
    }
    for (; i < name.size() && name[i] >= '0' && name[i] <= '9'; ++i) {
        n = n * 10 + (name[i] - '0');
        if (n > kAdapterNumberMax) {
            return -1;
        }
    }
    return n;
}

int32_t IdOfName(std::string_view name) {
    name = name.substr(0, kSlotNameMax);
    if (const int32_t n = NumberAfter(name, "COM"); n >= 0) {
        return kAdapterIdBase + kAdapterComOffset + n;
    }
    if (const int32_t n = NumberAfter(name, "HID"); n >= 0) {
        return kAdapterIdBase + kAdapterHidOffset + n;
    }
    return 0;
}

std::string WithoutUsedMark(std::string name) {
    if (name.size() >= kUsedMark.size() &&
        name.compare(name.size() - kUsedMark.size(), kUsedMark.size(), kUsedMark) == 0) {
        name.erase(name.size() - kUsedMark.size());
    }
    return name;
}

// The port name of an adapter ID: "COMn" directly; for a HID adapter the
// name in a fresh USB list whose number after "HID" is n. Empty for none.
std::string PortOfId(int32_t id) {
    if (const int32_t com = NumberOfId(id, kAdapterComOffset); com >= 0) {
        return "COM" + std::to_string(com);
    }
    if (const int32_t hid = NumberOfId(id, kAdapterHidOffset); hid >= 0) {
        const int32_t count = core::TargetListUsbAdapters();
        for (int32_t i = 0; i < count; ++i) {
            const std::string name = WithoutUsedMark(core::Target.UsbAdapterNames[i]);
            if (NumberAfter(name, "HID") == hid) {
                return name;
            }
        }
    }
    return {};
}

} // namespace

int32_t AdapterAccess(int32_t n) {
    AdapterSelect.SelectedAdapterId = 0;
    AdapterSelect.SelectedPort.clear();
    AdapterSelect.BootloaderOnly = 0;
    if (n < 0) {
        return 0;
    }
    if (n == 0) {
        AdapterSelect.AdapterCount = core::TargetListUsbAdapters();
        return AdapterSelect.AdapterCount;
    }
    if (n <= kAdapterQueryMax) {
        if (n > AdapterSelect.AdapterCount) {
            return 0;
        }
        return IdOfName(core::Target.UsbAdapterNames[static_cast<size_t>(n - 1)]);
    }
    AdapterSelect.ById = 1;
    const std::string port = PortOfId(n);
    if (port.empty()) {
        return 0;
    }
    if (core::TargetOpenUsbAdapter(port.c_str()) == 1) {
        core::Settings.Selected_UIF = port;
        AdapterSelect.SelectedAdapterId = n;
        AdapterSelect.SelectedPort = port;
        core::TargetOpenAdopt();
    } else {
        core::Settings.Selected_UIF.clear();
        AdapterSelect.BootloaderOnly = core::Target.bootloaderOnly;
    }
    return AdapterSelect.SelectedAdapterId;
}

bool AdapterSelectionHolds() {
    return AdapterSelect.ById == 0 || AdapterSelect.SelectedAdapterId != 0;
}

int32_t AdapterDescription(std::string& text) {
    text.clear();
    const int32_t id = AdapterSelect.SelectedAdapterId;
    char line[40] = "";
    if (const int32_t com = NumberOfId(id, kAdapterComOffset); com >= 0) {
        std::snprintf(line, sizeof line, "MSP-FET430UIF  COM%1.1i", com);
    } else if (const int32_t hid = NumberOfId(id, kAdapterHidOffset); hid >= 0) {
        std::snprintf(line, sizeof line, "MSP-FET430UIF  HID%1.1i", hid);
    }
    text = line;
    return text.empty() ? 0 : 1;
}

} // namespace api
