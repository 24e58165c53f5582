// The code-size check before every write of Quillcore, against the memory
// the run programs: the board of row 415 identifies as the F41x of the
// identification tables, whose main memory starts at 0xE000, not at the
// row's 0xC000. Asked where somebody can answer; with nobody to ask a write
// goes on (warned) only over code the host was told of when it loaded it,
// and never reports success for a byte it did not write.

#include "api/headless_presenter.h"
#include "api/presenter_choice.h"
#include "platform/scripted_prompts.h"
#include "tests/api/api_fixture.h"
#include "tests/support/device_rows.h"
#include "tests/support/temp_dir.h"

#include <functional>
#include <string>
#include <vector>

namespace api_test {
namespace {

const char kWarning[] = " WARNING!! Code size is exceeding the Target\r\n"
                        "  Microcontroller Flash Memory space.\r\n";
const char kRefused[] = "  Writing procedure terminated ............\t failed\r\n";
const char kQuestion[] = "Code size exceeds the Target Microcontroller Flash Memory space.";
const char kDone[] = " -------- D O N E ---";
const char kFailed[] = " --------------- FAILED !!! -----------------\r\n";
const char kStopped[] = "  ---------- TERMINATED BY USER ------------\r\n";

bool Has(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

class CodeSizeTest : public ApiTest {
protected:
    // The board and the row selected, the adapter powering the target,
    // procedures run directly.
    void Ready(const char* row) {
        ASSERT_EQ(SelectAndInitialize(), 1);
        UseDevice(row);
        ASSERT_EQ(F_SetConfig(2, 1), 1);
        ASSERT_EQ(F_SetConfig(30, 2), 1);
        TakeReport();
    }
    // A TI-TXT file of two bytes at each address.
    int32_t ReadFile(const std::vector<uint32_t>& at) {
        std::string text;
        for (const uint32_t a : at) {
            char line[32];
            std::snprintf(line, sizeof line, "@%04X\n12 34\n", static_cast<unsigned>(a));
            text += line;
        }
        testsupport::WriteFile(dir.File("code.txt"), text + "q\n");
        const int32_t r = F_ReadCodeFile(1, dir.File("code.txt").c_str());
        TakeReport();
        return r;
    }
    static void PutBytes(const std::vector<uint32_t>& at) {
        for (const uint32_t a : at) {
            F_Put_Byte_to_Code_Buffer(static_cast<int32_t>(a), 0x12);
            F_Put_Byte_to_Code_Buffer(static_cast<int32_t>(a + 1), 0x34);
        }
    }
    static bool Written(uint32_t a) {
        return sim::Sim().Peek(a) == 0x12 && sim::Sim().Peek(a + 1) == 0x34;
    }
    static bool Erased(uint32_t a) {
        return sim::Sim().Peek(a) == 0xFF && sim::Sim().Peek(a + 1) == 0xFF;
    }
    // A fresh library for the next case of a table.
    void Again() {
        LibraryDown();
        LibraryUp(dir.path().string());
        platform::SetClockSource(&clock);
    }
};

// Nobody to ask, on an F149 whose row and identification agree: code past
// its flash goes on warned when the host's read of the file answered 0x40
// for it, and fails otherwise.
TEST_F(CodeSizeTest, NobodyToAskGoesOnOnlyOverCodeTheLoadNamed) {
    const std::vector<uint32_t> code = {0x1100, 0x10000};
    struct Case {
        const char* how;
        std::function<void()> load;
        bool goesOn;
    };
    const Case cases[] = {
        {"read from a file that answered 0x41", [&] { EXPECT_EQ(ReadFile(code), 0x41); }, true},
        {"the same, then a byte put into the buffer",
         [&] {
             EXPECT_EQ(ReadFile(code), 0x41);
             PutBytes({0x1200});
         },
         true},
        {"put into the buffer, never named",
         [&] {
             F_Clr_Code_Buffer();
             PutBytes(code);
         },
         false},
        {"read with 0x41, then cleared and put again",
         [&] {
             EXPECT_EQ(ReadFile(code), 0x41);
             F_Clr_Code_Buffer();
             PutBytes(code);
         },
         false},
        {"read with 0x41 for another row selected",
         [&] {
             const auto row = [](const char* name) {
                 return static_cast<uint32_t>(testsupport::DeviceRowNamed(name));
             };
             ASSERT_EQ(F_SetConfig(1, row("148")), 1);
             EXPECT_EQ(ReadFile(code), 0x41);
             ASSERT_EQ(F_SetConfig(1, row("149")), 1);
         },
         false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        Ready("149");
        c.load();
        const int32_t result = F_AutoProgram(0);
        const std::string report = TakeReport();
        EXPECT_TRUE(Has(report, kWarning)) << report;
        if (c.goesOn) {
            EXPECT_EQ(result, 1) << report;
            EXPECT_TRUE(Has(report, kDone)) << report;
            EXPECT_TRUE(Written(0x1100));
        } else {
            EXPECT_EQ(result, 0) << report;
            EXPECT_TRUE(Has(report, kRefused)) << report;
            EXPECT_TRUE(Has(report, kFailed)) << report;
            EXPECT_FALSE(Has(report, "Flash programming")) << report;
            EXPECT_TRUE(Erased(0x1100));
        }
        Again();
    }
}

// Code the row has flash for but the target does not: refused with nobody
// to ask, however it came, by AUTO PROGRAM and the single write alike.
TEST_F(CodeSizeTest, CodeBelowTheTargetsMemoryFailsEveryWriteWithNobodyToAsk) {
    const std::vector<uint32_t> code = {0xC000, 0xE000};
    for (const bool auto_ : {true, false}) {
        SCOPED_TRACE(auto_ ? "AUTO PROGRAM" : "F_Memory_Write");
        Ready("415");
        ASSERT_EQ(ReadFile(code), 1) << "the code fits the row";
        const int32_t result = auto_ ? F_AutoProgram(0) : F_Memory_Write(0);
        const std::string report = TakeReport();
        EXPECT_EQ(result, 0) << report;
        EXPECT_TRUE(Has(report, std::string(kWarning) + kRefused)) << report;
        EXPECT_TRUE(Has(report, kFailed)) << report;
        EXPECT_FALSE(Has(report, kDone)) << report;
        EXPECT_TRUE(Erased(0xC000));
        EXPECT_TRUE(Erased(0xE000)) << "nothing is written";
        Again();
    }
}

// In the progress dialog with prompts the host's operator is asked: No
// stops without writing, Yes writes what the target has memory for and says
// so; without prompts the write is refused as when run directly.
TEST_F(CodeSizeTest, TheDialogAsksWithPromptsAndRefusesWithout) {
    struct Case {
        const char* what;
        uint32_t mode; // index 30
        int answer;
        int32_t result;
    };
    const Case cases[] = {
        {"No", 1, platform::IDNO, 15},
        {"Yes", 1, platform::IDYES, 1},
        {"never asks", 0, platform::IDYES, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Ready("415");
        ASSERT_EQ(ReadFile({0xC000, 0xE000}), 1);
        platform::ScriptedPrompts boxes;
        api::ScriptedPresenter window{boxes};
        api::ProgressPresenterInstall(&window);
        ASSERT_EQ(F_SetConfig(30, c.mode), 1);
        boxes.Answer(c.answer);
        const int32_t result = F_AutoProgram(0);
        api::ProgressPresenterInstall(nullptr);
        const std::string report = TakeReport();
        EXPECT_EQ(result, c.result) << report;
        const bool asked = !boxes.Transcript().empty();
        EXPECT_EQ(asked, c.mode == 1);
        if (asked) {
            ASSERT_EQ(boxes.Transcript().size(), 1u);
            EXPECT_EQ(boxes.Transcript()[0].caption, "Error");
            EXPECT_TRUE(Has(boxes.Transcript()[0].text, kQuestion));
        }
        EXPECT_TRUE(Erased(0xC000));
        if (c.result == 1) {
            EXPECT_TRUE(Has(report, std::string("  Writing procedure continue anyway.\r\n") +
                                        kWarning + "Flash programming"))
                << report;
            EXPECT_TRUE(Has(report, kDone)) << report;
            EXPECT_TRUE(Written(0xE000));
        } else {
            EXPECT_TRUE(Has(report, kRefused)) << report;
            EXPECT_TRUE(Has(report, c.result == 15 ? kStopped : kFailed)) << report;
            EXPECT_TRUE(Erased(0xE000));
        }
        Again();
    }
}

// The direct writes check the range against the same memory: a block below
// the target's main memory fails and leaves the board as it was.
TEST_F(CodeSizeTest, DirectWritesRefuseWhatTheTargetHasNoMemoryFor) {
    Ready("415");
    ASSERT_EQ(F_Open_Target_Device(), 1) << TakeReport();
    TakeReport();
    uint8_t data[32];
    for (size_t i = 0; i < sizeof data; i += 2) {
        data[i] = 0x12;
        data[i + 1] = 0x34;
    }
    const std::string failed = "Writing data to memory ................\t failed\r\n";
    EXPECT_EQ(F_Memory_Write_Data(0xC000, 16, data), 0);
    EXPECT_EQ(TakeReport(), failed);
    for (int32_t i = 0; i < 16; ++i) {
        F_Put_Byte_to_Buffer(0xC010 + i, data[i]);
    }
    EXPECT_EQ(F_Copy_Buffer_to_Flash(0xC010, 16), 0);
    EXPECT_EQ(TakeReport(), failed);
    // A write that starts below fails as a whole; its blocks in the
    // target's memory are written all the same, as every block is.
    EXPECT_EQ(F_Memory_Write_Data(0xDFF0, 32, data), 0);
    EXPECT_EQ(TakeReport(), failed);
    for (const uint32_t a : {0xC000u, 0xC010u, 0xDFF0u}) {
        EXPECT_TRUE(Erased(a)) << std::hex << a;
    }
    EXPECT_TRUE(Written(0xE000));
    EXPECT_EQ(F_Memory_Write_Data(0xE100, 16, data), 1);
    EXPECT_EQ(TakeReport(), "Writing data to memory ................\t done\r\n");
    EXPECT_TRUE(Written(0xE100));
    F_Close_Target_Device();
}

} // namespace
} // namespace api_test
