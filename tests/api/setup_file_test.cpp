// The library's setup reader: its key tables, the clamping, the prefix
// keys, and the code and password files a "config.ini" names.

#include "api/lib_setup_keys.h"
#include "core/passwords.h"
#include "core/settings.h"
#include "tests/api/api_fixture.h"

namespace api_test {
namespace {

class SetupFileTest : public ApiTest {
protected:
    // Loads a setup file holding text through F_ConfigFileLoad.
    int32_t Load(const std::string& text) {
        const std::string path = dir.File("setup.cfg");
        testsupport::WriteFile(path, text);
        return F_ConfigFileLoad(path.c_str());
    }
};

TEST_F(SetupFileTest, TablesHaveTheLibrarysRows) {
    int32_t ints = 0;
    while (api::LibIntKeyTable[ints].variable != nullptr) {
        ++ints;
    }
    int32_t hexes = 0;
    while (api::LibHexKeyTable[hexes].variable != nullptr) {
        ++hexes;
    }
    EXPECT_EQ(ints, 47);
    EXPECT_EQ(hexes, 11);
    EXPECT_STREQ(api::LibIntKeyTable[14].name, "Interface");
    EXPECT_STREQ(api::LibHexKeyTable[10].name, "DCO_base_address");
}

TEST_F(SetupFileTest, LinesAreClampedMatchedByPrefixAndNeedTheirHexPrefix) {
    struct Case {
        const char* line;
        int32_t* variable;
        int32_t expected;
    };
    core::SettingsState& s = core::Settings;
    const Case cases[] = {
        {"FlashEraseModeIndex 9", &s.FlashEraseModeIndex, 4},
        {"FlashEraseModeIndex -3", &s.FlashEraseModeIndex, 0},
        {"flasherasemodeindex 3", &s.FlashEraseModeIndex, 3},
        {"EraseFlashStart 0X0800", &s.EraseFlashStart, 0x1100},
        {"EraseFlashStart 0x2000", &s.EraseFlashStart, 0x2000},
        {"ReadStartAddr 0x1000", &s.ReadStartAddr, 0x1100},
        {"ReadStopAddr 0xFFFFFFFFFF", &s.ReadStopAddr, 0x45BFF},
        {"SN_increment 5", &s.SN_increment, 1},
        {"SN_increment 0x5", &s.SN_increment, 5},
        {"InterfaceTypeXYZ 1", &s.InterfaceType, 1},
        {"VccIndex 12", &s.VccIndex, 7},
        {"EraseFlashSegmA 1", &s.EraseInfoSegmB, 1},
        {"DCO_base_address 0x10C0", &api::LibSettings.DCO_base_address, 0x10C0},
        {"DCO_base_address 0x200", &api::LibSettings.DCO_base_address, 0x1000},
        {"Starting_SN 0x5F5E0FF", &s.Starting_SN, 99999999},
    };
    ASSERT_EQ(F_Initialization(), 4); // the device table and the key maxima
    for (const Case& c : cases) {
        api::LibKeysDefault();
        ASSERT_EQ(Load(std::string(c.line) + "\r\n"), 1) << c.line;
        EXPECT_EQ(*c.variable, c.expected) << c.line;
    }
    ASSERT_EQ(Load("SelectedProcessorIndex 100000\r\n"), 1);
    EXPECT_EQ(core::Settings.SelectedProcessorIndex, api::LibSettings.DeviceCount);
    EXPECT_GT(api::LibSettings.DeviceCount, 100);
    // Before any file sets it, the read start stays at its default below the minimum.
    api::LibKeysDefault();
    EXPECT_EQ(core::Settings.ReadStartAddr, 0x1000);
}

TEST_F(SetupFileTest, InterfaceIsDerivedOnceAfterTheFile) {
    ASSERT_EQ(Load("InterfaceType 2\r\n"), 1);
    EXPECT_EQ(F_GetConfig(0), 3u);
    ASSERT_EQ(Load("InterfaceType 0\r\nUnknownKey 5\r\n"), 1);
    EXPECT_EQ(F_GetConfig(0), 0u);
}

TEST_F(SetupFileTest, ALoadDiscardsCodeAndPasswordAndAMissingFileStillClamps) {
    ASSERT_EQ(F_Put_Byte_to_Code_Buffer(0x2000, 1), 1);
    ASSERT_EQ(F_Put_Byte_to_Password_Buffer(0xFFE0, 1), 1);
    ASSERT_EQ(Load("BSL_Password 00112233\r\n"), 1);
    EXPECT_EQ(core::Images.CodeImageHasData, 0);
    EXPECT_EQ(F_Get_Byte_from_Password_Buffer(0xFFE0), 0x00);
    EXPECT_EQ(F_Get_Byte_from_Password_Buffer(0xFFE3), 0x33);
    EXPECT_EQ(F_Get_Byte_from_Password_Buffer(0xFFE4), -1);

    TakeReport();
    core::Settings.EraseFlashStart = 0x10;
    const std::string missing = dir.File("none.cfg");
    EXPECT_EQ(F_ConfigFileLoad(missing.c_str()), 8);
    EXPECT_EQ(TakeReport(), "Setup File Open error\r\n " + missing + "\r\n");
    EXPECT_EQ(core::Settings.EraseFlashStart, 0x1100);
    // A host that names no file gets the same line, and the same clamp.
    core::Settings.EraseFlashStart = 0x10;
    EXPECT_EQ(F_ConfigFileLoad(nullptr), 8);
    EXPECT_EQ(TakeReport(), "Setup File Open error\r\n (null)\r\n");
    EXPECT_EQ(core::Settings.EraseFlashStart, 0x1100);
}

TEST_F(SetupFileTest, ConfigIniLoadsTheFilesItNamesAndAHostLoadDoesNot) {
    // Mixed case in the directory and names: the reader keeps the case.
    const std::string sub = dir.File("Codes");
    std::filesystem::create_directory(sub);
    const std::string code = sub + "/Blink.TXT";
    testsupport::WriteFile(code, "@2000\r\nAA BB\r\nq\r\n");
    std::string password_text = "@FFE2\r\n";
    for (int i = 0; i < 30; ++i) {
        password_text += "11 ";
    }
    password_text += "\r\nq\r\n";
    const std::string password = sub + "/Pass.txt";
    testsupport::WriteFile(password, password_text);
    const std::string lines = "CodeFileName\t\tTXT   Blink.TXT   " + code +
                              "\r\nPasswFileName\t\ttxt   Pass.txt   " + password +
                              "\r\nVccIndex 3\r\n";
    testsupport::WriteFile(dir.File("config.ini"), lines);

    ASSERT_EQ(F_Initialization(), 4);
    EXPECT_EQ(F_Get_Byte_from_Code_Buffer(0x2001), 0xBB);
    EXPECT_EQ(core::Images.CodeImageHasData, 1);
    EXPECT_EQ(api::LibSettings.PasswordLoaded, 1);
    EXPECT_EQ(core::Settings.VccIndex, 3);
    const std::string report = TakeReport();
    EXPECT_NE(report.find("Reading Code File ...........................\t done\r\n"),
              std::string::npos)
        << report;

    // F_ConfigFileLoad reads the same lines with flags 0: no file is loaded,
    // and the code is gone.
    EXPECT_EQ(F_ConfigFileLoad(dir.File("config.ini").c_str()), 1);
    EXPECT_EQ(core::Images.CodeImageHasData, 0);
    EXPECT_EQ(F_Get_Byte_from_Code_Buffer(0x2001), -1);
}

TEST_F(SetupFileTest, ANamedOutFileIsNoValidCodeFile) {
    const std::string code = dir.File("prog.out");
    testsupport::WriteFile(code, "anything");
    testsupport::WriteFile(dir.File("config.ini"), "CodeFileName out prog.out " + code + "\r\n");
    ASSERT_EQ(F_Initialization(), 4);
    EXPECT_NE(TakeReport().find("   This in not a valid Code File\r\n"), std::string::npos);
    EXPECT_EQ(core::Images.CodeImageHasData, 0);
}

} // namespace
} // namespace api_test
