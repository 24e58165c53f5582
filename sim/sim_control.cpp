#include "sim/sim_control.h"

#include "sim/sim_layout.h"
#include "sim/sim_library.h"

#include <algorithm>
#include <cstring>

namespace {

bool InMemory(int32_t address, int32_t count) {
    return address >= 0 && count >= 0 &&
           static_cast<int64_t>(address) + count <= static_cast<int64_t>(sim::kMemorySize);
}

} // namespace

extern "C" {

void sim_reset(void) {
    sim::SimReset();
}

int32_t sim_select_device(int32_t row) {
    return sim::SimSelectDeviceRow(row);
}

int32_t sim_select_device_named(const char* name) {
    return name != nullptr ? sim::SimSelectDeviceNamed(name) : -1;
}

void sim_set_early_f5xx(int32_t early) {
    sim::Sim().SetEarlyF5xx(early != 0);
}

void sim_set_fuse_byte(int32_t value) {
    sim::Sim().SetFuseByte(static_cast<uint8_t>(value));
}

void sim_set_external_supply(int32_t millivolts) {
    sim::Sim().SetExternalSupply(millivolts);
}

int32_t sim_adapter_supply(void) {
    return sim::Sim().AdapterSupply();
}

void sim_set_supply_reading(int32_t millivolts) {
    sim::Sim().SetSupplyReading(millivolts);
}

void sim_fail_operation(const char* entry, int32_t error, int32_t times) {
    if (entry != nullptr) {
        sim::Sim().FailOperation(entry, error, times);
    }
}

void sim_fail_read_at(int32_t address, int32_t times) {
    sim::Sim().FailReadAt(static_cast<uint32_t>(address), times);
}

void sim_fail_write_at(int32_t address, int32_t times) {
    sim::Sim().FailWriteAt(static_cast<uint32_t>(address), times);
}

void sim_fail_erase_at(int32_t address, int32_t times) {
    sim::Sim().FailEraseAt(static_cast<uint32_t>(address), times);
}

void sim_clear_faults(void) {
    sim::Sim().ClearFaults();
}

int32_t sim_peek(int32_t address, uint8_t* out, int32_t count) {
    if (out == nullptr || !InMemory(address, count)) {
        return -1;
    }
    for (int32_t i = 0; i < count; ++i) {
        out[i] = sim::Sim().Peek(static_cast<uint32_t>(address + i));
    }
    return 0;
}

int32_t sim_poke(int32_t address, const uint8_t* bytes, int32_t count) {
    if (bytes == nullptr || !InMemory(address, count)) {
        return -1;
    }
    for (int32_t i = 0; i < count; ++i) {
        sim::Sim().Poke(static_cast<uint32_t>(address + i), bytes[i]);
    }
    return 0;
}

int32_t sim_fuse_blown(void) {
    return sim::Sim().FuseBlown() ? 1 : 0;
}

void sim_set_fuse_blown(int32_t blown) {
    sim::Sim().SetFuseBlown(blown != 0);
}

int32_t sim_info_a_unlocked(void) {
    return sim::Sim().InfoAUnlocked() ? 1 : 0;
}

void sim_usb_clear(void) {
    sim::Sim().usbInterfaces.clear();
}

void sim_usb_add(const char* name, int32_t inUse) {
    sim::Sim().usbInterfaces.push_back({name != nullptr ? name : "", inUse != 0 ? 1 : 0});
}

void sim_set_firmware_version(int32_t version) {
    sim::Sim().firmwareVersion = version;
}

int32_t sim_log_count(void) {
    return static_cast<int32_t>(sim::Sim().Log().Calls().size());
}

int32_t sim_log_line(int32_t index, char* out, int32_t size) {
    const auto& calls = sim::Sim().Log().Calls();
    if (index < 0 || static_cast<size_t>(index) >= calls.size()) {
        return -1;
    }
    const std::string& text = calls[static_cast<size_t>(index)].text;
    if (out != nullptr && size > 0) {
        const size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
        std::memcpy(out, text.data(), n);
        out[n] = '\0';
    }
    return static_cast<int32_t>(text.size());
}

int32_t sim_log_calls(const char* entry) {
    return entry != nullptr ? static_cast<int32_t>(sim::Sim().Log().Count(entry)) : 0;
}

void sim_log_clear(void) {
    sim::Sim().Log().Clear();
}

} // extern "C"
