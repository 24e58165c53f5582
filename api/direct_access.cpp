#include "api/direct_access.h"

#include "api/api_state.h"
#include "api/lib_target.h"
#include "api/procedure_frame.h"
#include "api/report_log.h"
#include "core/code_image.h"
#include "core/debug_api.h"
#include "core/flash_erase.h"
#include "core/flash_read.h"
#include "core/flash_write.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_result.h"
#include "core/timing.h"
#include "steps/steps.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace api {

DirectState Direct;

namespace {

constexpr int32_t kPowerSettleUs = 100000;
constexpr int32_t kCloseSettleUs = 20000;
constexpr int32_t kRegisterPc = 0;
constexpr int32_t kRunFree = 1;
constexpr int32_t kReleaseJtag = 1;
constexpr int32_t kRegisterWrite = 0;

// Without an open target a flash operation reports why after its line.
bool Active() {
    if (Lib.TargetActive != 0) {
        return true;
    }
    ReportAppend("...\t failed\r\n");
    ReportAppend("Target Device is not Active.\r\n");
    return false;
}

bool InImages(int64_t first, int64_t size) {
    return size >= 1 && first >= core::kImageStart && first + size - 1 <= core::kImageEnd;
}

bool InBuffers(int64_t first, int64_t size) {
    return size >= 1 && first >= 0 && first + size <= kBufferSize;
}

// Calls op(address, length) for each block: the first up to the next
// multiple of block, then whole blocks. op returns false to stop early.
template <typename Op> void ForEachBlock(int32_t address, int32_t size, int32_t block, Op op) {
    int32_t remaining = size;
    int32_t at = address;
    int32_t length = std::min(block - at % block, remaining);
    while (remaining > 0) {
        if (!op(at, length)) {
            return;
        }
        at += length;
        remaining -= length;
        length = std::min(block, remaining);
    }
}

// One block of flash read into ReadImage: true when read.
bool ReadBlock(int32_t at, int32_t length) {
    return core::TargetReadRange(at, length) == 1;
}

} // namespace

int32_t SegmentErase(int32_t address) {
    ReportAppend("Erasing segment memory ..........");
    if (!Active()) {
        return 0;
    }
    const int32_t result = core::TargetEraseSegment(address) == 1 ? 1 : 0;
    ReportVerdict(result);
    return result;
}

int32_t RangeBlankCheck(int32_t start, int32_t stop) {
    ReportAppend("Blank checking segment .............");
    if (!Active()) {
        return 0;
    }
    // A range that is empty or leaves the images is refused after the line,
    // which stays without a verdict.
    const int64_t size = static_cast<int64_t>(stop) - start + 1;
    if (!InImages(start, size)) {
        return 0;
    }
    int32_t result = 1;
    ForEachBlock(start, static_cast<int32_t>(size), kBlankCheckBlock, [&](int32_t at, int32_t n) {
        // A block that cannot be read is no proof of a blank one.
        if (!ReadBlock(at, n)) {
            result = 0;
            return false;
        }
        const uint8_t* bytes = core::Images.ReadImage + core::ImageIndex(at);
        if (std::any_of(bytes, bytes + n, [](uint8_t b) { return b != 0xFF; })) {
            result = 0;
            return false;
        }
        return true;
    });
    ReportVerdict(result);
    return result;
}

int32_t WriteData(int32_t address, int32_t size, const uint8_t* data) {
    ReportAppend("Writing data to memory .............");
    if (!Active()) {
        return 0;
    }
    // No data, or a range that runs past the largest address (no flash
    // either): refused, and the line says so.
    if (data == nullptr || size < 1 ||
        static_cast<int64_t>(address) + size > std::numeric_limits<int32_t>::max()) {
        ReportVerdict(0);
        return 0;
    }
    int32_t result = 1;
    // Every block is written even after a failed one; the verdict is that
    // of all of them.
    ForEachBlock(address, size, kWriteDataBlock, [&](int32_t at, int32_t n) {
        const uint8_t* bytes = data + (at - address);
        result &= core::TargetWriteData(at, n, bytes) == 1 ? 1 : 0;
        return true;
    });
    ReportVerdict(result);
    return result;
}

int32_t ReadData(int32_t address, int32_t size, uint8_t* out) {
    ReportAppend("Reading data from flash memory ....");
    if (!Active()) {
        return 0;
    }
    // Nowhere to put the data, or a range outside the images: refused, and
    // the line says so.
    if (out == nullptr || !InImages(address, size)) {
        ReportVerdict(0);
        return 0;
    }
    int32_t result = 1;
    ForEachBlock(address, size, kReadDataBlock, [&](int32_t at, int32_t n) {
        if (ReadBlock(at, n)) {
            std::memcpy(out + (at - address), core::Images.ReadImage + core::ImageIndex(at),
                        static_cast<size_t>(n));
        } else {
            result = 0;
        }
        return true;
    });
    ReportVerdict(result);
    return result;
}

int32_t RamWrite(int32_t address, const uint8_t* data, int32_t size) {
    if (data == nullptr || !InBuffers(address, size)) {
        return 0;
    }
    ReportAppend("Writing data to RAM .........");
    int32_t result = 1;
    ForEachBlock(address, size, kRamBlock, [&](int32_t at, int32_t n) {
        result &= TargetRamWrite(at, data + (at - address), n);
        return true;
    });
    ReportVerdict(result);
    return result;
}

int32_t RamRead(int32_t address, uint8_t* out, int32_t size) {
    if (out == nullptr || !InBuffers(address, size)) {
        return 0;
    }
    ReportAppend("Reading data from RAM .........");
    int32_t result = 1;
    ForEachBlock(address, size, kRamBlock, [&](int32_t at, int32_t n) {
        result &= TargetRamRead(at, out + (at - address), n);
        return true;
    });
    ReportVerdict(result);
    return result;
}

int32_t WriteWord(int32_t address, int32_t word) {
    ReportAppend("Writing word to target .........");
    char bytes[2] = {static_cast<char>(word & 0xFF), static_cast<char>((word >> 8) & 0xFF)};
    const int32_t result =
        core::TargetResultMap(core::Debug_Memory(address, bytes, 2, core::kMemoryWrite));
    ReportVerdict(result);
    return result;
}

int32_t ReadWord(int32_t address) {
    ReportAppend(" Reading word from target .........");
    uint8_t bytes[2] = {0, 0};
    const int32_t result = core::TargetResultMap(
        core::Debug_Memory(address, reinterpret_cast<char*>(bytes), 2, core::kMemoryRead));
    // A read that failed is reported as such, not as done.
    ReportVerdict(result);
    return result == 1 ? (bytes[0] | bytes[1] << 8) : 0;
}

int32_t WriteByte(int32_t address, uint8_t byte) {
    char b = static_cast<char>(byte);
    return core::TargetResultMap(core::Debug_Memory(address, &b, 1, core::kMemoryWrite));
}

int32_t ReadByte(int32_t address) {
    uint8_t b = 0;
    const int32_t result = core::TargetResultMap(
        core::Debug_Memory(address, reinterpret_cast<char*>(&b), 1, core::kMemoryRead));
    return result == 1 ? b : 0;
}

int32_t SetPcAndRun(int32_t pc) {
    if (Direct.CpuRunning == 1) {
        SynchCpu();
    }
    ReportAppend("Setting PC and RUN .........");
    int32_t value = pc;
    int32_t result =
        core::TargetResultMap(core::Debug_RegisterAccess(&value, kRegisterPc, kRegisterWrite));
    if (result == 1) {
        result = core::TargetResultMap(core::Debug_RunCpu(kRunFree, kReleaseJtag));
    }
    Direct.CpuRunning = result;
    ReportVerdict(result);
    return result;
}

int32_t SynchCpu() {
    ReportAppend("Synchronizing CPU and JTAG .........");
    int32_t state = 0;
    int32_t cycles = 0;
    const int32_t result = core::TargetResultMap(core::Debug_CpuState(&state, 1, &cycles));
    Direct.CpuRunning = 0;
    ReportVerdict(result);
    return result;
}

int32_t PowerTarget(int32_t on) {
    if (on != 1) {
        const int32_t result = core::TargetPowerSet(0);
        ReportAppend(result == 1 ? "Power Target - OFF\r\n" : "Power Target - OFF...\t failed\r\n");
        return result;
    }
    if (core::Settings.PowerFromPODEnable == 0) {
        ReportAppend("Power Target - Disabled\r\n");
        return 0;
    }
    const int32_t result = core::TargetPowerSet(1);
    if (result != 1) {
        ReportAppend("Power Target - ON...\t failed\r\n");
        return 0;
    }
    core::DelayMicroseconds(kPowerSettleUs);
    ReportAppend("Power Target - ON\r\n");
    return 1;
}

int32_t ResetTarget() {
    const int32_t result = core::TargetReset() == 1 ? 1 : 0;
    ReportAppend(result == 1 ? " --- Reset Target Device ---\r\n"
                             : " --- Reset Target Device ---...\t failed\r\n");
    return result;
}

int32_t CloseTarget() {
    core::DelayMicroseconds(kCloseSettleUs);
    Lib.TargetActive = 0;
    if (core::Settings.PowerFromPODEnable != 0) {
        core::TargetPowerSet(0);
        steps::SupplyOffLine(StepsPort());
    }
    core::TargetClearIdentified();
    ReportAppend("Target Device is Closed.\r\n");
    return 1;
}

} // namespace api
