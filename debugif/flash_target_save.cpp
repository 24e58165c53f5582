#include "debugif/flash_target_save.h"

#include "debugif/jtag89_memory.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_eem.h"
#include "debugif/lpt_state.h"

#include <algorithm>
#include <vector>

namespace debugif {

namespace {

constexpr uint32_t kFlashControl = 0x0128;
constexpr uint32_t kFlashControl3 = 0x012C;
constexpr uint16_t kInfoALock = 0x0040;

bool ByBytes(uint32_t address) {
    return address < 0x0100 && !JtagDeviceProfile::Current().FlashTiming();
}

// The covering words of [address, address + count).
struct WordSpan {
    uint32_t first;
    uint32_t words;
};

WordSpan Covering(uint32_t address, uint32_t count) {
    const uint32_t first = address & ~1u;
    const uint32_t end = (address + count + 1) & ~1u;
    return {first, (end - first) / 2};
}

bool InfoALockTo(uint16_t wanted) {
    uint16_t w = 0;
    if (!ReadWord(kFlashControl3, &w)) {
        return false;
    }
    if ((w & kInfoALock) == wanted) {
        return true;
    }
    // Writing the lock bit as 1 toggles it.
    const uint16_t toggle = static_cast<uint16_t>((w & 0x00FF) | 0xA540);
    return WriteWords(kFlashControl3, 1, &toggle);
}

} // namespace

bool ReadArea(uint32_t address, uint32_t count, uint8_t* out) {
    if (count == 0) {
        return true;
    }
    if (ByBytes(address)) {
        return ReadBytes(address, count, out);
    }
    const WordSpan s = Covering(address, count);
    std::vector<uint16_t> words(s.words);
    if (!ReadWords(s.first, s.words, words.data())) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = address + i - s.first;
        const uint16_t w = words[at / 2];
        out[i] = static_cast<uint8_t>((at & 1) != 0 ? w >> 8 : w);
    }
    return true;
}

bool WriteArea(uint32_t address, uint32_t count, const uint8_t* bytes) {
    if (count == 0) {
        return true;
    }
    if (ByBytes(address)) {
        return WriteBytes(address, count, bytes);
    }
    const WordSpan s = Covering(address, count);
    std::vector<uint16_t> words(s.words);
    // Odd edges keep the neighbouring byte of their word.
    if (((address | count) & 1) != 0 && !ReadWords(s.first, s.words, words.data())) {
        return false;
    }
    for (uint32_t i = 0; i < count; ++i) {
        const uint32_t at = address + i - s.first;
        uint16_t& w = words[at / 2];
        w = (at & 1) != 0 ? static_cast<uint16_t>((w & 0x00FF) | (bytes[i] << 8))
                          : static_cast<uint16_t>((w & 0xFF00) | bytes[i]);
    }
    return WriteWords(s.first, s.words, words.data());
}

int32_t PreserveTarget() {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    SavedTarget& saved = gLpt.saved;
    saved.ramSaved = false;
    switch (p.ClockSystemKind()) {
    case 1:
        saved.clockAddress = 0x0050;
        saved.clockCount = 5;
        break;
    case 2:
        saved.clockAddress = 0x0140;
        saved.clockCount = 8;
        break;
    default:
        saved.clockAddress = 0x0056;
        saved.clockCount = 3;
        break;
    }
    if (!ReadArea(saved.clockAddress, saved.clockCount, saved.clock) ||
        !ReadArea(kFlashControl, 6, saved.flashControl)) {
        return -1;
    }
    gLpt.flashClock = p.FlashTiming() ? static_cast<uint16_t>(saved.flashControl[0] & 0x30) : 0;
    uint16_t control3 = 0;
    if (!ReadWord(kFlashControl3, &control3)) {
        return -1;
    }
    saved.infoALock = control3 & kInfoALock;
    if (!InfoALockTo(gLpt.config5 == 0 ? kInfoALock : 0)) {
        return -1;
    }
    static constexpr uint8_t kQuietSfr[4] = {0x00, 0x00, 0x02, 0x00};
    if (!ReadArea(0x0000, 4, saved.sfr) || !WriteArea(0x0000, 4, kQuietSfr)) {
        return -1;
    }
    if (gLpt.config10 == 1 && !p.FlashTiming()) {
        saved.ram.assign(static_cast<size_t>(p.RamEnd()) + 1 - p.RamStart(), 0);
        if (!ReadArea(p.RamStart(), static_cast<uint32_t>(saved.ram.size()), saved.ram.data())) {
            return -1;
        }
        saved.ramSaved = true;
    }
    if (p.Eem()) {
        if (p.ClockControlKind() != 0) {
            uint32_t zero = 0;
            if (EemAccess(0x88, &zero) != 0) {
                return -1;
            }
            zero = 0;
            if (p.ClockControlKind() == 2 && EemAccess(0x8A, &zero) != 0) {
                return -1;
            }
        }
        if (EemWriteControl(0) != 0) {
            return -1;
        }
    }
    return 0;
}

int32_t RestoreTarget() {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const SavedTarget& saved = gLpt.saved;
    if (!WriteArea(saved.clockAddress, saved.clockCount, saved.clock) ||
        !WriteArea(0x0000, 4, saved.sfr)) {
        return -1;
    }
    uint8_t control[6];
    std::copy(std::begin(saved.flashControl), std::end(saved.flashControl), control);
    control[1] = control[3] = control[5] = 0xA5;
    if (!WriteArea(kFlashControl, 6, control) || !InfoALockTo(saved.infoALock)) {
        return -1;
    }
    if (saved.ramSaved) {
        const auto n = static_cast<uint32_t>(saved.ram.size());
        std::vector<uint8_t> back(n);
        if (!WriteArea(p.RamStart(), n, saved.ram.data()) ||
            !ReadArea(p.RamStart(), n, back.data()) || back != saved.ram) {
            return -1;
        }
    }
    if (p.Eem()) {
        uint32_t clock = gLpt.clockControl;
        if (EemWriteControl(gLpt.eemControlCopy) != 0 || EemAccess(0x88, &clock) != 0) {
            return -1;
        }
        uint32_t module = gLpt.moduleClockControl;
        if (p.ClockControlKind() == 2 && EemAccess(0x8A, &module) != 0) {
            return -1;
        }
    }
    return 0;
}

} // namespace debugif
