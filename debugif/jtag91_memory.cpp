#include "debugif/jtag91_memory.h"

#include "debugif/api_state.h"
#include "debugif/device_id_state.h"
#include "debugif/error_numbers.h"
#include "debugif/jtag91_cpu.h"
#include "debugif/jtag_device_profile.h"
#include "debugif/jtag_entry.h"
#include "debugif/jtag_shift.h"
#include "debugif/lpt_error_numbers.h"
#include "debugif/lpt_routine_tables.h"
#include "debugif/lpt_state.h"

#include <algorithm>
#include <vector>

namespace debugif {

namespace {

constexpr uint32_t kWatchdog = 0x015C;
constexpr uint32_t kBslControl = 0x0182;
constexpr uint32_t kBslStart = 0x1000;
constexpr uint32_t kPlainEnd = 0x1000;
constexpr uint32_t kInfoBlockEnd = 0x1B00;
constexpr uint16_t kBlank = 0x3FFF;
constexpr uint16_t kBslProtected = 0x8000;

uint16_t FlashLockWord() {
    return gLpt.config5 == 0 ? 0xA548 : 0xA508;
}

int32_t Done(int32_t result, int32_t error) {
    if (result != 0) {
        return LptFail(error);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

bool InRange(uint32_t first, uint32_t last, uint32_t start, uint32_t end) {
    return end >= start && first >= start && last <= end;
}

// One run of the erase routine; a refused or silent one fails.
bool EraseRun(uint32_t address, uint16_t control) {
    std::vector<uint16_t> r(kErase91.begin(), kErase91.end());
    r[kErase91_addrlo] = static_cast<uint16_t>(address);
    r[kErase91_addrhi] = static_cast<uint16_t>(address >> 16);
    r[kErase91_fctl1] = control;
    r[kErase91_fctl3] = FlashLockWord();
    return RunRoutineX(r, nullptr) == 0;
}

int32_t WriteFlashX(uint32_t address, const uint8_t* buffer, uint32_t count) {
    const uint32_t words = count / 2;
    std::vector<uint16_t> r(kWrite91.begin(), kWrite91.end());
    r[kWrite91_addrlo] = static_cast<uint16_t>(address);
    r[kWrite91_addrhi] = static_cast<uint16_t>(address >> 16);
    r[kWrite91_countlo] = static_cast<uint16_t>(words);
    r[kWrite91_counthi] = static_cast<uint16_t>(words >> 16);
    r[kWrite91_fctl3] = FlashLockWord();
    const auto feed = [&] {
        if (!MailboxWait(kMailboxReady)) {
            return false;
        }
        for (uint32_t i = 0; i < words; ++i) {
            if (MailboxWrite(static_cast<uint16_t>(buffer[2 * i] | (buffer[2 * i + 1] << 8))) !=
                0) {
                return false;
            }
        }
        return true;
    };
    const int32_t result = RunRoutineX(r, feed);
    if (result == kErrorPreserve) {
        return LptFail(kErrorPreserve);
    }
    return Done(result, kErrorWriteMemory);
}

int32_t Write(uint32_t first, const uint8_t* buffer, uint32_t count) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const core::IdentifyRecord& id = gDeviceId.identifyRecord;
    const uint32_t last = first + count - 1;
    const bool plain = last < kPlainEnd || InRange(first, last, p.RamStart(), p.RamEnd()) ||
                       (p.Ram2End() != 0 && InRange(first, last, p.Ram2Start(), p.Ram2End()));
    if (plain) {
        for (uint32_t i = 0; i < count; i += 2) {
            const uint32_t a = first + i;
            uint16_t w = static_cast<uint16_t>(buffer[i] | (buffer[i + 1] << 8));
            if (a == kWatchdog) {
                // The watchdog stays held; the host keeps what was meant.
                gLpt.WatchdogShadow = static_cast<uint16_t>(0x5A00 | (w & 0x00FF));
                w = static_cast<uint16_t>(0x5A80 | (w & 0x00FF));
            }
            if (!WriteWordX(a, w)) {
                return LptFail(kErrorWriteMemory);
            }
        }
        return Done(0, 0);
    }
    const bool bsl = InRange(first, last, id.BslStart(), id.BslEnd());
    if (!InRange(first, last, id.InfoStart(), id.InfoEnd()) && !bsl &&
        !InRange(first, last, id.MainStart(), id.MainEnd())) {
        return LptFail(kErrorWriteMemory);
    }
    if (bsl && gLpt.bslUnlocked == 0) {
        return LptFail(kErrorBslProtected);
    }
    return WriteFlashX(first, buffer, count);
}

bool ReadWordsPlain(uint32_t address, uint32_t words, uint16_t* out) {
    for (uint32_t i = 0; i < words; ++i) {
        const uint32_t a = address + 2 * i;
        if (!ReadWordX(a, &out[i])) {
            return false;
        }
        if (a == kWatchdog) {
            out[i] = static_cast<uint16_t>((out[i] & 0xFF00) | (gLpt.WatchdogShadow & 0x00FF));
        }
    }
    return true;
}

void Fill(uint16_t* out, uint32_t words) {
    std::fill(out, out + words, kBlank);
}

// The BSL area from kBslStart to the information memory.
bool ReadBsl(uint32_t address, uint32_t words, uint16_t* out) {
    if (gLpt.config11 == 0) {
        Fill(out, words);
        return true;
    }
    uint16_t control = 0;
    if (!ReadWordX(kBslControl, &control)) {
        return false;
    }
    uint32_t boundary = 0xFFFFFFFF;
    if ((control & kBslProtected) != 0) {
        static constexpr uint32_t kBoundaries[4] = {0x1600, 0x1400, 0x1200, 0x1000};
        boundary = kBoundaries[control & 3];
    }
    const uint32_t end = address + 2 * words;
    const uint32_t open = std::clamp(boundary, address, end);
    const uint32_t openWords = (open - address) / 2;
    if (openWords != 0 && !ReadBlockX(address, openWords, out)) {
        return false;
    }
    Fill(out + openWords, words - openWords);
    return true;
}

bool Read(uint32_t first, uint32_t words, uint16_t* out) {
    if (gDeviceId.currentDeviceIndex == 0) {
        return ReadBlockX(first, words, out);
    }
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const uint32_t infoStart = gDeviceId.identifyRecord.InfoStart();
    // Area by area: each piece ends where the next kind of memory begins.
    struct Area {
        uint32_t end;
        int kind; // 0 plain words, 1 BSL, 2 block, 3 blank
    };
    const Area areas[] = {{kPlainEnd, 0},
                          {std::max(infoStart, kBslStart), 1},
                          {std::max<uint32_t>(kInfoBlockEnd, infoStart), 2},
                          {std::max<uint32_t>(p.RamStart(), kInfoBlockEnd), 3},
                          {0xFFFFFFFF, 2}};
    uint32_t a = first;
    const uint32_t end = first + 2 * words;
    for (const Area& area : areas) {
        if (a >= end) {
            break;
        }
        if (a >= area.end) {
            continue;
        }
        const uint32_t stop = std::min(end, area.end);
        const uint32_t n = (stop - a) / 2;
        uint16_t* at = out + (a - first) / 2;
        bool ok = true;
        switch (area.kind) {
        case 0:
            ok = ReadWordsPlain(a, n, at);
            break;
        case 1:
            ok = ReadBsl(a, n, at);
            break;
        case 2:
            ok = ReadBlockX(a, n, at);
            break;
        default:
            Fill(at, n);
            break;
        }
        if (!ok) {
            return false;
        }
        a = stop;
    }
    return true;
}

} // namespace

int32_t UnlockBsl() {
    uint16_t control = 0;
    if (!ReadWordX(kBslControl, &control)) {
        return -1;
    }
    if ((control & kBslProtected) == 0) {
        return 0;
    }
    if (!WriteWordX(kBslControl, 3) || !ReadWordX(kBslControl, &control)) {
        return -1;
    }
    if (control == 3) {
        return 0;
    }
    if (JtagIdQuery() != 0 || gLpt.access.JtagReset(7, 0, 0) != 0) {
        return -1;
    }
    if (!WriteWordX(kBslControl, static_cast<uint16_t>(control & ~kBslProtected)) ||
        !ReadWordX(kBslControl, &control)) {
        return -1;
    }
    return (control & kBslProtected) == 0 ? 0 : -1;
}

int32_t JtagMemory91(int32_t address, uint8_t* buffer, int32_t count, int32_t rw) {
    const int32_t error = rw == 0 ? kErrorWriteMemory : kErrorReadMemory;
    if (address < 0 || count < 0 || buffer == nullptr || ((address | count) & 1) != 0) {
        return LptFail(error);
    }
    if (count == 0) {
        return Done(0, 0);
    }
    const auto first = static_cast<uint32_t>(address);
    const auto n = static_cast<uint32_t>(count);
    if (rw == 0) {
        return Write(first, buffer, n);
    }
    std::vector<uint16_t> words(n / 2);
    if (!Read(first, n / 2, words.data())) {
        return LptFail(kErrorReadMemory);
    }
    for (uint32_t i = 0; i < n / 2; ++i) {
        buffer[2 * i] = static_cast<uint8_t>(words[i]);
        buffer[2 * i + 1] = static_cast<uint8_t>(words[i] >> 8);
    }
    return Done(0, 0);
}

int32_t JtagErase91(int32_t type, int32_t address, int32_t length) {
    const JtagDeviceProfile p = JtagDeviceProfile::Current();
    const core::IdentifyRecord& id = gDeviceId.identifyRecord;
    const auto a = static_cast<uint32_t>(address);
    if (type < 0 || type > 2 || length < 0) {
        return LptFail(kErrorInvalidParameter);
    }
    const uint32_t infoSize = p.InfoSegmentSize();
    const bool inInfo = a >= id.InfoStart() && a <= id.InfoEnd();
    const uint32_t size = type != 0 ? 1 : (inInfo ? infoSize : p.MainSegmentSize());
    if (size == 0) {
        // A segment walk that could not advance.
        return LptFail(kErrorErase);
    }
    if (gLpt.config11 != 0 && gLpt.bslUnlocked == 0) {
        if (UnlockBsl() != 0) {
            return LptFail(kErrorBslUnlock);
        }
        gLpt.bslUnlocked = 1;
    }
    bool ok = true;
    if (type == 0) {
        const uint32_t runs = (static_cast<uint32_t>(length) + size - 1) / size;
        for (uint32_t i = 0; i < runs && ok; ++i) {
            ok = EraseRun(a + i * size, 0xA502);
        }
    } else {
        const uint32_t mainSize = id.MainEnd() + 1 - id.MainStart();
        const uint32_t banks = std::max<uint32_t>(1, mainSize / 0x10000);
        for (uint32_t i = 0; i < banks && ok; ++i) {
            ok = EraseRun(id.MainStart() + i * 0x10000, 0xA504);
        }
        if (type == 2 && infoSize != 0) {
            const uint32_t segments = (id.InfoEnd() + 1u - id.InfoStart()) / infoSize;
            for (uint32_t k = 0; k < segments && ok; ++k) {
                // The last segment, Info A, only when it is opened.
                if (k + 1 == segments && gLpt.config5 == 0) {
                    break;
                }
                ok = EraseRun(id.InfoStart() + k * infoSize, 0xA502);
            }
            if (gLpt.config11 != 0) {
                for (uint32_t bsl : {0x1000u, 0x1200u, 0x1400u, 0x1600u}) {
                    ok = ok && EraseRun(bsl, 0xA502);
                }
            }
        }
    }
    if (!ok) {
        gLpt.bslUnlocked = 0;
        return LptFail(kErrorErase);
    }
    return Done(0, 0);
}

} // namespace debugif
