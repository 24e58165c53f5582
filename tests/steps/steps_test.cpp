// The shared steps over the simulated target, with each deliverable's
// options: what the options promise differs, the rest is the same.

#include "tests/flash/flash_fixture.h"

#include "core/code_image.h"
#include "core/device_select.h"
#include "core/program_image.h"
#include "core/target_identify.h"
#include "core/target_state.h"
#include "steps/retain_step.h"
#include "steps/step_texts.h"
#include "steps/steps.h"

#include <algorithm>
#include <string>
#include <vector>

namespace {

using flash_test::FlashTest;
using steps::StepResult;

class RecordingPort final : public steps::StepPort {
public:
    void Report(std::string_view text) override { report += text; }
    void Progress(int32_t percent) override { bar.push_back(percent); }
    steps::MessageAnswer Message(const char* caption, const std::string& text,
                                 steps::MessageStyle) override {
        boxes.push_back(std::string(caption) + "|" + text);
        return answer;
    }
    void SupplyRead() override { ++supplyReadings; }
    bool Prompts() const override { return prompts; }
    bool ShowsBoxes() const override { return boxesShow; }
    void DeviceFound(const std::string& type) override { found.push_back(type); }

    steps::MessageAnswer answer = steps::MessageAnswer::None;
    bool prompts = true;
    bool boxesShow = true;
    std::vector<std::string> found;

    std::string report;
    std::vector<int32_t> bar;
    std::vector<std::string> boxes;
    int32_t supplyReadings = 0;
};

struct Deliverable {
    const char* name;
    const steps::StepOptions& options;
};
const Deliverable kBoth[] = {{"Quillbay", steps::kQuillbaySteps},
                             {"Quillcore", steps::kQuillcoreSteps}};

class StepsTest : public FlashTest {
protected:
    // Code over all of the device's main memory and its first information
    // segment, prepared the way a run prepares it.
    void DefineWholeMain() {
        const core::MemoryMapInstance& map = core::MemoryMap.active;
        const int32_t first = map.deviceMainStart;
        Define(first, Pattern(first, map.deviceFlashEnd - first + 1));
        const core::MemorySegment& info = core::SegmentTable.segments[0];
        Define(info.start, Pattern(info.start, info.length));
        Prepare();
    }
    static int32_t Marked() {
        int32_t n = 0;
        for (int32_t k = 0; k < core::SegmentTable.count; ++k) {
            n += core::SegmentTable.segments[k].needsWrite != 0 ? 1 : 0;
        }
        return n;
    }
    static size_t Writes() { return Transfers(0).size(); }
};

TEST_F(StepsTest, TheWriteGroupsAndReadsTheSupplyOnlyWhereItsOptionsSay) {
    for (const Deliverable& d : kBoth) {
        SCOPED_TRACE(d.name);
        Connect("149");
        DefineWholeMain();
        const int32_t marked = Marked();
        ASSERT_GT(marked, 64);
        RecordingPort port;
        const steps::WriteOutcome out = steps::WriteSegments(port, d.options);
        EXPECT_EQ(out.result, StepResult::Passed);
        EXPECT_TRUE(out.attempted);
        EXPECT_EQ(port.report, "Flash programming ................."
                               "...\t done\r\n");
        EXPECT_TRUE(port.boxes.empty());
        if (d.options.writeFullBeforeVerdict) {
            EXPECT_EQ(port.bar.back(), 100);
        }
        if (d.options.groupMainSegments) {
            // Whole groups of main segments go as one block each.
            EXPECT_LT(Writes(), static_cast<size_t>(marked) / 2);
            EXPECT_EQ(port.supplyReadings, 0);
        } else {
            EXPECT_EQ(Writes(), static_cast<size_t>(marked));
            EXPECT_EQ(port.supplyReadings, marked / 32);
        }
        // Either way the flash holds the image.
        for (int32_t k = 0; k < core::SegmentTable.count; ++k) {
            const core::MemorySegment& s = core::SegmentTable.segments[k];
            if (s.needsWrite == 0) {
                continue;
            }
            for (int32_t a = s.start; a <= s.end; a += 97) {
                const int32_t i = core::ImageIndex(a);
                ASSERT_EQ(sim::Sim().Peek(static_cast<uint32_t>(a)),
                          core::Images.ProgramImage.data[i])
                    << std::hex << a;
            }
        }
    }
}

// The board of row 415 identifies as the F41x of the identification
// tables, whose main memory starts at 0xE000, not at the row's 0xC000; the
// board of row 435 as the F43x, whose memory starts at 0x8000, below the
// row's 0xC000.
TEST_F(StepsTest, TheCodeSizeCheckAsksWhereSomebodyCanAnswerAndGoesOnOnlyOverNamedCode) {
    using steps::CodeSize;
    struct Case {
        const char* what;
        const char* board;
        std::vector<int32_t> bytes;
        // Nobody to ask, with Quillcore's options: the code outside was
        // named at load, or it was not.
        CodeSize named, unnamed;
        bool quillbayAsks; // Quillbay's operator, always there to be asked
    };
    const Case cases[] = {
        {"in the target", "415", {0x1000, 0xE000, 0xFFFE}, CodeSize::Fits, CodeSize::Fits, false},
        {"in the row only", "415", {0xE000, 0xC000}, CodeSize::Refuse, CodeSize::Refuse, true},
        {"in neither", "415", {0xE000, 0x10000}, CodeSize::GoOnWarned, CodeSize::Refuse, true},
        {"both", "415", {0x10000, 0xD000}, CodeSize::Refuse, CodeSize::Refuse, true},
        // Written all the same; Quillbay named it when the file was read.
        {"in the target only",
         "435",
         {0x8000, 0xC000},
         CodeSize::GoOnWarned,
         CodeSize::GoOnWarned,
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect(c.board);
        core::Settings.SelectedProcessorIndex = sim::SimSelectDeviceNamed(c.board);
        core::DeviceSelectByIndex();
        ASSERT_EQ(core::TargetIdentify(), 1);
        for (const int32_t a : c.bytes) {
            Define(a, {0x12, 0x34});
        }
        Prepare();
        for (const bool prompts : {true, false}) {
            for (const bool boxes : {true, false}) {
                SCOPED_TRACE(std::string(prompts ? "prompts" : "no prompts") +
                             (boxes ? ", boxes" : ", no boxes"));
                RecordingPort port;
                port.prompts = prompts;
                port.boxesShow = boxes;
                const bool ask = prompts && boxes;
                const auto expect = [&](CodeSize nobody) {
                    return ask && nobody != CodeSize::Fits ? CodeSize::Ask : nobody;
                };
                EXPECT_EQ(steps::CodeSizeCheck(port, steps::kQuillcoreSteps, true),
                          expect(c.named));
                EXPECT_EQ(steps::CodeSizeCheck(port, steps::kQuillcoreSteps, false),
                          expect(c.unnamed));
                if (ask) {
                    EXPECT_EQ(steps::CodeSizeCheck(port, steps::kQuillbaySteps, false),
                              c.quillbayAsks ? CodeSize::Ask : CodeSize::Fits);
                }
                EXPECT_TRUE(port.report.empty() && port.boxes.empty())
                    << "the deliverable reports and asks";
            }
        }
    }
}

TEST_F(StepsTest, AFailedBlockStopsTheWriteAndNamesWhereItStarts) {
    for (const Deliverable& d : kBoth) {
        SCOPED_TRACE(d.name);
        Connect("149");
        DefineWholeMain();
        // A main segment well inside the memory: grouped or not, the block
        // that holds it fails.
        const core::MemoryMapInstance& map = core::MemoryMap.active;
        const uint32_t bad = static_cast<uint32_t>(map.deviceMainStart + 0x2000);
        sim::Sim().FailWriteAt(bad);
        RecordingPort port;
        const steps::WriteOutcome out = steps::WriteSegments(port, d.options);
        EXPECT_EQ(out.result, StepResult::Failed);
        EXPECT_TRUE(out.attempted);
        EXPECT_EQ(port.report, "Flash programming ................."
                               "...\t failed\r\n");
        ASSERT_EQ(port.boxes.size(), 1u);
        const auto last = Transfers(0).back();
        char box[96];
        std::snprintf(box, sizeof box,
                      "Error| Flash Write Error !!! \r\n\r\n Segment Address - 0x%4.4X   ",
                      static_cast<unsigned>(last.first));
        EXPECT_EQ(port.boxes[0], box);
        EXPECT_LE(static_cast<uint32_t>(last.first), bad);
        EXPECT_GT(static_cast<uint32_t>(last.first + last.second), bad);
        // Nothing after the failed block was written.
        EXPECT_EQ(sim::Sim().Peek(static_cast<uint32_t>(map.deviceFlashEnd)), 0xFF);
        // A failed write never shows a full bar.
        EXPECT_TRUE(port.bar.empty() || port.bar.back() < 100);
    }
}

TEST_F(StepsTest, TheReadBackFailsOnTheFirstDifferingSegment) {
    for (const Deliverable& d : kBoth) {
        SCOPED_TRACE(d.name);
        Connect("149");
        DefineWholeMain();
        RecordingPort writing;
        ASSERT_EQ(steps::WriteSegments(writing, d.options).result, StepResult::Passed);

        RecordingPort good;
        const steps::VerifyOutcome same = steps::VerifySegments(good, d.options);
        EXPECT_EQ(same.result, StepResult::Passed);
        EXPECT_EQ(good.report, "Verifying Flash Memory ................"
                               "...\t OK\r\n");

        const core::MemoryMapInstance& map = core::MemoryMap.active;
        const int32_t spoiled = map.deviceMainStart + 0x1000 + 3;
        sim::Sim().Poke(static_cast<uint32_t>(spoiled),
                        static_cast<uint8_t>(~sim::Sim().Peek(static_cast<uint32_t>(spoiled))));
        RecordingPort port;
        const steps::VerifyOutcome out = steps::VerifySegments(port, d.options);
        EXPECT_EQ(out.result, StepResult::Failed);
        EXPECT_LE(out.failedAt, spoiled);
        EXPECT_GT(out.failedAt + 512, spoiled);
        std::string want = "Verifying Flash Memory ................"
                           "...\t failed\r\n";
        if (d.options.verifyNamesFailedSegment) {
            char line[64];
            std::snprintf(line, sizeof line, " Verification error - sector addr 0x%4.4X\r\n:",
                          static_cast<unsigned>(out.failedAt));
            want += line;
        }
        EXPECT_EQ(port.report, want);
        EXPECT_TRUE(port.bar.empty() || port.bar.back() < 100);
        // The bar: from 0 where the options say, one update a segment that
        // passed, and Quillcore's for the failed one.
        size_t before = 0;
        for (int32_t k = 0; k < core::SegmentTable.count; ++k) {
            const core::MemorySegment& s = core::SegmentTable.segments[k];
            before += s.needsCheck != 0 && s.start < out.failedAt ? 1 : 0;
        }
        EXPECT_EQ(port.bar.size(), before + (d.options.verifyBarFromZero ? 1 : 0) +
                                       (d.options.verifyCountsOneMore ? 0 : 1));
    }
}

// AUTO PROGRAM erases everything only with "All Memory". On a device whose
// Info-A segment is locked, that erase keeps the segment by itself (unless
// its erase is enabled), as the erase by mode 1 does: either road leaves
// the same flash, so the one rule needs no exception for such a device.
TEST_F(StepsTest, AutoProgramErasesEverythingOnlyWithAllMemoryAndThatKeepsALockedInfoA) {
    for (int32_t mode = 0; mode <= 4; ++mode) {
        core::Settings.FlashEraseModeIndex = mode;
        EXPECT_EQ(steps::AutoProgramEraseScope(),
                  mode == 1 ? steps::EraseScope::All : steps::EraseScope::ByMode)
            << "mode " << mode;
    }
    for (const int32_t eraseInfoA : {0, 1}) {
        for (const steps::EraseScope scope : {steps::EraseScope::All, steps::EraseScope::ByMode}) {
            SCOPED_TRACE(testing::Message()
                         << "EraseInfoA_F2xx_En " << eraseInfoA << ", scope "
                         << (scope == steps::EraseScope::All ? "all" : "by mode"));
            Connect("2274");
            core::Settings.FlashEraseModeIndex = 1;
            core::Settings.EraseInfoA_F2xx_En = eraseInfoA;
            FillFlash(0x00);
            RecordingPort port;
            EXPECT_EQ(steps::Erase(port, steps::kQuillcoreSteps, scope), StepResult::Passed);
            const core::MemoryMapInstance& map = core::MemoryMap.active;
            ASSERT_NE(map.lockedInfoA, 0);
            int32_t lockedSeen = 0;
            for (const core::MemorySegment& s : DeviceSegments()) {
                const bool locked = s.start == map.lockedStart;
                lockedSeen += locked ? 1 : 0;
                EXPECT_TRUE(AllBytes(s.start, s.end, locked && eraseInfoA == 0 ? 0x00 : 0xFF))
                    << std::hex << "segment 0x" << s.start;
            }
            EXPECT_EQ(lockedSeen, 1);
        }
    }
}

TEST_F(StepsTest, BlankCheckTellsTheWholeMemoryFromTheSelectedOne) {
    const std::string whole = "All memory Blank checking..........";
    const std::string selected = "Selected Memory Blank checking.";
    const std::string ok = "...\t OK\r\n";
    const std::string failed = "...\t failed\r\n";
    const struct {
        const char* name;
        uint8_t fill;
        bool dirtyOutsideSelection;
        bool code; // code over the main memory selects it
        steps::BlankOutcome outcome;
        std::string report;
    } cases[] = {
        {"erased", 0xFF, false, true, steps::BlankOutcome::Blank, whole + ok},
        // No code defined: a byte the selection does not cover fails only
        // the whole memory.
        {"outside", 0xFF, true, false, steps::BlankOutcome::SelectedBlank,
         whole + failed + selected + ok},
        // Two rounds, each with the whole and the selected memory.
        {"programmed", 0x00, false, true, steps::BlankOutcome::NotBlank,
         whole + failed + selected + failed + whole + failed + selected + failed},
    };
    for (const Deliverable& d : kBoth) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(d.name) + " " + c.name);
            Connect("149");
            FillFlash(c.fill);
            if (c.code) {
                DefineWholeMain();
            }
            if (c.dirtyOutsideSelection) {
                sim::Sim().Poke(
                    static_cast<uint32_t>(core::MemoryMap.active.deviceMainStart + 0x10), 0x00);
            }
            RecordingPort port;
            EXPECT_EQ(steps::BlankCheck(port, d.options), c.outcome);
            EXPECT_EQ(port.report, c.report);
            EXPECT_EQ(port.bar.size(), d.options.blankBarEachRound
                                           ? (c.outcome == steps::BlankOutcome::NotBlank ? 2u : 1u)
                                           : 0u);
        }
    }
}

TEST_F(StepsTest, DcoConstantsPassOnlyWhenReadAndNeitherErasedNorCleared) {
    const struct {
        const char* name;
        uint8_t word6Low, word6High; // the fourth word of the calibration
        bool readFails;
        StepResult result;
    } cases[] = {
        {"calibrated", 0x8D, 0x86, false, StepResult::Passed},
        {"erased word", 0xFF, 0xFF, false, StepResult::Failed},
        {"cleared word", 0x00, 0x00, false, StepResult::Failed},
        {"half erased is a value", 0xFF, 0x00, false, StepResult::Passed},
        {"unread", 0x8D, 0x86, true, StepResult::Failed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Connect("2274");
        const uint8_t calibrated[8] = {0xB4, 0x8F, 0x9A, 0x8E, 0xC5, 0x87, 0x8D, 0x86};
        for (uint32_t i = 0; i < 8; ++i) {
            sim::Sim().Poke(0x10F8 + i, calibrated[i]);
        }
        sim::Sim().Poke(0x10FE, c.word6Low);
        sim::Sim().Poke(0x10FF, c.word6High);
        if (c.readFails) {
            sim::Sim().FailReadAt(0x10F8);
        }
        RecordingPort port;
        EXPECT_EQ(steps::DcoConstantsCheck(port), c.result);
        EXPECT_EQ(port.report,
                  std::string("DCO constants verification....") +
                      (c.result == StepResult::Passed ? "...\t done\r\n" : "...\t failed\r\n"));
    }
}

TEST_F(StepsTest, IdentificationReportsTheTargetAndOncePerOpenItsFuse) {
    const std::string init = "JTAG communication initialization.";
    const std::string ok = "...\t OK\r\n";
    const std::string failed = "...\t failed\r\n";
    enum class Board { Answers, FuseBlown, Silent, AlreadyIdentified };
    const struct {
        const char* name;
        Board board;
        bool fuseDue;
        StepResult result;
        bool fuseChecked;
        bool fuseBlown;
    } cases[] = {
        {"answers", Board::Answers, true, StepResult::Passed, true, false},
        {"answers, fuse checked already", Board::Answers, false, StepResult::Passed, false, false},
        {"fuse blown", Board::FuseBlown, true, StepResult::FuseBlown, true, true},
        {"silent", Board::Silent, true, StepResult::Failed, true, false},
        {"silent, fuse checked already", Board::Silent, false, StepResult::Failed, false, false},
        {"identified already", Board::AlreadyIdentified, true, StepResult::Passed, false, false},
    };
    for (const Deliverable& d : kBoth) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(d.name) + " " + c.name);
            Connect("149");
            if (c.board != Board::AlreadyIdentified) {
                core::TargetClearIdentified();
            }
            if (c.board == Board::FuseBlown) {
                sim::Sim().SetFuseBlown(true);
            }
            if (c.board == Board::Silent) {
                sim::Sim().FailOperation("MSP430_Identify", 4);
            }
            RecordingPort port;
            const steps::IdentifyOutcome out = steps::IdentifyTarget(port, d.options, c.fuseDue);
            EXPECT_EQ(out.result, c.result);
            EXPECT_EQ(out.fuseChecked, c.fuseChecked);
            EXPECT_EQ(out.fuseBlown, c.fuseBlown);
            std::string want;
            if (c.board != Board::AlreadyIdentified) {
                want = init + (c.board == Board::Answers ? ok : failed);
                if (c.fuseDue) {
                    want +=
                        std::string(d.options.fuseLine) +
                        (c.board == Board::FuseBlown ? "...\t BLOWN\r\n"
                                                     : (c.board == Board::Answers ? ok : failed));
                }
            }
            EXPECT_EQ(port.report, want);
            EXPECT_EQ(port.bar, d.options.identifyBarFromZero && !want.empty()
                                    ? std::vector<int32_t>{0}
                                    : std::vector<int32_t>{});
            EXPECT_TRUE(port.boxes.empty());
        }
    }
}

TEST_F(StepsTest, DeviceCheckStopsOnlyWhereNobodyAgreesToGoOn) {
    const std::string question = "Warning|The target microcontroller type does not match "
                                 "selection:\r\n\r\nSelected microcontroller type: MSP430F149"
                                 "\r\n\r\nTarget microcontroller type:    ";
    using steps::MessageAnswer;
    // What stays in the report of a No: the box is gone once answered.
    const auto mismatch = [] {
        return "The target microcontroller type does not match selection:\r\n"
               "Selected microcontroller type: MSP430F149\r\n"
               "Target microcontroller type:    " +
               core::ConnectedDevice.name + "\r\n";
    };
    // declined: the result of anything but Yes to the question, which
    // stops the run where the options say and fails it elsewhere.
    constexpr StepResult declined = StepResult::Stopped;
    const struct {
        const char* name;
        bool answered, fuseBlown, ask, prompts;
        MessageAnswer answer;
        StepResult result;
        const char* box; // what follows the question's start, or the whole box
        bool mismatchReported;
        const char* report;
    } cases[] = {
        {"the type selected", true, false, false, true, MessageAnswer::None, StepResult::Passed,
         nullptr, false, ""},
        {"another type, yes", true, false, true, true, MessageAnswer::Yes, StepResult::Passed,
         "\r\n\r\nWould you like to continue anyway?", false, ""},
        {"another type, no", true, false, true, true, MessageAnswer::No, declined,
         "\r\n\r\nWould you like to continue anyway?", true, ""},
        {"another type, nobody answers", true, false, true, true, MessageAnswer::None, declined,
         "\r\n\r\nWould you like to continue anyway?", true, ""},
        {"another type, nobody to ask", true, false, true, false, MessageAnswer::None,
         StepResult::Passed, "\r\n", false, ""},
        {"not answering", false, false, false, true, MessageAnswer::None, StepResult::Failed,
         nullptr, false, "  Target Microcontroller is not responding.\r\n"},
        {"fuse blown", false, true, false, true, MessageAnswer::None, StepResult::Failed, nullptr,
         false, ""},
    };
    for (const Deliverable& d : kBoth) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(d.name) + ": " + c.name);
            Connect("149");
            RecordingPort port;
            port.prompts = c.prompts;
            port.answer = c.answer;
            steps::DeviceCheckInput in;
            in.answered = c.answered;
            in.fuseBlown = c.fuseBlown;
            in.askAboutType = c.ask;
            in.selectedType = "MSP430F149";
            StepResult want = c.result;
            if (want == declined && !d.options.mismatchNoStops) {
                want = StepResult::Failed;
            }
            EXPECT_EQ(steps::DeviceCheck(port, d.options, in), want);
            EXPECT_EQ(port.report, c.mismatchReported ? mismatch() : std::string(c.report));
            std::vector<std::string> boxes;
            if (c.ask) {
                boxes.push_back(question + core::ConnectedDevice.name + c.box);
            } else if (c.fuseBlown) {
                boxes.push_back(std::string("Error|") + steps::kFuseBlownBox);
            } else if (!c.answered) {
                boxes.push_back(std::string("Error|") + steps::kNotRespondingBox);
            }
            EXPECT_EQ(port.boxes, boxes);
            EXPECT_EQ(port.found, want == StepResult::Passed
                                      ? std::vector<std::string>{core::ConnectedDevice.name}
                                      : std::vector<std::string>{});
        }
    }
}

// A restore that fails leaves the calibration erased on the board. The
// retried run reads the blank bytes: the calibration taken before the first
// erase goes back only where copies are kept, and only when the operator
// confirms that the board on the fixture is the one they came from. No, or
// nobody to ask, leaves the board as it reads and drops the copies.
TEST_F(StepsTest, ARetriedRunPutsBackTheCalibrationOnlyOnTheSameBoardsYes) {
    const uint8_t calibrated[8] = {0xB4, 0x8F, 0x9A, 0x8E, 0xC5, 0x87, 0x8D, 0x86};
    const std::vector<uint8_t> blank(8, 0xFF);
    const auto board = [] { return sim::Sim().PeekRange(0x10F8, 8); };
    const auto eraseCalibration = [] {
        sim::Sim().PokeRange(0x10F8, std::vector<uint8_t>(8, 0xFF));
    };
    using steps::MessageAnswer;
    const struct {
        const char* name;
        bool prompts;
        MessageAnswer answer;
        bool putBack; // where copies are kept
    } cases[] = {
        {"yes", true, MessageAnswer::Yes, true},
        {"no", true, MessageAnswer::No, false},
        {"nobody answers", true, MessageAnswer::None, false},
        {"nobody to ask", false, MessageAnswer::None, false},
    };
    const std::string question =
        "Warning|The data kept through the erase reads erased on this board\r\n"
        "(wholly or in part):\r\n"
        "    0x10F8 - 0x10FF  DCO calibration data\r\n\r\n"
        "Copies of it were kept from a board whose restore failed\r\n"
        "(read from that board before its erase).\r\n\r\n"
        "Is this the same board?\r\n\r\n"
        "YES        -> write the kept copies to this board.\r\n"
        "NO         -> leave this board's data as it is and drop the copies.";
    for (const Deliverable& d : kBoth) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(d.name) + ": " + c.name);
            Connect("2274");
            core::Settings.RetainInfoCalData = 1;
            sim::Sim().PokeRange(0x10F8, std::vector<uint8_t>(calibrated, calibrated + 8));
            steps::PendingRetained pending;
            RecordingPort port;
            ASSERT_EQ(steps::ReadRetained(port, d.options, pending).result, StepResult::Passed);
            eraseCalibration();
            sim::Sim().FailWriteAt(0x10F8);
            EXPECT_EQ(steps::RestoreRetained(port, d.options, pending), StepResult::Failed);
            EXPECT_EQ(port.report, std::string(d.options.retainReadLine) + "...\t done\r\n" +
                                       steps::kRetain.verifying + "...\t failed\r\n");
            EXPECT_TRUE(port.boxes.empty());
            sim::Sim().ClearFaults();

            RecordingPort retry;
            retry.prompts = c.prompts;
            retry.answer = c.answer;
            ASSERT_EQ(steps::ReadRetained(retry, d.options, pending).result, StepResult::Passed);
            const bool kept = d.options.keepFailedRestoreCopies;
            EXPECT_EQ(retry.boxes, kept && c.prompts ? std::vector<std::string>{question}
                                                     : std::vector<std::string>{});
            eraseCalibration();
            EXPECT_EQ(steps::RestoreRetained(retry, d.options, pending), StepResult::Passed);
            const bool putBack = kept && c.putBack;
            EXPECT_EQ(board(), putBack ? std::vector<uint8_t>(calibrated, calibrated + 8) : blank);
            EXPECT_EQ(retry.report,
                      std::string(d.options.retainReadLine) + "...\t done\r\n" +
                          (putBack ? std::string(steps::kRetain.restoring) + "...\t done\r\n" +
                                         "  Copies kept from the failed restore written back: "
                                         "0x10F8 - 0x10FF\r\n"
                                   : std::string(steps::kRetain.verifying) + "...\t done\r\n"));
            // Passed or declined, nothing is left to stand in next time.
            EXPECT_EQ(pending.dcoPending, 0);
        }
    }
}

// After a restore that failed on board A, what the next board holds in the
// range decides whether anybody is asked: data of its own (board B) is
// neither asked about nor overwritten, and its passed restore drops A's
// copies; A's bytes in part with the rest erased (a restore that wrote some
// runs) is asked about, and Yes puts A's range back whole.
TEST_F(StepsTest, OnlyAnAreaThatLostPartOfTheCopyIsAskedAbout) {
    std::vector<uint8_t> boardA(32);
    std::vector<uint8_t> boardB(32);
    for (size_t i = 0; i < 32; ++i) {
        boardA[i] = static_cast<uint8_t>(0xA0 + i);
        boardB[i] = static_cast<uint8_t>(0x40 + i);
    }
    std::vector<uint8_t> partOfA(32, 0xFF);
    std::copy(boardA.begin(), boardA.begin() + 8, partOfA.begin());
    const struct {
        const char* name;
        std::vector<uint8_t> next; // the range of the board put on next
        bool asked;
        std::vector<uint8_t> after;
    } cases[] = {
        {"data of its own", boardB, false, boardB},
        {"part of the copy, the rest erased", partOfA, true, boardA},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Connect("2274");
        core::Settings.RetainDefinedData = 1;
        core::Settings.RetainDataStart = 0x1000;
        core::Settings.RetainDataStop = 0x101F;
        sim::Sim().PokeRange(0x1000, boardA);
        steps::PendingRetained pending;
        RecordingPort port;
        ASSERT_EQ(steps::ReadRetained(port, steps::kQuillbaySteps, pending).result,
                  StepResult::Passed);
        sim::Sim().PokeRange(0x1000, std::vector<uint8_t>(32, 0xFF));
        sim::Sim().FailWriteAt(0x1000);
        ASSERT_EQ(steps::RestoreRetained(port, steps::kQuillbaySteps, pending), StepResult::Failed);
        sim::Sim().ClearFaults();
        ASSERT_EQ(pending.retainPending, 1);

        sim::Sim().PokeRange(0x1000, c.next);
        RecordingPort next;
        next.answer = steps::MessageAnswer::Yes; // takes the copies where asked
        ASSERT_EQ(steps::ReadRetained(next, steps::kQuillbaySteps, pending).result,
                  StepResult::Passed);
        sim::Sim().PokeRange(0x1000, std::vector<uint8_t>(32, 0xFF));
        EXPECT_EQ(steps::RestoreRetained(next, steps::kQuillbaySteps, pending), StepResult::Passed);
        EXPECT_EQ(next.boxes.size(), c.asked ? 1u : 0u);
        EXPECT_EQ(sim::Sim().PeekRange(0x1000, 32), c.after);
        EXPECT_EQ(pending.retainPending, 0);
    }
}

TEST_F(StepsTest, AnUnreadableKeptAreaFailsWithItsBoxWhereBoxesShow) {
    for (const Deliverable& d : kBoth) {
        for (const bool shows : {true, false}) {
            SCOPED_TRACE(std::string(d.name) + (shows ? " boxes" : " no boxes"));
            Connect("2274");
            core::Settings.RetainInfoCalData = 1;
            sim::Sim().FailReadAt(0x10F8);
            struct Port final : public steps::StepPort {
                void Report(std::string_view text) override { log += text; }
                void Progress(int32_t) override {}
                steps::MessageAnswer Message(const char* caption, const std::string& text,
                                             steps::MessageStyle) override {
                    log += std::string("[") + caption + ":" + text + "]";
                    return steps::MessageAnswer::None;
                }
                bool ShowsBoxes() const override { return shows; }
                std::string log;
                bool shows = true;
            } port;
            port.shows = shows;
            steps::PendingRetained pending;
            const steps::RetainReadOutcome out = steps::ReadRetained(port, d.options, pending);
            EXPECT_EQ(out.result, StepResult::Failed);
            EXPECT_TRUE(out.readError);
            const std::string line = d.options.retainReadLine;
            const std::string box = shows ? "[Error:Read error!!]" : "";
            EXPECT_EQ(port.log, d.options.verdictBeforeReadErrorBox
                                    ? line + "...\t failed\r\n" + box
                                    : line + box + "...\t failed\r\n");
        }
    }
}

TEST_F(StepsTest, AnUnreadBlockIsAskedAboutAndNeverPassesAsDataUnlessTheHostSaidSo) {
    using steps::MessageAnswer;
    const struct {
        const char* name;
        bool fault, shows;
        MessageAnswer answer;
    } cases[] = {
        {"clean", false, true, MessageAnswer::None},
        {"yes", true, true, MessageAnswer::Yes},
        {"no", true, true, MessageAnswer::No},
        {"nobody to ask", true, false, MessageAnswer::None},
    };
    const int32_t bad = 0x8400;
    for (const Deliverable& d : kBoth) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(d.name) + " " + c.name);
            Connect("149");
            sim::Sim().PokeRange(0x8600, {0x12, 0x34});
            core::ReadMaskBuild(1);
            core::ReadImageClear();
            if (c.fault) {
                sim::Sim().FailReadAt(static_cast<uint32_t>(bad), 1);
            }
            struct Port final : public steps::StepPort {
                void Report(std::string_view text) override { log += text; }
                void Progress(int32_t percent) override { bar.push_back(percent); }
                steps::MessageAnswer Message(const char* caption, const std::string& text,
                                             steps::MessageStyle) override {
                    log += std::string("[") + caption + ":" + text + "]";
                    return answer;
                }
                bool ShowsBoxes() const override { return shows; }
                std::string log;
                std::vector<int32_t> bar;
                bool shows = true;
                steps::MessageAnswer answer = steps::MessageAnswer::None;
            } port;
            port.shows = c.shows;
            port.answer = c.answer;
            const StepResult r = steps::ReadMemory(port, d.options);
            const bool goesOn = !c.fault || c.answer == MessageAnswer::Yes;
            const bool passes = !c.fault || (goesOn && !d.options.readGoesOnAsFailed);
            EXPECT_EQ(r, passes ? StepResult::Passed : StepResult::Failed);
            const std::string question =
                c.fault && c.shows ? std::string("[Warning:") + steps::kRead.errorQuestion + "]"
                                   : "";
            EXPECT_EQ(port.log, std::string(steps::kRead.line) + question +
                                    (passes ? "...\t done\r\n" : "...\t failed\r\n"));
            if (goesOn) {
                // The blocks after the unread one are read all the same.
                EXPECT_EQ(core::Images.ReadImage[core::ImageIndex(0x8600)], 0x12);
                EXPECT_NE(core::Images.ReadMask[core::WordIndex(0x8600)], 0);
            }
            if (c.fault && goesOn) {
                EXPECT_EQ(core::Images.ReadMask[core::WordIndex(bad)] != 0,
                          !d.options.readGoesOnAsFailed)
                    << "whether the unread block counts as data";
            }
            if (!d.options.readBarByWords) {
                ASSERT_FALSE(port.bar.empty());
                if (goesOn) {
                    EXPECT_EQ(port.bar.back(), 100);
                    EXPECT_EQ(port.bar.size(), static_cast<size_t>(core::SegmentTable.count));
                }
            }
        }
    }
}

// The supply as the port reads it: each reading takes the next value (the
// last one stays), and the operator's answers in turn.
class SupplyPort final : public steps::StepPort {
public:
    void Report(std::string_view text) override { log += text; }
    void Progress(int32_t) override {}
    steps::MessageAnswer Message(const char* caption, const std::string& text,
                                 steps::MessageStyle) override {
        log += std::string("[") + caption + ":" + text + "]";
        if (answers.empty()) {
            return steps::MessageAnswer::None;
        }
        const steps::MessageAnswer a = answers.front();
        answers.erase(answers.begin());
        return a;
    }
    void SupplyRead() override {
        core::Target.TargetSupplyValue = supplies[std::min(readings, supplies.size() - 1)];
        ++readings;
    }
    void StatusRefresh() override { ++refreshes; }
    bool Prompts() const override { return prompts; }

    std::string log;
    std::vector<int32_t> supplies{0};
    std::vector<steps::MessageAnswer> answers;
    size_t readings = 0;
    size_t refreshes = 0;
    bool prompts = true;
};

TEST_F(StepsTest, TheOpenJudgesTheSupplyOnlyWhereItIsMeasured) {
    using steps::MessageAnswer;
    const std::string turnOn = "[Warning:Turn DC Power ON now.";
    const std::string still = "[Warning:Target's DC Voltage is still below 2.7 V";
    const struct {
        const char* name;
        bool open, powerOn, prompts;
        std::vector<int32_t> supplies; // above or below the minimum, as read
        std::vector<MessageAnswer> answers;
        StepResult quillcore;
        size_t readings;   // Quillcore's
        const char* opens; // the start of each box Quillcore shows, in turn
    } cases[] = {
        {"no adapter", false, true, true, {0}, {}, StepResult::Failed, 0, "[Error:"},
        {"in range at the third reading",
         true,
         true,
         true,
         {0, 0, 1},
         {},
         StepResult::Passed,
         3,
         ""},
        {"low, nobody to ask", true, true, false, {0}, {}, StepResult::LowSupply, 10, ""},
        {"low, the adapter powers it",
         true,
         true,
         true,
         {0},
         {},
         StepResult::Failed,
         10,
         "[Warning:Device is not powered up !"},
        {"low, own supply, cancelled",
         true,
         false,
         true,
         {0},
         {MessageAnswer::Cancel},
         StepResult::Stopped,
         10,
         "T"},
        {"low, own supply, nobody answers",
         true,
         false,
         true,
         {0},
         {},
         StepResult::Stopped,
         10,
         "T"},
        {"own supply on after the second OK",
         true,
         false,
         true,
         {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1},
         {MessageAnswer::Ok, MessageAnswer::Ok},
         StepResult::Passed,
         21,
         "TS"},
    };
    for (const Deliverable& d : kBoth) {
        for (const auto& c : cases) {
            SCOPED_TRACE(std::string(d.name) + " " + c.name);
            Connect("149");
            const int32_t minimum = core::SelectedDevice.vccHigh - 10;
            SupplyPort port;
            port.supplies.clear();
            for (const int32_t above : c.supplies) {
                port.supplies.push_back(above != 0 ? minimum + 1 : minimum);
            }
            port.answers = c.answers;
            port.prompts = c.prompts;
            steps::OpenInput in;
            in.adapterOpen = c.open;
            in.powerOn = c.powerOn;
            const StepResult r = steps::OpenTarget(port, d.options, in);
            if (!c.open) {
                EXPECT_EQ(r, StepResult::Failed);
                EXPECT_EQ(port.log, std::string("[Error:") + d.options.noAdapterBox + "]");
                continue;
            }
            if (!d.options.supplyMeasured) {
                EXPECT_EQ(r, StepResult::Passed);
                EXPECT_EQ(port.readings, 0u);
                EXPECT_EQ(port.log, "");
                continue;
            }
            EXPECT_EQ(r, c.quillcore);
            EXPECT_EQ(port.readings, c.readings);
            EXPECT_EQ(port.refreshes, c.readings);
            const std::string opens = c.opens;
            if (opens == "T" || opens == "TS") {
                ASSERT_EQ(port.log.rfind(turnOn, 0), 0u) << port.log;
                EXPECT_EQ(port.log.find(still) != std::string::npos, opens == "TS") << port.log;
            } else if (!opens.empty()) {
                EXPECT_EQ(port.log.rfind(opens, 0), 0u) << port.log;
            } else if (c.quillcore == StepResult::LowSupply) {
                EXPECT_EQ(port.log, "Error!: Target's DC Voltage is below Vcc min\r\n");
            } else {
                EXPECT_EQ(port.log, "");
            }
        }
    }
}

TEST(FinishVerdict, EachResultHasItsLineAndAnyOtherNumberFails) {
    const struct {
        int32_t code;
        const char* line;
    } cases[] = {
        {1, " -------- D O N E --- ( run time =   1.2 sec.)\r\n"},
        {15, "  ---------- TERMINATED BY USER ------------\r\n"},
        {31, "  ------------ TERMINATED ----------------\r\n"},
        {32, "  ------- TERMINATED - Vcc < 2.7V ---------\r\n"},
        {0, " --------------- FAILED !!! -----------------\r\n"},
        {2, " --------------- FAILED !!! -----------------\r\n"},    // fuse blown
        {0x11, " --------------- FAILED !!! -----------------\r\n"}, // a label read's flags
        {4, " --------------- FAILED !!! -----------------\r\n"},    // a read error
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        RecordingPort port;
        steps::FinishVerdict(port, steps::ResultOf(c.code), 1234.0);
        EXPECT_EQ(port.report, c.line);
    }
}

} // namespace
