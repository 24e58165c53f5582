#include "tests/debugapi/core_cycle_run.h"

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_check.h"
#include "core/flash_erase.h"
#include "core/flash_read.h"
#include "core/flash_verify.h"
#include "core/flash_write.h"
#include "core/memory_map.h"
#include "core/program_image.h"
#include "core/retained_data.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"

#include <algorithm>
#include <sstream>

namespace debugapi_test {

using namespace core;

namespace {

void Record(Outcome& o, const std::string& step, int32_t result) {
    o.steps.push_back(step + " = " + std::to_string(result));
}

// The segment of the table that holds address.
int32_t SegmentOf(int32_t address) {
    for (int32_t k = 0; k < SegmentTable.count; ++k) {
        if (SegmentTable.segments[k].start <= address && address <= SegmentTable.segments[k].end) {
            return k;
        }
    }
    return 0;
}

// Code over Info-B and most of main flash, sparse in parts, the reset
// vector last.
void DefineCode(uint32_t main_start, uint32_t main_end) {
    CodeImageClear();
    for (int32_t a = 0x1080; a < 0x1090; ++a) {
        Images.CodeImage.data[ImageIndex(a)] = static_cast<uint8_t>(a);
        Images.CodeImage.used[ImageIndex(a)] = 1;
    }
    const int32_t last = static_cast<int32_t>(std::min<uint32_t>(main_end, 0xFFFF));
    for (int32_t a = static_cast<int32_t>(main_start); a <= last; a += (a & 0x1000) ? 1 : 3) {
        Images.CodeImage.data[ImageIndex(a)] = static_cast<uint8_t>(a * 5 + 1);
        Images.CodeImage.used[ImageIndex(a)] = 1;
    }
    Images.CodeImageHasData = 1;
}

} // namespace

std::string Difference(const Outcome& got, const Outcome& want) {
    std::ostringstream d;
    if (got.device != want.device) {
        d << "device " << got.device << " instead of " << want.device;
    } else if (got.steps != want.steps) {
        for (size_t i = 0; i < std::max(got.steps.size(), want.steps.size()); ++i) {
            const std::string g = i < got.steps.size() ? got.steps[i] : "(none)";
            const std::string w = i < want.steps.size() ? want.steps[i] : "(none)";
            if (g != w) {
                d << "step " << i << ": " << g << " instead of " << w;
                break;
            }
        }
    } else if (got.errorLog != want.errorLog) {
        d << "error log \"" << got.errorLog << "\" instead of \"" << want.errorLog << "\"";
    } else if (got.flash != want.flash || got.info != want.info) {
        const Bytes& g = got.flash != want.flash ? got.flash : got.info;
        const Bytes& w = got.flash != want.flash ? want.flash : want.info;
        size_t i = 0;
        while (i < g.size() && i < w.size() && g[i] == w[i]) {
            ++i;
        }
        d << (got.flash != want.flash ? "main flash" : "information memory")
          << " differs at offset 0x" << std::hex << i;
    }
    return d.str();
}

Outcome RunCycle(const BoardAccess& board) {
    Outcome o;
    Settings.EraseInfoA_F2xx_En = 1; // the calibration must come back by itself
    Record(o, "open", TargetOpen());
    Record(o, "power", TargetPowerSet(1));
    Record(o, "identify", TargetIdentify());
    o.device = ConnectedDevice.name;
    const MemoryMapInstance& map = MemoryMap.active;
    const uint32_t main_start = static_cast<uint32_t>(map.deviceMainStart);
    const uint32_t flash_end = static_cast<uint32_t>(map.deviceFlashEnd);
    DefineCode(main_start, flash_end);

    Record(o, "prepare", ProgramImagePrepare(0, 0));
    Record(o, "retained read", RetainedDataRead());
    Record(o, "erase", TargetErase());
    Record(o, "retained restore", RetainedDataRestore());
    Record(o, "erase verify", TargetEraseVerify());
    Record(o, "blank check", TargetBlankCheck());

    Record(o, "prepare", ProgramImagePrepare(0, 0));
    for (int32_t k = 0; k < SegmentTable.count; ++k) {
        const MemorySegment& s = SegmentTable.segments[k];
        if (s.needsWrite != 0) {
            std::ostringstream step;
            step << "write 0x" << std::hex << s.start;
            Record(o, step.str(), TargetWriteImageBlock(s.start, s.length));
        }
    }
    ProgramImageChecksum();

    // A byte of the board changes behind the programmer's back; both
    // verifies see it, and the block written again mends it.
    const int32_t spoilt_segment = SegmentOf(static_cast<int32_t>(main_start + 0x1000));
    const MemorySegment& s = SegmentTable.segments[spoilt_segment];
    const uint32_t spoilt = static_cast<uint32_t>(s.start) + 0x31;
    const Bytes was = board.peek(spoilt, 1);
    board.poke(spoilt, {static_cast<uint8_t>(was[0] ^ 0x10)});
    Record(o, "verify checksum, spoilt", TargetVerifyChecksum());
    Record(o, "verify range, spoilt", TargetVerifyRange(s.start, s.length));
    board.poke(spoilt, {0xFF});
    Record(o, "write again", TargetWriteImageBlock(s.start, s.length));
    Record(o, "mended", board.peek(spoilt, 1) == was ? 1 : 0);

    Record(o, "verify checksum", TargetVerifyChecksum());
    ReadImageClear();
    for (int32_t k = 0; k < SegmentTable.count; ++k) {
        const MemorySegment& v = SegmentTable.segments[k];
        if (v.needsCheck != 0) {
            std::ostringstream step;
            step << "verify 0x" << std::hex << v.start;
            Record(o, step.str(), TargetVerifyRange(v.start, v.length));
        }
    }
    Record(o, "read", TargetReadRange(static_cast<int32_t>(main_start), 0x1000));
    Bytes read(0x1000);
    for (uint32_t i = 0; i < read.size(); ++i) {
        read[i] = Images.ReadImage[ImageIndex(static_cast<int32_t>(main_start + i))];
    }
    Record(o, "read equals the board", read == board.peek(main_start, 0x1000) ? 1 : 0);

    Record(o, "reset", TargetReset());
    Record(o, "close", TargetClose());
    o.errorLog = Target.TargetErrorLog;
    o.flash = board.peek(main_start, flash_end - main_start + 1);
    o.info = board.peek(0x1000, 0x100);
    return o;
}

} // namespace debugapi_test
