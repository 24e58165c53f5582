#include "debugif/jtag89_memory.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/error_numbers.h"
#include "debugif/flash_program.h"
#include "debugif/jtag89_cpu.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_state.h"

#include <algorithm>
#include <vector>

namespace debugif {

namespace {

constexpr uint8_t kIrDataBus = 0x41;
constexpr uint8_t kIrDataCapture = 0x42;
constexpr uint8_t kIrAddress = 0x83;
constexpr uint8_t kIrDataToAddress = 0x85;
constexpr uint32_t kWatchdogAddress = 0x0120;
constexpr uint32_t kGuardPc = 0x0C04;

bool SendAddress(uint32_t address) {
    return Ir(kIrAddress) && (JtagDeviceProfile::Current().Cpux() ? Dr20(address) : Dr16(address));
}

// Halts the CPU's own bus cycles: a jump filler and the JTAG halt bit.
bool OpenAccess(uint8_t mode) {
    if (!SyncTest() || !Ir(kIrDataBus)) {
        return false;
    }
    Step(1);
    if (!Dr16(0x3FFF)) {
        return false;
    }
    Step(0);
    if (!WriteControlLow(0x09)) {
        return false;
    }
    Step(3);
    return mode == 0x09 || WriteControlLow(mode);
}

// Gives the bus back; on PC-guard devices the PC leaves RAM first.
bool CloseAccess() {
    if (!WriteControlLow(0x01) || !Ir(kIrDataCapture)) {
        return false;
    }
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    if (p.PcGuard()) {
        Step(1);
        if (!SyncTest() && !WaitSync()) {
            return false;
        }
        const uint32_t pc = ReadAddressBus();
        if (pc >= p.RamStart() && pc < p.RamEnd()) {
            uint32_t c = 0;
            if (!Ir(kIrDataBus) || !Dr16(0x4030)) {
                return false;
            }
            Step(3);
            if (!Dr16(kGuardPc)) {
                return false;
            }
            Step(3);
            Step(3);
            if (!Ir(0x84) || !Dr16(0, &c) || c != kGuardPc) {
                return false;
            }
        }
    }
    Step(1);
    return WaitSync();
}

bool IsRam(uint32_t first, uint32_t last, const JtagDeviceProfile& p) {
    const bool low = last <= p.RamEnd();
    const bool second = p.Ram2End() != 0 && first >= p.Ram2Start() && last <= p.Ram2End();
    return low || second;
}

bool IsFlashRange(uint32_t first, uint32_t last) {
    const core::IdentifyRecord& id = gDeviceId.identifyRecord;
    const bool info = first >= id.InfoStart() && last <= id.InfoEnd();
    const bool main = first >= id.MainStart() && last <= id.MainEnd();
    const bool across = static_cast<uint32_t>(id.InfoEnd()) + 1 == id.MainStart() &&
                        first >= id.InfoStart() && last <= id.MainEnd();
    return info || main || across;
}

// Writes [first, last] of a RAM or peripheral range, bytes at buffer[0]
// for address first; keeps what the host holds for the target.
bool WritePlain(uint32_t first, uint32_t end, const uint8_t* data) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    uint32_t a = first;
    while (a < end) {
        // The next address the host keeps for itself.
        uint32_t stop = end;
        for (uint32_t kept : {0x0048u, kWatchdogAddress, 0x01B0u}) {
            if (kept >= a && kept < stop) {
                stop = kept;
            }
        }
        if (stop > a && !WriteMemory(a, stop - a, data + (a - first))) {
            return false;
        }
        a = stop;
        if (a >= end) {
            break;
        }
        const uint8_t* at = data + (a - first);
        if (a == 0x0048) {
            if (p.EemContext()) {
                gLpt.savedContext0048 =
                    static_cast<uint16_t>((gLpt.savedContext0048 & 0xFF00) | at[0]);
            } else if (!WriteMemory(a, 1, at)) {
                return false;
            }
            a += 1;
        } else if (a == kWatchdogAddress) {
            gLpt.WatchdogShadow = static_cast<uint16_t>(0x5A00 | at[0]);
            a = std::min(end, kWatchdogAddress + 2);
        } else {
            // 0x01B0 .. 0x01B3 on EEM-context devices stay on the host.
            if (!p.EemContext()) {
                const uint32_t n = std::min(end, 0x01B4u) - a;
                if (!WriteMemory(a, n, at)) {
                    return false;
                }
                a += n;
                continue;
            }
            for (; a < std::min(end, 0x01B4u); ++a) {
                uint16_t& w = a < 0x01B2 ? gLpt.savedContext01B0 : gLpt.savedContext01B2;
                const int shift = (a & 1) != 0 ? 8 : 0;
                w = static_cast<uint16_t>((w & ~(0xFF << shift)) | (data[a - first] << shift));
            }
        }
    }
    return true;
}

bool ReadPlain(uint32_t first, uint32_t count, uint8_t* out) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    uint32_t a = first;
    const uint32_t end = first + count;
    if (!p.FlashTiming() && a < 0x0100) {
        const uint32_t stop = std::min(end, 0x0100u);
        if (!ReadBytes(a, stop - a, out)) {
            return false;
        }
        a = stop;
    }
    if (a < end) {
        std::vector<uint16_t> words((end - a + 1) / 2);
        if (!ReadWords(a, static_cast<uint32_t>(words.size()), words.data())) {
            return false;
        }
        for (uint32_t i = a; i < end; ++i) {
            const uint16_t w = words[(i - a) / 2];
            out[i - first] = static_cast<uint8_t>(((i - a) & 1) != 0 ? w >> 8 : w);
        }
    }
    for (uint32_t i = first; i < end; ++i) {
        uint8_t& b = out[i - first];
        if (i < 6) {
            b &= p.SfrMask(static_cast<int32_t>(i));
        } else if (i == kWatchdogAddress) {
            b = static_cast<uint8_t>(gLpt.WatchdogShadow);
        } else if (p.EemContext() && i == 0x0048) {
            b = static_cast<uint8_t>(gLpt.savedContext0048);
        } else if (p.EemContext() && i >= 0x01B0 && i < 0x01B4) {
            const uint16_t w = i < 0x01B2 ? gLpt.savedContext01B0 : gLpt.savedContext01B2;
            b = static_cast<uint8_t>((i & 1) != 0 ? w >> 8 : w);
        }
    }
    return true;
}

} // namespace

bool WriteWords(uint32_t address, uint32_t count, const uint16_t* words) {
    if (count == 0) {
        return true;
    }
    if ((address & 1) != 0 || !OpenAccess(0x08)) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (!SendAddress(address + 2 * i) || !Ir(kIrDataToAddress) || !Dr16(words[i])) {
            return false;
        }
        Step(3);
    }
    return CloseAccess();
}

bool ReadWords(uint32_t address, uint32_t count, uint16_t* words) {
    if (count == 0) {
        return true;
    }
    if ((address & 1) != 0 || !OpenAccess(0x09)) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t w = 0;
        if (!SendAddress(address + 2 * i) || !Ir(kIrDataToAddress)) {
            return false;
        }
        Step(3);
        if (!Dr16(0, &w)) {
            return false;
        }
        words[i] = static_cast<uint16_t>(w);
    }
    return CloseAccess();
}

bool ReadWord(uint32_t address, uint16_t* word) {
    return ReadWords(address & ~1u, 1, word);
}

bool WriteBytes(uint32_t address, uint32_t count, const uint8_t* bytes) {
    if (count == 0) {
        return true;
    }
    if (!OpenAccess(0x18)) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        if (!SendAddress(address + i) || !Ir(kIrDataToAddress) || !Dr8(bytes[i])) {
            return false;
        }
        Step(3);
    }
    if (!WriteControlLow(0x01)) {
        return false;
    }
    Step(1);
    return WaitSync();
}

bool ReadBytes(uint32_t address, uint32_t count, uint8_t* bytes) {
    if (count == 0) {
        return true;
    }
    if (!OpenAccess(0x19)) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t b = 0;
        if (!SendAddress(address + i) || !Ir(kIrDataToAddress)) {
            return false;
        }
        Step(3);
        if (!Dr16(0, &b)) {
            return false;
        }
        bytes[i] = static_cast<uint8_t>(b);
    }
    return CloseAccess();
}

bool WriteMemory(uint32_t address, uint32_t count, const uint8_t* bytes) {
    uint32_t a = address;
    const uint32_t end = address + count;
    if (!JtagDeviceProfile::Current().FlashTiming() && a < 0x0100) {
        const uint32_t stop = std::min(end, 0x0100u);
        if (!WriteBytes(a, stop - a, bytes)) {
            return false;
        }
        a = stop;
    }
    if (a >= end) {
        return true;
    }
    if (((a | (end - a)) & 1) != 0) {
        return false;
    }
    std::vector<uint16_t> words((end - a) / 2);
    for (size_t i = 0; i < words.size(); ++i) {
        const uint8_t* p = bytes + (a - address) + 2 * i;
        words[i] = static_cast<uint16_t>(p[0] | (p[1] << 8));
    }
    return WriteWords(a, static_cast<uint32_t>(words.size()), words.data());
}

bool FetchWordByInjection(uint16_t op, uint32_t address, uint16_t* out) {
    uint32_t w = 0;
    if (!SyncTest() || !WriteControlHigh(0x1400) || !FetchInstruction(op) || !FetchInstruction(0) ||
        !FetchInstruction(static_cast<uint16_t>(address))) {
        return false;
    }
    Step(2);
    if (!Dr16(0, &w) || !ReleaseFetch()) {
        return false;
    }
    *out = static_cast<uint16_t>(w);
    return true;
}

int32_t JtagMemory89(int32_t address, uint8_t* buffer, int32_t count, int32_t rw) {
    if (address < 0 || count < 0 || buffer == nullptr) {
        return LptFail(rw == 0 ? kErrorWriteMemory : kErrorReadMemory);
    }
    if (count == 0) {
        Api.LastErrorNumber = kErrorNone;
        return 0;
    }
    const uint32_t first = static_cast<uint32_t>(address);
    const uint32_t end = first + static_cast<uint32_t>(count);
    if ((first >= 0x0100 && (first & 1) != 0) || (end > 0x0100 && (end & 1) != 0)) {
        return LptFail(rw == 0 ? kErrorWriteMemory : kErrorReadMemory);
    }
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    if (rw == 0) {
        if (!IsRam(first, end - 1, p)) {
            if (!IsFlashRange(first, end - 1)) {
                return LptFail(kErrorWriteMemory);
            }
            return FlashWrite(first, buffer, static_cast<uint32_t>(count));
        }
        if (!WritePlain(first, end, buffer)) {
            return LptFail(kErrorWriteMemory);
        }
    } else if (!ReadPlain(first, static_cast<uint32_t>(count), buffer)) {
        return LptFail(kErrorReadMemory);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

} // namespace debugif
