// Setup files: the exact layout, the round trip of every key, the recent
// setups and the code-file line, and the failures the operator sees.

#include "core/code_file_names.h"
#include "core/passwords.h"
#include "core/serial_data.h"
#include "core/setup_file.h"
#include "core/setup_keys.h"
#include "platform/atomic_file.h"
#include "tests/writers/writers_fixture.h"

#include <cstring>
#include <random>
#include <string>

namespace setup_test {
namespace {

using namespace core;
using testsupport::ReadFile;
using testsupport::WriteFile;
using writers_test::Put;

class SetupFileTest : public writers_test::WritersTest {};

bool FailBeforeRename(const std::string&, const std::string&) {
    return false;
}

const char kKeyLines[] = "SelectedProcessorIndex\t\t138 \r\n"
                         "PowerFromPODEnable\t\t  0 \r\n"
                         "FlashEraseModeIndex\t\t  1 \r\n"
                         "EraseInfoSegmA\t\t  0 \r\n"
                         "EraseInfoSegmB\t\t  0 \r\n"
                         "EraseInfoSegmC\t\t  0 \r\n"
                         "EraseInfoSegmD\t\t  0 \r\n"
                         "EraseFlashSegmA\t\t  0 \r\n"
                         "EraseFlashSegmB\t\t  0 \r\n"
                         "EraseInfoA_F2xx_En\t\t  0 \r\n"
                         "ResetModeIndex\t\t  0 \r\n"
                         "CommPortIndex\t\t  0 \r\n"
                         "AdapterIndex\t\t  0 \r\n"
                         "InterfaceType\t\t  0 \r\n"
                         "ReportHistory\t\t  1 \r\n"
                         "CheckDCOconstants_F2xx\t\t  1 \r\n"
                         "RetainInfoCalData\t\t  1 \r\n"
                         "RetainDefinedData\t\t  0 \r\n"
                         "FlashReadModeIndex\t\t  0 \r\n"
                         "ReadInfoSegmA\t\t  0 \r\n"
                         "ReadInfoSegmB\t\t  0 \r\n"
                         "ReadInfoSegmC\t\t  0 \r\n"
                         "ReadInfoSegmD\t\t  0 \r\n"
                         "ReadFlashSegmA\t\t  0 \r\n"
                         "ReadFlashSegmB\t\t  0 \r\n"
                         "ReadDefMainMemEn\t\t  0 \r\n"
                         "EraseDefMainMemEn\t\t  0 \r\n"
                         "VerifyModeIndex\t\t  2 \r\n"
                         "SerializationEnable\t\t  1 \r\n"
                         "SNDispFormatIndex\t\t  7 \r\n"
                         "SNMemFormatIndex\t\t  1 \r\n"
                         "ModelTextEnable\t\t  0 \r\n"
                         "ModelTextSize\t\t  2 \r\n"
                         "BlowFuseEnable\t\t  0 \r\n"
                         "ApplicationStartEnable\t\t  0 \r\n"
                         "SNInfoMode\t\t  0 \r\n"
                         "SNExistWarnEn\t\t  1 \r\n"
                         "RemoveCodefromSNlocationEn\t\t  0 \r\n"
                         "CodeFileReload\t\t  0 \r\n"
                         "Custom_SN_size\t\t256 \r\n"
                         "BarCodeReaderEnable\t\t  0 \r\n"
                         "BarCodeAutoStartEnable\t\t  0 \r\n"
                         "PostAmbleIndex\t\t100 \r\n"
                         "VccIndex\t\t  5 \r\n"
                         "BSLEnhSecurityEn\t\t  0 \r\n"
                         "BSLEnhSecurityIndex\t\t  0 \r\n"
                         "BSLAppendPasswordEn\t\t  0 \r\n"
                         "DispSkipBlankLines\t\t  1 \r\n"
                         "EraseFlashStart\t\t0x1100 \r\n"
                         "EraseFlashStop\t\t0x45BFF \r\n"
                         "RetainDataStart\t\t0x1000 \r\n"
                         "RetainDataStop\t\t0x1000 \r\n"
                         "ReadStartAddr\t\t0x1000 \r\n"
                         "ReadStopAddr\t\t0x45BFF \r\n"
                         "SNStartAddress\t\t0x1000 \r\n"
                         "ModelTextStartAddr\t\t0x1000 \r\n"
                         "Starting_SN\t\t0x5F5E0FF \r\n"
                         "SN_increment\t\t0x0001 \r\n";

void LayoutSettings() {
    Settings.SelectedProcessorIndex = 138;
    Settings.SerializationEnable = 1;
    Settings.SNDispFormatIndex = 7;
    Settings.PostAmbleIndex = 100;
    Settings.Custom_SN_size = 256;
    Settings.Starting_SN = 99999999;
    Settings.MSP430DLL2 = "/opt/bench/alt-debug.so";
    Settings.Selected_UIF = "/dev/ttyACM0";
    Settings.SNFilePathAndName = "/data/line 4.sn";
    Settings.SN_DataFile = "/data/list.txt";
    SerialData.ModelTextBytes[0] = 'Q';
    SerialData.ModelTextBytes[1] = 'B';
    Passwords.AppendPasswData[0] = 0x12;
    Passwords.AppendPasswData[31] = 0xEF;
}

std::string ModelCodeLine() {
    std::string line = "ModelCode\t51 42 ";
    for (int i = 2; i < 32; ++i) {
        line += "FF ";
    }
    return line + "\r\n";
}

TEST_F(SetupFileTest, LayoutByteForByte) {
    LayoutSettings();
    Settings.RecentSetups = {"/s/one.cfg", "/s/two words.cfg", "", ""};
    CodeFileNames.CodeFile.Set("/home/op/code files/blink.txt");
    const std::string path = dir_.File("config.ini");
    ASSERT_EQ(SetupFileWrite(kSetupRecentFiles | kSetupCodeFileLine, path), 1);
    const std::string tail = "MSP430DLL1   \r\n"
                             "MSP430DLL2   /opt/bench/alt-debug.so\r\n"
                             "Selected_UIF\t\t/dev/ttyACM0\r\n"
                             "SNFilePathAndName\t/data/line 4.sn\r\n"
                             "SN_DataFile    /data/list.txt\r\n" +
                             ModelCodeLine();
    const std::string passw = "AppendPasswData\t\t12" + std::string(60, '.') + "EF \r\n";
    EXPECT_EQ(ReadFile(path), std::string(";============= MSP430Fxx setup =============\r\n"
                                          "\r\n"
                                          "SetupFileX1\t\t/s/one.cfg   \r\n"
                                          "SetupFileX2\t\t/s/two words.cfg   \r\n"
                                          "SetupFileX3\t\t   \r\n"
                                          "SetupFileX4\t\t   \r\n"
                                          "CodeFileName\t\ttxt   blink.txt   "
                                          "/home/op/code files/blink.txt\r\n") +
                                  passw + kKeyLines + tail);
    EXPECT_EQ(SetupFiles.CurrentSetupPath, ""); // config.ini is not a setup of the operator's

    // A plain setup file: no recent files, no code file, and the serial-number
    // data file only with serialization from a list.
    Settings.SNDispFormatIndex = 6;
    const std::string cfg = dir_.File("line.cfg");
    ASSERT_EQ(SetupFileWrite(0, cfg), 1);
    std::string keys = kKeyLines;
    keys.replace(keys.find("SNDispFormatIndex\t\t  7"), 22, "SNDispFormatIndex\t\t  6");
    EXPECT_EQ(ReadFile(cfg), ";============= MSP430Fxx setup =============\r\n\r\n" + passw + keys +
                                 "MSP430DLL1   \r\n"
                                 "MSP430DLL2   /opt/bench/alt-debug.so\r\n"
                                 "Selected_UIF\t\t/dev/ttyACM0\r\n"
                                 "SNFilePathAndName\t/data/line 4.sn\r\n" +
                                 ModelCodeLine());
    EXPECT_EQ(SetupFiles.CurrentSetupPath, cfg);
    EXPECT_EQ(Settings.RecentSetups[0], cfg);
    EXPECT_EQ(Settings.RecentSetups[1], "/s/one.cfg");
}

TEST_F(SetupFileTest, TheKeyWriterCarriesThePasswordForProjects) {
    Passwords.BslPassword[0] = 0xA5;
    const std::string text = Output([](std::FILE* f) { return SetupKeysWrite(1, f); });
    EXPECT_EQ(text.substr(0, 81), "BSL_Password  A5" + std::string(62, '.') + " \r\n");
    EXPECT_EQ(text.substr(81, 17), "AppendPasswData\t\t");
    EXPECT_EQ(Output([](std::FILE* f) { return SetupKeysWrite(0, f); }).substr(0, 17),
              "AppendPasswData\t\t");
}

TEST_F(SetupFileTest, EveryKeyComesBack) {
    std::mt19937 rng(3);
    for (int round = 0; round < 4; ++round) {
        SCOPED_TRACE(round);
        Settings.Reset();
        SerialData.Reset();
        Passwords.Reset();
        // Every key at a random value within its limits, the two ends included.
        for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
            const int32_t max = SetupIntKeyMaximum(SetupIntKeyTable[r]);
            const int32_t v = round == 0   ? 0
                              : round == 1 ? max
                                           : static_cast<int32_t>(rng() % (max + 1));
            Settings.*SetupIntKeyTable[r].variable = v;
        }
        for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
            const SetupHexKey& k = SetupHexKeyTable[r];
            const int32_t v =
                round == 0 ? k.minimum
                : round == 1
                    ? k.maximum
                    : k.minimum + static_cast<int32_t>(rng() % (k.maximum - k.minimum + 1));
            Settings.*k.variable = v;
        }
        // Shared variables are written twice; both lines carry the same value.
        std::vector<int32_t> expected;
        for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
            expected.push_back(Settings.*SetupIntKeyTable[r].variable);
        }
        for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
            expected.push_back(Settings.*SetupHexKeyTable[r].variable);
        }
        Settings.SerializationEnable = 1;
        Settings.SNDispFormatIndex = 7;
        expected[28] = 1;
        expected[29] = 7;
        Settings.MSP430DLL1 = "/opt/my tools/msp430 lib.so";
        Settings.MSP430DLL2 = round == 0 ? "" : "C:\\Program Files\\Bench\\alt-debug.dll";
        Settings.Selected_UIF = "USB FET 2";
        Settings.SNFilePathAndName = "/srv/serial numbers/line 1.sn";
        Settings.SN_DataFile = "/srv/sn lists/week 12.txt";
        for (int i = 0; i < 32; ++i) {
            SerialData.ModelTextBytes[i] = static_cast<uint8_t>(rng());
            Passwords.AppendPasswData[i] =
                (rng() % 4 == 0) ? -1 : static_cast<int32_t>(rng() % 256);
        }
        const std::vector<uint8_t> model(SerialData.ModelTextBytes, SerialData.ModelTextBytes + 32);
        const std::vector<int32_t> append(Passwords.AppendPasswData,
                                          Passwords.AppendPasswData + 32);
        Settings.RecentSetups = {"/s/a b.cfg", "/s/c.cfg", "", "/s/d.cfg"};
        const std::string longName = std::string(70, 'n') + ".s28";
        CodeFileNames.CodeFile.Set("/home/op/long folder name/" + longName);
        const std::string path = dir_.File("round trip.ini");
        ASSERT_EQ(SetupFileWrite(kSetupRecentFiles | kSetupCodeFileLine, path), 1);

        const SettingsState written = Settings;
        Settings.Reset();
        SerialData.Reset();
        Passwords.Reset();
        CodeFileNames.Reset();
        ASSERT_EQ(SetupFileRead(kSetupRecentFiles | kSetupCodeFileLine, path), 1);
        std::vector<int32_t> read;
        for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
            read.push_back(Settings.*SetupIntKeyTable[r].variable);
        }
        for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
            read.push_back(Settings.*SetupHexKeyTable[r].variable);
        }
        EXPECT_EQ(read, expected);
        EXPECT_EQ(Settings.MSP430DLL1, written.MSP430DLL1);
        EXPECT_EQ(Settings.MSP430DLL2, written.MSP430DLL2);
        EXPECT_EQ(Settings.Selected_UIF, written.Selected_UIF);
        EXPECT_EQ(Settings.SNFilePathAndName, written.SNFilePathAndName);
        EXPECT_EQ(Settings.SNFileGiven, 1);
        EXPECT_EQ(Settings.SN_DataFile, written.SN_DataFile);
        EXPECT_EQ(Settings.RecentSetups, written.RecentSetups);
        EXPECT_EQ(std::vector<uint8_t>(SerialData.ModelTextBytes, SerialData.ModelTextBytes + 32),
                  model);
        EXPECT_EQ(std::vector<int32_t>(Passwords.AppendPasswData, Passwords.AppendPasswData + 32),
                  append);
        EXPECT_EQ(CodeFileNames.CodeFile.FullPath(), "/home/op/long folder name/" + longName);
        EXPECT_EQ(CodeFileNames.CodeFile.extension, "s28");
    }
}

TEST_F(SetupFileTest, ANewSetupReadsBackAsNew) {
    // Also the read start, whose default lies below its minimum.
    const std::string path = dir_.File("new.cfg");
    ASSERT_EQ(SetupFileWrite(0, path), 1);
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        Settings.*SetupHexKeyTable[r].variable = 0x2000;
    }
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        Settings.*SetupIntKeyTable[r].variable = 1;
    }
    ASSERT_EQ(SetupFileRead(0, path), 1);
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        EXPECT_EQ(Settings.*SetupHexKeyTable[r].variable, SetupHexKeyTable[r].defaultValue)
            << SetupHexKeyTable[r].name;
    }
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        EXPECT_EQ(Settings.*SetupIntKeyTable[r].variable, SetupIntKeyTable[r].defaultValue)
            << SetupIntKeyTable[r].name;
    }
}

TEST_F(SetupFileTest, ReadingFollowsTheFlags) {
    const std::string path = dir_.File("x.cfg");
    WriteFile(path, ";============= MSP430Fxx setup =============\r\n"
                    "\r\n"
                    "SetupFileX2\t\t/s/recent one.cfg   \r\n"
                    "CodeFileName\t\thex   a b.hex   /c/a b.hex\r\n"
                    "VccIndex\t\t  3 \r\n");
    Settings.RecentSetups = {"keep", "keep", "keep", "keep"};
    Put(0x1000, 1);
    Images.CodeImageHasData = 1;
    ASSERT_EQ(SetupFileRead(0, path), 1);
    EXPECT_EQ(Settings.VccIndex, 3);
    EXPECT_EQ(Settings.RecentSetups[1], "keep");
    EXPECT_TRUE(CodeFileNames.CodeFile.Empty());
    EXPECT_EQ(Images.CodeImage.used[0], 0); // the code of the old setup is gone
    EXPECT_EQ(Images.CodeImageHasData, 0);

    ASSERT_EQ(SetupFileRead(kSetupRecentFiles | kSetupCodeFileLine, path), 1);
    EXPECT_EQ(Settings.RecentSetups[1], "/s/recent one.cfg");
    EXPECT_EQ(Settings.RecentSetups[0], "keep");
    EXPECT_EQ(CodeFileNames.CodeFile.FullPath(), "/c/a b.hex");
    EXPECT_EQ(CodeFileNames.CodeFile.name, "a b.hex");

    // A code-file line that names no file: no current code file.
    WriteFile(path, "CodeFileName\t\t      \r\n");
    ASSERT_EQ(SetupFileRead(kSetupCodeFileLine, path), 1);
    EXPECT_TRUE(CodeFileNames.CodeFile.Empty());
    EXPECT_TRUE(prompts_.Transcript().empty());
}

TEST_F(SetupFileTest, RecentSetupsKeepTheNewestFirstAndOnce) {
    Settings.RecentSetups = {"/a.cfg", "", "/b.cfg  ", "/c.cfg"};
    RecentSetupEnter("/b.cfg");
    EXPECT_EQ(Settings.RecentSetups,
              (std::array<std::string, 4>{"/b.cfg", "/a.cfg", "/c.cfg", ""}));
    RecentSetupEnter("/d.cfg");
    RecentSetupEnter("/e.cfg");
    EXPECT_EQ(Settings.RecentSetups,
              (std::array<std::string, 4>{"/e.cfg", "/d.cfg", "/b.cfg", "/a.cfg"}));
}

TEST_F(SetupFileTest, FailuresShowTheBoxAndKeepWhatWasThere) {
    const std::string missing = dir_.File("missing.cfg");
    Settings.VccIndex = 2;
    Put(0x1000, 1);
    EXPECT_EQ(SetupFileRead(7, missing), 0);
    ASSERT_EQ(prompts_.Transcript().size(), 1u);
    EXPECT_EQ(prompts_.Transcript()[0].text, "Open File or Read File Error\r\n\r\n" + missing);
    EXPECT_EQ(prompts_.Transcript()[0].caption, "Error");
    EXPECT_EQ(Images.CodeImage.used[0], 1); // an unreadable setup changes nothing
    EXPECT_EQ(Settings.VccIndex, 2);

    const std::string path = dir_.File("keep.cfg");
    WriteFile(path, "old setup\r\n");
    platform::SetAtomicFileCommitHook(&FailBeforeRename);
    EXPECT_EQ(SetupFileWrite(1, path), 0);
    EXPECT_EQ(ReadFile(path), "old setup\r\n");
    ASSERT_EQ(prompts_.Transcript().size(), 2u);
    EXPECT_EQ(prompts_.Transcript()[1].text, "Open File or Write File Error\r\n\r\n" + path);
    EXPECT_EQ(prompts_.Transcript()[1].caption, "Error");
    EXPECT_EQ(SetupFiles.CurrentSetupPath, ""); // a setup that was not saved is not current
    EXPECT_EQ(Settings.RecentSetups[0], "");

    platform::SetAtomicFileCommitHook(nullptr);
    const std::string noDir = dir_.File("no/dir/x.cfg");
    EXPECT_EQ(SetupFileWrite(0, noDir), 0);
    ASSERT_EQ(prompts_.Transcript().size(), 3u);
    EXPECT_EQ(prompts_.Transcript()[2].text, "Open File or Write File Error\r\n\r\n" + noDir);
}

} // namespace
} // namespace setup_test
