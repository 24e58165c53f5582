#pragma once
// Flash-operation tests against the simulated library in process: a board
// of the named device type powered and identified, a code image built byte
// by byte, and the progress operation recorded.

#include "core/code_image.h"
#include "core/core_state.h"
#include "core/debug_api.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/memory_map.h"
#include "core/program_image.h"
#include "core/progress.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "debugif/debugif_reset.h"
#include "platform/services.h"
#include "sim/sim_library.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string_view>
#include <vector>

namespace flash_test {

// One device of each flash family the layer knows.
inline constexpr std::string_view kBoards[] = {"149", "2274", "5438"};

class FlashTest : public ::testing::Test {
protected:
    void SetUp() override {
        core::CoreStateReset();
        platform::ResetServices();
        debugif::ResetDebugifState();
        ASSERT_EQ(core::DeviceTableParse(core::kDeviceFilterAll), 1);
        sim::SimReset();
        core::DebugApiUse(&sim::SimDebugApi());
        core::Settings.CommPortIndex = 3;
        core::ProgressOperationSet(
            [](int32_t percent, void* context) {
                static_cast<std::vector<int32_t>*>(context)->push_back(percent);
            },
            &progress);
    }
    void TearDown() override {
        sim::SimReset();
        core::CoreStateReset();
        debugif::ResetDebugifState();
        platform::ResetServices();
    }

    // A fresh board of the device-list row, powered and identified; the
    // settings at their defaults, no faults, the code image empty, the log and the
    // progress record cleared.
    void Connect(std::string_view board, bool earlyF5xx = false) {
        core::Settings.Reset();
        core::Settings.CommPortIndex = 3;
        sim::Sim().ClearFaults(); // a new board does not clear them
        ASSERT_GT(sim::SimSelectDeviceNamed(board), 0) << board;
        if (earlyF5xx) {
            sim::Sim().SetEarlyF5xx(true);
        }
        ASSERT_EQ(core::TargetPowerSet(1), 1);
        ASSERT_EQ(core::TargetIdentify(), 1);
        core::CodeImageClear();
        core::ReadImageClear();
        core::Target.TargetErrorLog.clear();
        sim::Sim().Log().Clear();
        progress.clear();
    }

    // Defines bytes of the code image from address on.
    static void Define(int32_t address, const std::vector<uint8_t>& bytes) {
        for (size_t i = 0; i < bytes.size(); ++i) {
            const int32_t at = core::ImageIndex(address + static_cast<int32_t>(i));
            core::Images.CodeImage.data[at] = bytes[i];
            core::Images.CodeImage.used[at] = 1;
        }
        core::Images.CodeImageHasData = 1;
    }
    // count bytes from address on, each a function of its address, never 0xFF.
    static std::vector<uint8_t> Pattern(int32_t address, int32_t count) {
        std::vector<uint8_t> out;
        for (int32_t i = 0; i < count; ++i) {
            const uint32_t a = static_cast<uint32_t>(address + i);
            out.push_back(static_cast<uint8_t>((a * 7 + (a >> 8) * 13) % 255));
        }
        return out;
    }
    static void Prepare() { ASSERT_EQ(core::ProgramImagePrepare(0, 0), 1); }

    // The segments the device has: its information segments and the main
    // segments inside its flash.
    static std::vector<core::MemorySegment> DeviceSegments() {
        std::vector<core::MemorySegment> out;
        const core::MemoryMapInstance& map = core::MemoryMap.active;
        for (int32_t k = 0; k < core::SegmentTable.count; ++k) {
            const core::MemorySegment& s = core::SegmentTable.segments[k];
            if (k < map.infoSegments ||
                (s.start >= map.deviceMainStart && s.start <= map.deviceFlashEnd)) {
                out.push_back(s);
            }
        }
        return out;
    }
    // Every byte of the device's flash set to value, lock or not.
    static void FillFlash(uint8_t value) {
        for (const core::MemorySegment& s : DeviceSegments()) {
            for (int32_t a = s.start; a <= s.end; ++a) {
                sim::Sim().Poke(static_cast<uint32_t>(a), value);
            }
        }
    }
    static bool AllBytes(int32_t first, int32_t last, uint8_t value) {
        for (int32_t a = first; a <= last; ++a) {
            if (sim::Sim().Peek(static_cast<uint32_t>(a)) != value) {
                return false;
            }
        }
        return true;
    }
    static std::vector<sim::SimCall> CallsOf(std::string_view entry) {
        return sim::Sim().Log().Of(entry);
    }
    // The MSP430_Memory calls in one direction (0 write, 1 read) as
    // {address, count} pairs.
    static std::vector<std::pair<int32_t, int32_t>> Transfers(int32_t rw) {
        std::vector<std::pair<int32_t, int32_t>> out;
        for (const sim::SimCall& c : CallsOf("MSP430_Memory")) {
            if (c.args[2] == rw) {
                out.emplace_back(c.args[0], c.args[1]);
            }
        }
        return out;
    }

    std::vector<int32_t> progress;
};

} // namespace flash_test
