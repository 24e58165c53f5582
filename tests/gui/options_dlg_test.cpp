// "Memory Options" headless: the checks of OK with their messages, what OK
// stores and what a failure or Cancel leaves, the segment captions and the
// enabling by device and mode.

#include "gui/main_actions.h"
#include "gui/options_dlg.h"
#include "tests/gui/dialogs_fixture.h"

namespace guitest {
namespace {

// A box text as the transcript shows it.
std::string Shown(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    return out;
}

std::vector<int32_t> Edited() {
    const core::SettingsState& s = core::Settings;
    return {
        s.FlashEraseModeIndex, s.EraseInfoSegmA,    s.EraseInfoSegmB,        s.EraseInfoSegmC,
        s.EraseInfoSegmD,      s.EraseDefMainMemEn, s.EraseFlashStart,       s.EraseFlashStop,
        s.EraseInfoA_F2xx_En,  s.VerifyModeIndex,   s.FlashReadModeIndex,    s.ReadInfoSegmA,
        s.ReadInfoSegmB,       s.ReadInfoSegmC,     s.ReadInfoSegmD,         s.ReadDefMainMemEn,
        s.ReadStartAddr,       s.ReadStopAddr,      s.RetainInfoCalData,     s.RetainDefinedData,
        s.RetainDataStart,     s.RetainDataStop,    s.CheckDCOconstants_F2xx};
}

const char kCorrect[] = "Please correct the address.";
const std::string kEraseHeader = "'Memory Erase / Write Address Range' error!!\r\n\r\n";
const std::string kReadHeader = "'Read Address Range' error!!\r\n\r\n";
const std::string kRetainHeader = "'Retain Address Range' error!!\r\n\r\n";
const std::string kInfoCD = "The INFO Segment 'C' or 'D' has been selected!!\r\n\r\n"
                            "In the selected microcontroller these segments are undefined.\r\n\r\n"
                            "Please correct the INFO Segments selection.";

struct OkCase {
    const char* what;
    const char* device;
    std::vector<int> clicks; // before the typing
    std::vector<std::pair<int, std::string>> typed;
    std::string message; // "" when OK stores
};

void Operate(ui::Driver& d, const OkCase& c) {
    for (int id : c.clicks) {
        d.Click(id);
    }
    for (const auto& [id, text] : c.typed) {
        d.Type(id, text);
    }
}

class OptionsDlgTest : public DialogTest {};

TEST_F(OptionsDlgTest, OkChecksInOrderAndAFailureStoresNothing) {
    const std::vector<int> eraseRange = {1079, 1044};
    const std::vector<int> readRange = {1103, 1045};
    auto erase = [](const char* a, const char* b) {
        return std::vector<std::pair<int, std::string>>{{1018, a}, {1019, b}};
    };
    auto read = [](const char* a, const char* b) {
        return std::vector<std::pair<int, std::string>>{{1020, a}, {1021, b}};
    };
    auto retain = [](const char* a, const char* b) {
        return std::vector<std::pair<int, std::string>>{{1234, a}, {1235, b}};
    };
    const std::vector<OkCase> cases = {
        {"erase start odd", "149", eraseRange, erase("0x1101", "0x2001"),
         kEraseHeader + "'Main Memory Start Address' must be even.\r\n\r\n" + kCorrect},
        {"erase start below 0x1100", "149", eraseRange, erase("0x1000", "0x2001"),
         kEraseHeader + "'Main Memory Start Address' must be higher then 0x1000.\r\n\r\n" +
             kCorrect},
        {"erase start above 0x45BFE", "149", eraseRange, erase("0x45C00", "0x45C01"),
         kEraseHeader + "'Main Memory Start Address' must be lower then 0xFFFF.\r\n\r\n" +
             kCorrect},
        {"erase stop even (start = stop = 0x1100)", "149", eraseRange, erase("0x1100", "0x1100"),
         kEraseHeader + "'Main Memory Stop Address' cannot be even.\r\n\r\n" + kCorrect},
        {"erase stop below 0x1101", "149", eraseRange, erase("0x1100", "0x1001"),
         kEraseHeader + "'Main Memory Stop Address' must be higher then 0x1001.\r\n\r\n" +
             kCorrect},
        {"erase stop above 0x45BFF", "149", eraseRange, erase("0x1100", "0x45C01"),
         kEraseHeader + "'Main Memory Stop Address' cannot be higher then 0xFFFF.\r\n\r\n" +
             kCorrect},
        {"erase stop not above start", "149", eraseRange, erase("0x2000", "0x1FFF"),
         kEraseHeader +
             "'Main Memory Stop Address' must be higher then Memory Start Address.\r\n\r\n" +
             kCorrect},
        {"read stop above 0x45BFF names 0x1FFFF", "149", readRange, read("0x1100", "0x45C01"),
         kReadHeader + "'Main Memory Stop Address' cannot be higher then 0x1FFFF.\r\n\r\n" +
             kCorrect},
        {"read start odd", "149", readRange, read("0x1101", "0x2001"),
         kReadHeader + "'Main Memory Start Address' must be even.\r\n\r\n" + kCorrect},
        {"retain start below 0x1000",
         "149",
         {1233},
         retain("0x0FFF", "0x1000"),
         kRetainHeader + "'Ratain Memory Start Address' must be higher then 0x1000.\r\n\r\n" +
             kCorrect},
        {"retain stop above 0x45BFF",
         "149",
         {1233},
         retain("0x45B00", "0x45C00"),
         kRetainHeader + "'Retain Memory Stop Address' cannot be higher then 0x1FFFF.\r\n\r\n" +
             kCorrect},
        {"retain stop below its start",
         "149",
         {1233},
         retain("0x1100", "0x10FF"),
         kRetainHeader +
             "'Retain Memory Stop Address' cannot be lower then Memory Start Address.\r\n\r\n" +
             kCorrect},
        {"retain 257 bytes",
         "149",
         {1233},
         retain("0x1000", "0x1100"),
         std::string("Retain block size error!!\r\n\r\n'Max block size = 256 (0x100).\r\n\r\n") +
             kCorrect},
        {"erase segment C on F149", "149", {1079, 1040}, {}, kInfoCD},
        {"read segment D on F149", "149", {1103, 1043}, {}, kInfoCD},
        // The checks of a group that is not chosen do not run.
        {"an odd erase range without user-defined erase",
         "149",
         {1044},
         erase("0x1101", "0x1101"),
         ""},
    };
    for (const OkCase& c : cases) {
        SCOPED_TRACE(c.what);
        core::Settings.Reset();
        Select(c.device);
        const std::vector<int32_t> before = Edited();
        ui::TranscriptClear();
        ui::TestSession session;
        session.OnDialog(185, [&](ui::Driver& d) {
            Operate(d, c);
            d.Click(11);
            if (!c.message.empty()) {
                EXPECT_TRUE(d.Target().IsOpen()); // the dialog stays for the correction
                d.Click(1080);
            }
        });
        gui::OptionsDlg dialog;
        const int code = dialog.DoModal();
        if (c.message.empty()) {
            EXPECT_EQ(code, ui::IDOK);
            EXPECT_FALSE(ui::TranscriptHas("box ")) << ui::TranscriptText();
        } else {
            EXPECT_EQ(code, ui::IDCANCEL);
            EXPECT_EQ(LinesWith({"box "}),
                      std::vector<std::string>{"box [Warning] \"" + Shown(c.message) +
                                               "\" flags 0x30 -> IDOK (unattended)"});
            EXPECT_EQ(Edited(), before);
        }
    }
}

TEST_F(OptionsDlgTest, OkStoresEveryValue) {
    struct Stored {
        const char* what;
        const char* device;
        std::vector<int> clicks;
        std::vector<std::pair<int, std::string>> typed;
        std::vector<int32_t> expected;
    };
    const std::vector<Stored> cases = {
        {"user-defined erase with segments C and D on F2274, ranges, retain 256 bytes",
         "2274",
         {1079, 1040, 1041, 1044, 1073, 1103, 1036, 1045, 1233},
         {{1018, "0x2000"},
          {1019, "0x21FF"},
          {1020, "0x1100"},
          {1021, "0x1FFFF"},
          {1234, "0x1000"},
          {1235, "0x10FF"}},
         {4, 0, 0, 1, 1,      1,       0x2000, 0x21FF, 0,      1,      3, 1,
          0, 0, 0, 1, 0x1100, 0x1FFFF, 0,      1,      0x1000, 0x10FF, 0}},
        {"erase everything with the locked Info-A, no verify, read info only",
         "2274",
         {1076, 1268, 1072, 1104, 1232, 1267},
         {},
         {1, 0, 0, 0, 0, 0, 0x1100, 0x1100, 1, 0, 2, 0, 0, 0, 0, 0, 0x1100, 0x1100, 1, 0, 0, 0, 1}},
    };
    for (const Stored& c : cases) {
        SCOPED_TRACE(c.what);
        core::Settings.Reset();
        // Ranges that normalising takes to 0x1100.
        core::Settings.EraseFlashStart = core::Settings.EraseFlashStop = 0;
        core::Settings.ReadStartAddr = core::Settings.ReadStopAddr = 0;
        core::Settings.RetainDataStart = core::Settings.RetainDataStop = 0;
        core::Settings.RetainInfoCalData = core::Settings.CheckDCOconstants_F2xx = 0;
        core::Settings.EraseInfoA_F2xx_En = core::Settings.RetainDefinedData = 0;
        Select(c.device);
        ui::TestSession session;
        session.OnDialog(185, [&](ui::Driver& d) {
            for (int id : c.clicks) {
                d.Click(id);
            }
            for (const auto& [id, text] : c.typed) {
                d.Type(id, text);
            }
            d.Click(11);
        });
        gui::OnMemoryOptions(); // the main window's menu 194
        EXPECT_TRUE(ui::TranscriptHas("[185] end 1"));
        EXPECT_EQ(Edited(), c.expected);
    }
}

TEST_F(OptionsDlgTest, CaptionsNormalisingAndEnabling) {
    struct Device {
        const char* name;
        std::vector<std::string> captions; // A, B, C, D
        bool f2xx;
    };
    const std::vector<Device> devices = {
        {"149", {" - A  [0x1080 - 0x10FF]", " - B  [0x1000 - 0x107F]", "", ""}, false},
        {"2274",
         {" - A  [0x10C0 - 0x10FF]", " - B  [0x1080 - 0x10BF]", " - C  [0x1040 - 0x107F]",
          " - D  [0x1000 - 0x103F]"},
         true},
    };
    for (const Device& dev : devices) {
        SCOPED_TRACE(dev.name);
        core::Settings.Reset();
        core::Settings.FlashEraseModeIndex = 0;
        core::Settings.FlashReadModeIndex = 3;
        core::Settings.ReadDefMainMemEn = 1;
        core::Settings.ReadStartAddr = 0x3000;
        core::Settings.ReadStopAddr = 0x2000; // below its start
        core::Settings.EraseFlashStart = 0x50000;
        Select(dev.name);
        const std::vector<int32_t> before = Edited();
        ui::TestSession session;
        session.OnDialog(185, [&](ui::Driver& d) {
            ui::Dialog& w = d.Target();
            for (int k = 0; k < 4; ++k) {
                EXPECT_EQ(w.GetItemText(1200 + k), dev.captions[static_cast<size_t>(k)]);
                EXPECT_EQ(w.GetItemText(1204 + k), dev.captions[static_cast<size_t>(k)]);
            }
            EXPECT_EQ(w.GetItemText(1107), core::SelectedDevice.name);
            EXPECT_EQ(w.IsItemEnabled(1232), dev.f2xx);
            EXPECT_EQ(w.IsItemEnabled(1267), dev.f2xx);
            // Shown normalised on opening.
            EXPECT_EQ(w.GetItemText(1020), "0x3000");
            EXPECT_EQ(w.GetItemText(1021), "0x3000");
            EXPECT_EQ(w.GetItemText(1018), "0x45BFF");
            // Erase mode 0: no segment checks, no range; read mode 3 with its range.
            EXPECT_FALSE(w.IsItemEnabled(1038));
            EXPECT_FALSE(w.IsItemEnabled(1018));
            EXPECT_FALSE(w.IsItemEnabled(1268));
            EXPECT_TRUE(w.IsItemEnabled(1036));
            EXPECT_TRUE(w.IsItemEnabled(1021));
            EXPECT_FALSE(w.IsItemEnabled(1234));
            d.Click(1076);
            EXPECT_EQ(w.IsItemEnabled(1268), dev.f2xx); // a locked Info-A only on the F2xx
            d.Click(1079);
            EXPECT_TRUE(w.IsItemEnabled(1041));
            EXPECT_FALSE(w.IsItemEnabled(1018)); // 1044 is off
            d.Click(1044);
            EXPECT_TRUE(w.IsItemEnabled(1018));
            d.Click(1233);
            EXPECT_TRUE(w.IsItemEnabled(1235));
            // A typed stop below its start is shown as the start after the next click.
            d.Type(1021, "0x2000");
            EXPECT_EQ(w.GetItemText(1021), "0x2000");
            d.Click(1101);
            EXPECT_EQ(w.GetItemText(1021), "0x3000");
            EXPECT_FALSE(w.IsItemEnabled(1021));
            d.Click(1080);
        });
        gui::OptionsDlg dialog;
        EXPECT_EQ(dialog.DoModal(), ui::IDCANCEL);
        EXPECT_EQ(Edited(), before); // Cancel stores nothing
    }
}

} // namespace
} // namespace guitest
