#include "debugif/flash_routine.h"

#include "debugif/jtag89_cpu.h"
#include "debugif/jtag89_memory.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_shift.h"

#include <algorithm>

namespace debugif {

namespace {

constexpr uint32_t kGuardPc = 0x0C04;
constexpr int32_t kParkPolls = 3000;
constexpr int32_t kParkedCaptures = 3;

uint16_t Rebase(uint16_t word, uint16_t ramStart) {
    return static_cast<uint16_t>((word & 0x00FF) | (ramStart & 0xFF00));
}

bool Start(uint16_t entry) {
    if (!JtagDeviceProfile::Current().PcGuard()) {
        return SetPc(entry) && ReleaseCpu();
    }
    // The PC must not point into RAM while RAM is written, so the jump to
    // the entry is injected and the CPU let go right after it.
    uint32_t captured = 0;
    if (!Ir(0x41) || !Dr16(0x4030)) {
        return false;
    }
    Step(3);
    if (!Dr16(entry)) {
        return false;
    }
    Step(3);
    if (!Ir(0x84) || !Dr16(0, &captured) || captured != entry || !Ir(0x15)) {
        return false;
    }
    Step(1);
    return true;
}

bool WaitParked(uint32_t end) {
    int32_t inRow = 0;
    for (int32_t poll = 0; poll < kParkPolls; ++poll) {
        if (poll > 0) {
            Step(1);
        }
        inRow = ReadAddressBus() == end ? inRow + 1 : 0;
        if (inRow == kParkedCaptures) {
            return true;
        }
    }
    return false;
}

} // namespace

std::vector<uint16_t> RebasedRoutine(FlashRoutine held,
                                     std::span<const uint32_t> extraAddressWords) {
    std::vector<uint16_t> words(held.begin(), held.end());
    const uint16_t ramStart = JtagDeviceProfile::Current().RamStart();
    for (uint32_t i = 0; i < 3 && i < words.size(); ++i) {
        words[i] = Rebase(words[i], ramStart);
    }
    for (uint32_t i : extraAddressWords) {
        if (i < words.size()) {
            words[i] = Rebase(words[i], ramStart);
        }
    }
    return words;
}

int32_t RunFlashRoutine(FlashRoutine routine, bool verify, bool wait) {
    if (routine.empty()) {
        return 0;
    }
    const uint16_t load = routine[0];
    if ((load & 1) != 0 || routine.size() < 3) {
        return -1;
    }
    const auto count = static_cast<uint32_t>(routine.size());
    if (!SyncTest() || !SetPc(kGuardPc) || !WriteWords(load, count, routine.data())) {
        return -1;
    }
    if (verify) {
        std::vector<uint16_t> back(count);
        if (!ReadWords(load, count, back.data()) ||
            !std::equal(back.begin(), back.end(), routine.begin())) {
            return -1;
        }
    }
    if (!WriteRegister(2, 0) || !Start(routine[1])) {
        return -1;
    }
    if (!wait) {
        return 0;
    }
    const bool parked = WaitParked(routine[2]);
    // The CPU is taken back also after a routine that never parked.
    const bool synced = SyncCpu();
    return parked && synced ? 0 : -1;
}

} // namespace debugif
