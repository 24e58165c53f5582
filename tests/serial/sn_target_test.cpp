// The engine against the simulated target: the read-back of a target's SN
// location, and 10,000 WRITE SN steps, each on a blank device, with random
// write, verify and history faults, re-scanned used labels and abandoned
// runs. No SN may end up on two passed devices or twice in the history, and
// every passed run must be recorded.

#include "sn_fixture.h"

#include "core/code_image.h"
#include "core/debug_api.h"
#include "core/device_table.h"
#include "core/flash_read.h"
#include "core/flash_write.h"
#include "core/target_connect.h"
#include "core/target_identify.h"
#include "debugif/debugif_reset.h"
#include "gui/sn_history_line.h"
#include "gui/sn_hooks.h"
#include "gui/sn_readback.h"
#include "platform/append_file.h"
#include "platform/scripted_prompts.h"
#include "sim/sim_library.h"
#include "tests/support/sim_target.h"
#include "ui/manual_clock.h"

#include <cctype>
#include <map>
#include <random>
#include <set>
#include <sstream>

namespace sn_test {
namespace {

using gui::SerialNumber;

class SnTargetTest : public SnTest {
protected:
    void SetUp() override {
        SnTest::SetUp();
        platform::SetClockSource(&clock);
        platform::SetPromptService(&prompts);
        testsupport::SimTargetAttach();
    }
    void TearDown() override {
        testsupport::SimTargetDetach();
        SnTest::TearDown();
    }
    // A fresh, blank board of the F5438 (flash up to 0x45BFF), powered and identified.
    void FreshDevice() {
        sim::Sim().ClearFaults();
        ASSERT_GT(sim::SimSelectDeviceNamed("5438"), 0);
        ASSERT_EQ(core::TargetPowerSet(1), 1);
        ASSERT_EQ(core::TargetIdentify(), 1);
        core::ReadImageClear();
    }
    ui::ManualClock clock;
    platform::ScriptedPrompts prompts;
};

TEST_F(SnTargetTest, ReadBackNearTheTopStopsAtTheLastAddress) {
    FreshDevice();
    Use(3, 0);
    core::Settings.SNStartAddress = 0x45BFC;
    EXPECT_EQ(gui::SerialNumberReadBack(), 0);
    EXPECT_EQ(SerialNumber.SnEditChoice, 2);
    sim::Sim().PokeRange(0x45BFC, {0x34, 0x12, 0x56, 0x78});
    SerialNumber.SnStatus = 1;
    EXPECT_EQ(gui::SerialNumberReadBack(), gui::kReadBackNotEmpty | 1);
    EXPECT_EQ(SerialNumber.SnReadBackText, "04660");
    EXPECT_EQ(SerialNumber.SnEditChoice, 1);
    EXPECT_EQ(SerialNumber.SnStatus, 9);
    EXPECT_EQ(SerialNumber.SnReadBack[1], 0x12);
    EXPECT_EQ(SerialNumber.SnReadBack[4], 0xFF); // past 0x45BFF
    EXPECT_EQ(SerialNumber.SnReadBack[255], 0xFF);
    sim::Sim().FailOperation("MSP430_Memory", 1);
    EXPECT_EQ(gui::SerialNumberReadBack(), gui::kReadBackFailed);
}

enum Fault { kNone, kWriteFails, kVerifyFails, kAppendFails, kRescanUsed, kAbandon, kFaultCount };

int32_t FailAppend(const std::string&, std::string_view) {
    return 2;
}

struct Reliability {
    std::mt19937 random{1210};
    int customCounter = 0;
    bool cancelEditor = false;
};
Reliability* g_run = nullptr;
std::string g_written; // the SN the last step wrote

// The operator in the SN editor: cancels on a re-scanned label, else takes
// the coming SN, or types a fresh one for a custom SN.
int32_t FakeEditor(const std::string&) {
    if (g_run->cancelEditor) {
        SerialNumber.SnEditCancelled = 1;
        return 15;
    }
    if (core::Settings.SNDispFormatIndex != gui::kSnTypeCustom) {
        SerialNumber.SnEditResultText = gui::SerialNumberFormat();
        SerialNumber.SnStatus =
            (SerialNumber.SnStatus & ~gui::kSnStatusOverwritten) | gui::kSnStatusNew;
        SerialNumber.SnEditCancelled = 0;
        return 1;
    }
    char text[16];
    std::snprintf(text, sizeof text, "%08x", 0x10000 + g_run->customCounter++);
    SerialNumber.SnEditResultText = text;
    SerialNumber.SnStatus =
        (SerialNumber.SnStatus & ~gui::kSnStatusOverwritten) | gui::kSnStatusManual;
    SerialNumber.SnEditCancelled = 0;
    return 1;
}

// One WRITE SN step as the procedure runs it through the hooks: -1 when
// abandoned between steps.
int32_t SnStep(const std::string& field0, Fault fault) {
    const gui::SerializationHooks& h = gui::Serialization();
    std::string field = field0;
    SerialNumber.SnStatus =
        gui::kSnStatusNew | (SerialNumber.ManualSnFlag == 1 ? gui::kSnStatusManual : 0);
    bool prompt = h.HistoryContains(field) == 1;
    const int32_t r = h.ReadBack();
    if (r == gui::kReadBackFailed) {
        return 0;
    }
    if ((r & gui::kReadBackNotEmpty) != 0 && core::Settings.SNExistWarnEn == 1) {
        prompt = true;
    }
    if (prompt) {
        if (h.EditSn(field) == 15) {
            return 15;
        }
        field = SerialNumber.SnEditResultText;
    }
    if (h.FromText(field) != 1) {
        return 0;
    }
    if (fault == kAbandon) {
        return -1;
    }
    g_written = SerialNumber.SerialNumberText;
    const auto& d = core::SerialData;
    if (fault == kWriteFails) {
        sim::Sim().FailWriteAt(static_cast<uint32_t>(core::Settings.SNStartAddress), 1);
    }
    if (core::TargetWriteData(core::Settings.SNStartAddress, d.SerialNumberCount,
                              d.SerialNumberBytes) != 1) {
        return 0;
    }
    if (fault == kVerifyFails) {
        sim::Sim().Poke(static_cast<uint32_t>(core::Settings.SNStartAddress), 0x00);
    }
    if (core::TargetReadRange(core::Settings.SNStartAddress, d.SerialNumberCount) != 1) {
        return 0;
    }
    for (int32_t i = 0; i < d.SerialNumberCount; ++i) {
        if (core::Images.ReadImage[core::ImageIndex(core::Settings.SNStartAddress + i)] !=
            d.SerialNumberBytes[i]) {
            return 0;
        }
    }
    platform::SetFileAppendHook(fault == kAppendFails ? &FailAppend : nullptr);
    const int32_t appended = h.HistoryAppend();
    platform::SetFileAppendHook(nullptr);
    if (appended != 1) {
        return 0; // the run fails: it was never recorded
    }
    SerialNumber.ManualSnFlag = 0;
    h.ComputeNext();
    h.PackNext();
    return 1;
}

std::string Lower(std::string s) {
    for (char& c : s) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

TEST_F(SnTargetTest, TenThousandRunsNeverGiveTwoDevicesOneSn) {
    Reliability run;
    g_run = &run;
    gui::SerializationHooks hooks = gui::SerializationEngineHooks();
    hooks.EditSn = &FakeEditor;
    gui::SetSerializationHooks(&hooks);

    const std::string list = dir.File("list.txt");
    {
        std::string text = "#SN_LIST\r\n#SN_SIZE 6\r\n";
        for (int i = 0; i < 3000; ++i) {
            char e[16];
            std::snprintf(e, sizeof e, "Lx%04d\r\n", i);
            text += e;
        }
        testsupport::WriteFile(list, text);
    }
    const struct {
        int type, mode, size, start;
    } blocks[] = {{0, 0, 8, 1}, {3, 1, 8, 9000}, {6, 4, 8, 1}, {7, 2, 6, 1}};
    std::map<int, std::set<std::string>> passed; // type -> SNs on passed devices
    std::map<int, int> results;
    int checkedBlank = 0;
    for (const auto& b : blocks) {
        Use(b.type, b.mode);
        core::Settings.Custom_SN_size = b.size;
        core::Settings.Starting_SN = b.start;
        core::Settings.SNStartAddress = 0x45BF0;
        core::Settings.SNExistWarnEn = 1;
        SerialNumber.ManualSnFlag = 0;
        gui::SnListLoad(list);
        gui::SerialNumberPrepareNext();
        for (int i = 0; i < 2500; ++i) {
            // A fresh device: the step touches the SN area only, so erasing
            // it makes the board as good as new; a new board now and then.
            if (i % 250 == 0) {
                FreshDevice();
            }
            sim::Sim().ClearFaults();
            sim::Sim().PokeRange(0x45BF0, std::vector<uint8_t>(16, 0xFF));
            core::ReadImageClear();
            Fault fault = static_cast<Fault>(run.random() % 20);
            if (fault >= kFaultCount) {
                fault = kNone;
            }
            std::string field = gui::SerialNumberFormat();
            run.cancelEditor = false;
            if (fault == kRescanUsed && !passed[b.type].empty()) {
                // A label scanned again: some SN already on a passed device.
                auto it = passed[b.type].begin();
                std::advance(it, run.random() % passed[b.type].size());
                field = *it;
                SerialNumber.ManualSnFlag = 1;
                run.cancelEditor = true;
            } else if (b.type == 6 && run.random() % 2 == 0) {
                char typed[16];
                std::snprintf(typed, sizeof typed, "%08X", 0x10000 + run.customCounter++);
                field = typed; // the operator types a new one
                SerialNumber.ManualSnFlag = 1;
            }
            const int32_t r = SnStep(field, fault);
            ++results[r];
            const auto onDevice = sim::Sim().PeekRange(0x45BF0, 16);
            if (r == 1) {
                std::string decoded;
                ASSERT_EQ(gui::SnDecodeBytes(onDevice.data(), decoded), 1);
                EXPECT_EQ(Lower(decoded), Lower(g_written));
                EXPECT_TRUE(passed[b.type].insert(Lower(decoded)).second)
                    << "SN on two passed devices: " << decoded;
            } else if (r == 15 || r == -1 ||
                       (b.type == 3 && SerialNumber.NextSerialNumber > 9999)) {
                // Stopped, abandoned, or past the BCD capacity: nothing written.
                EXPECT_EQ(onDevice, std::vector<uint8_t>(16, 0xFF))
                    << "run " << i << " result " << r;
                ++checkedBlank;
            }
            if (r == -1) {
                SerialNumber.Reset();
                gui::SerialNumberPrepareNext();
                gui::SnListLoad(list);
                gui::SerialNumberComputeNext();
                gui::SerialNumberPackNext();
            }
        }
    }
    gui::SetSerializationHooks(nullptr);
    EXPECT_GT(results[1], 5000);
    EXPECT_GT(results[15], 50);
    EXPECT_GT(results[-1], 50);
    EXPECT_GT(checkedBlank, 1000); // BCD type 3 stopped after 9999
    EXPECT_EQ(*passed[3].rbegin(), "9999");

    // The history: each passed SN once, nothing twice.
    std::istringstream file(ReadHistory());
    std::map<int, std::multiset<std::string>> recorded;
    std::string line;
    while (std::getline(file, line)) {
        if (gui::SnLineIsTorn(line.substr(0, line.find('\r')))) {
            continue; // marked as torn: no device's record
        }
        const auto tokens = gui::SnLineTokens(line);
        ASSERT_GE(tokens.size(), 2u) << line;
        recorded[tokens[0][1] - '0'].insert(Lower(std::string(tokens[1])));
    }
    for (const auto& [type, sns] : passed) {
        for (const std::string& sn : sns) {
            EXPECT_EQ(recorded[type].count(sn), 1u) << "type " << type << " SN " << sn;
        }
        EXPECT_EQ(recorded[type].size(), sns.size()) << "type " << type;
    }
}

} // namespace
} // namespace sn_test
