#include "debugif/jtag91_cpu.h"

#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_eem.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_state.h"

#include <array>
#include <vector>

namespace debugif {

namespace {

constexpr uint8_t kIrControl16 = 0x13;
constexpr uint8_t kIrControlCapture = 0x14;
constexpr uint8_t kIrControlRelease = 0x15;
constexpr uint8_t kIrDataBus = 0x41;
constexpr uint8_t kIrDataCapture = 0x42;
constexpr uint8_t kIrDataQuick = 0x43;
constexpr uint8_t kIrMailbox = 0x61;
constexpr uint8_t kIrAddress = 0x83;
constexpr uint8_t kIrAddressCapture = 0x84;
constexpr uint8_t kIrDataToAddress = 0x85;
constexpr uint32_t kWatchdog = 0x015C;
constexpr int32_t kSyncPolls = 50;
constexpr int32_t kMailboxReads = 3000;

bool Control(uint16_t value) {
    return Ir(kIrControl16) && Dr16(value);
}

// The module clocks that run while the CPU is stopped, one selector per
// bit of moduleClockControl.
constexpr std::array<std::pair<uint16_t, uint16_t>, 10> kModuleClocks = {{
    {0x960A, 0x0001},
    {0x968E, 0x0002},
    {0x969D, 0x0004},
    {0x9691, 0x0010},
    {0x9628, 0x0040},
    {0x9629, 0x0080},
    {0x962A, 0x0100},
    {0x962B, 0x0200},
    {0x9680, 0x0400},
    {0x96D8, 0x0800},
}};

// Injects MOVA Rn, &0x000FC and takes the two words it puts on the bus.
bool ReadRegisterX(int32_t n, uint32_t* value) {
    uint32_t low = 0;
    uint32_t high = 0;
    if (!Ir(kIrDataBus)) {
        return false;
    }
    Step(1);
    if (!Dr16(static_cast<uint32_t>(((n & 0x0F) << 8) + 0x0060)) || !Dr16(0x00FC)) {
        return false;
    }
    Step(0);
    if (!Ir(kIrDataCapture) || !Dr16(0, &low)) {
        return false;
    }
    Step(2);
    if (!Dr16(0, &high)) {
        return false;
    }
    *value = ((high & 0x000F) << 16) | (low & 0xFFFF);
    return true;
}

// Injects MOVA #value, Rn.
bool WriteRegisterX(int32_t n, uint32_t value) {
    if (!Ir(kIrDataBus)) {
        return false;
    }
    Step(1);
    const uint32_t first = 0x0080 | ((value >> 8) & 0x0F00) | static_cast<uint32_t>(n & 0x0F);
    if (!Dr16(first) || !Dr16(value & 0xFFFF) || !Dr16(0x4303)) {
        return false;
    }
    Step(0);
    return Ir(kIrDataCapture);
}

} // namespace

bool CaptureTest(uint16_t mask) {
    uint32_t c = 0;
    return Ir(kIrControlCapture) && Dr16(0, &c) && (c & mask) != 0;
}

bool SyncCpuX(uint32_t* pc, uint32_t* sr, bool por) {
    if (!EemWrite(0x88, 0x6D8E) || EemWriteControl(5) != 0 || !Control(0x1501)) {
        return false;
    }
    bool synced = false;
    for (int32_t i = 0; i < kSyncPolls && !synced; ++i) {
        uint32_t c = 0;
        if (!Ir(kIrControlCapture) || !Dr16(0, &c)) {
            return false;
        }
        synced = (c & 0x0200) != 0;
    }
    if (!synced) {
        return false;
    }
    if (por) {
        Step(2);
        if (!Control(0x0C01)) {
            return false;
        }
        Step(0x19);
        if (!Dr16(0x0401)) {
            return false;
        }
        for (int32_t i = 0; i < 5; ++i) {
            Step(2);
        }
    }
    if (!Control(0x0501)) {
        return false;
    }
    Step(2);
    if (!CaptureTest(0x3FDF)) {
        return false;
    }
    uint16_t watchdog = 0;
    if (!ReadWordX(kWatchdog, &watchdog)) {
        return false;
    }
    gLpt.WatchdogShadow = static_cast<uint16_t>(0x5A00 | (watchdog & 0x00FF));
    if (!WriteWordX(kWatchdog, static_cast<uint16_t>(0x5A80 | (watchdog & 0x00FF)))) {
        return false;
    }
    uint32_t address = 0;
    if (!Ir(kIrAddressCapture) || !Dr20(0, &address)) {
        return false;
    }
    *pc = (address - 4) & 0xFFFFF;
    *sr = 0;
    if (!por && !ReadRegisterX(2, sr)) {
        return false;
    }
    for (const auto& [selector, bit] : kModuleClocks) {
        if (!WriteWordX(0x0110, selector) ||
            !WriteWordX(0x011E, (gLpt.moduleClockControl & bit) != 0 ? 1 : 0)) {
            return false;
        }
    }
    return EemWrite(0x88, 0x000E) && EemWrite(0xB0, 0x0045);
}

bool WriteWordX(uint32_t address, uint16_t value) {
    if (!CaptureTest(0x3FD3)) {
        return false;
    }
    Step(0);
    if (!Control(0x0500) || !Ir(kIrAddress) || !Dr20(address)) {
        return false;
    }
    Step(1);
    if (!Ir(kIrDataToAddress) || !Dr16(value)) {
        return false;
    }
    Step(0);
    if (!Control(0x0501)) {
        return false;
    }
    Step(1);
    Step(2);
    return true;
}

bool ReadWordX(uint32_t address, uint16_t* value) {
    if (!CaptureTest(0x3FDB)) {
        return false;
    }
    Step(0);
    if (!Ir(kIrAddress) || !Dr20(address)) {
        return false;
    }
    Step(1);
    Step(0);
    uint32_t w = 0;
    if (!Ir(kIrDataCapture) || !Dr16(0, &w)) {
        return false;
    }
    Step(1);
    Step(2);
    *value = static_cast<uint16_t>(w);
    return true;
}

bool WriteWordsX(uint32_t address, std::span<const uint16_t> words) {
    for (size_t i = 0; i < words.size(); ++i) {
        if (!WriteWordX(address + 2 * static_cast<uint32_t>(i), words[i])) {
            return false;
        }
    }
    return true;
}

bool SetPcX(uint32_t address) {
    if (!CaptureTest(0x3FDB)) {
        return false;
    }
    Step(0);
    if (!Ir(kIrDataBus)) {
        return false;
    }
    Step(1);
    const uint32_t a = ((address >> 8) & 0x0F00) + 0x0080;
    if (!Dr16(a) || !Control(0x1400) || !Ir(kIrDataBus)) {
        return false;
    }
    Step(2);
    if (!Dr16(address & 0xFFFF)) {
        return false;
    }
    Step(2);
    if (!Dr16(0x4303)) {
        return false;
    }
    Step(0);
    return Ir(kIrAddressCapture) && Dr20(0);
}

bool ReadBlockX(uint32_t address, uint32_t words, uint16_t* out) {
    if (!SetPcX(address) || !Control(0x0501)) {
        return false;
    }
    Step(1);
    if (!Ir(kIrAddressCapture) || !Ir(kIrDataQuick)) {
        return false;
    }
    for (uint32_t i = 0; i < words; ++i) {
        uint32_t w = 0;
        Step(1);
        if (!Dr16(0, &w)) {
            return false;
        }
        Step(0);
        out[i] = static_cast<uint16_t>(w);
    }
    return Ir(kIrControlCapture) && CaptureTest(0x3FDB);
}

bool ReleaseX(uint32_t address, ReleaseForm form, uint32_t runTo) {
    if (!SetPcX(address)) {
        return false;
    }
    Step(1);
    if (!Control(0x0401) || !Ir(kIrAddressCapture)) {
        return false;
    }
    if (form == ReleaseForm::kRunTo) {
        if (!Ir(kIrDataBus) || !Dr16(runTo & 0xFFFF)) {
            return false;
        }
    } else if (form == ReleaseForm::kStep) {
        if (!EemWrite(0x88, 0x000E) || EemWriteControl(7) != 0) {
            return false;
        }
    }
    return Ir(kIrControlRelease);
}

bool SaveContextX() {
    auto& r = Api.RegisterCache;
    for (int32_t n : {1, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15}) {
        if (!ReadRegisterX(n, &r[static_cast<size_t>(n)])) {
            return false;
        }
    }
    r[3] = 0;
    MailboxRead();
    return true;
}

bool RestoreContextX(bool* watchdogFailed) {
    *watchdogFailed = false;
    const auto& r = Api.RegisterCache;
    for (int32_t n : {15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 1, 2}) {
        if (!WriteRegisterX(n, r[static_cast<size_t>(n)])) {
            return false;
        }
    }
    if (!WriteWordX(kWatchdog, gLpt.WatchdogShadow)) {
        *watchdogFailed = true;
        return false;
    }
    return true;
}

uint32_t MailboxRead() {
    uint32_t status = 0;
    if (!Ir(kIrMailbox) || !Dr16(0, &status)) {
        return 0;
    }
    if ((status & 0x0008) == 0) {
        return status;
    }
    uint32_t low = 0;
    uint32_t high = 0;
    if (!Dr16(0x0014) || !Dr16(0, &low) || !Dr16(0, &high)) {
        return 0;
    }
    return (high << 16) | low;
}

int32_t MailboxWrite(uint16_t word) {
    if (!Ir(kIrMailbox)) {
        return LptFail(kErrorWriteMemory);
    }
    // The mailbox takes a word once the target has read the last one; a
    // target that never does would hold the host for ever.
    for (int32_t i = 0; i < kMailboxReads; ++i) {
        uint32_t status = 0;
        if (!Dr16(0, &status)) {
            break;
        }
        if ((status & 0x0001) != 0) {
            if (!Dr16(0x0001) || !Dr16(word)) {
                break;
            }
            return 0;
        }
        Step(1);
    }
    return LptFail(kErrorWriteMemory);
}

bool MailboxWait(uint32_t want) {
    for (int32_t i = 0; i < kMailboxReads; ++i) {
        uint32_t status = 0;
        if (!Ir(kIrMailbox) || !Dr16(0, &status)) {
            return false;
        }
        if ((status & 0x0008) != 0) {
            uint32_t low = 0;
            uint32_t high = 0;
            if (!Dr16(0x0014) || !Dr16(0, &low) || !Dr16(0, &high)) {
                return false;
            }
            // Another message is the routine's report of a failure.
            return ((high << 16) | low) == want;
        }
        Step(1);
    }
    return false;
}

int32_t RunRoutineX(std::span<const uint16_t> routine, const std::function<bool()>& during) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const uint32_t start = p.RamStart();
    const auto words = static_cast<uint32_t>(routine.size());
    std::vector<uint16_t> kept;
    if (gLpt.config10 == 1) {
        kept.resize(words);
        if (!ReadBlockX(start, words, kept.data())) {
            return kErrorPreserve;
        }
    }
    bool ok = WriteWordsX(start, routine) && ReleaseX(start + routine[0], ReleaseForm::kPlain) &&
              (!during || during()) && MailboxWait(kMailboxDone);
    auto& r = Api.RegisterCache;
    ok = SyncCpuX(&r[0], &r[2]) && ok;
    if (!kept.empty() && !WriteWordsX(start, kept)) {
        return kErrorPreserve;
    }
    return ok ? 0 : -1;
}

} // namespace debugif
