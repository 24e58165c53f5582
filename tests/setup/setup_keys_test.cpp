// The setup key tables and the key-line reader: limits, aliases, the
// first-token rule, and the values that are paths or texts.

#include "core/passwords.h"
#include "core/serial_data.h"
#include "core/setup_keys.h"
#include "tests/writers/writers_fixture.h"

#include <cstring>
#include <string>
#include <vector>

namespace setup_test {
namespace {

using namespace core;

// Every value the key lines reach, for "nothing else changed" checks.
struct SettingsSnapshot {
    std::vector<int32_t> ints;
    std::vector<std::string> texts;
    std::vector<uint8_t> model;
    std::vector<int32_t> passwords;
    bool operator==(const SettingsSnapshot&) const = default;
};

SettingsSnapshot Snapshot() {
    SettingsSnapshot s;
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        s.ints.push_back(Settings.*SetupIntKeyTable[r].variable);
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        s.ints.push_back(Settings.*SetupHexKeyTable[r].variable);
    }
    s.ints.push_back(Settings.SNFileGiven);
    s.texts = {Settings.MSP430DLL1, Settings.MSP430DLL2, Settings.Selected_UIF,
               Settings.SNFilePathAndName, Settings.SN_DataFile};
    s.model.assign(SerialData.ModelTextBytes, SerialData.ModelTextBytes + kModelTextMax);
    s.passwords.assign(Passwords.BslPassword, Passwords.BslPassword + kPasswordSize);
    s.passwords.insert(s.passwords.end(), Passwords.AppendPasswData,
                       Passwords.AppendPasswData + kPasswordSize);
    return s;
}

void ReadLine(const std::string& line) {
    ASSERT_LT(line.size(), sizeof LineReader.line);
    std::strcpy(LineReader.line, line.c_str());
    SetupKeyRead();
}

class SetupKeysTest : public writers_test::WritersTest {};

TEST_F(SetupKeysTest, TablesHoldEveryKeyInFileOrder) {
    const char* const intNames[] = {"SelectedProcessorIndex", "PowerFromPODEnable",
                                    "FlashEraseModeIndex",    "EraseInfoSegmA",
                                    "EraseInfoSegmB",         "EraseInfoSegmC",
                                    "EraseInfoSegmD",         "EraseFlashSegmA",
                                    "EraseFlashSegmB",        "EraseInfoA_F2xx_En",
                                    "ResetModeIndex",         "CommPortIndex",
                                    "AdapterIndex",           "InterfaceType",
                                    "ReportHistory",          "CheckDCOconstants_F2xx",
                                    "RetainInfoCalData",      "RetainDefinedData",
                                    "FlashReadModeIndex",     "ReadInfoSegmA",
                                    "ReadInfoSegmB",          "ReadInfoSegmC",
                                    "ReadInfoSegmD",          "ReadFlashSegmA",
                                    "ReadFlashSegmB",         "ReadDefMainMemEn",
                                    "EraseDefMainMemEn",      "VerifyModeIndex",
                                    "SerializationEnable",    "SNDispFormatIndex",
                                    "SNMemFormatIndex",       "ModelTextEnable",
                                    "ModelTextSize",          "BlowFuseEnable",
                                    "ApplicationStartEnable", "SNInfoMode",
                                    "SNExistWarnEn",          "RemoveCodefromSNlocationEn",
                                    "CodeFileReload",         "Custom_SN_size",
                                    "BarCodeReaderEnable",    "BarCodeAutoStartEnable",
                                    "PostAmbleIndex",         "VccIndex",
                                    "BSLEnhSecurityEn",       "BSLEnhSecurityIndex",
                                    "BSLAppendPasswordEn",    "DispSkipBlankLines"};
    const char* const hexNames[] = {"EraseFlashStart", "EraseFlashStop",     "RetainDataStart",
                                    "RetainDataStop",  "ReadStartAddr",      "ReadStopAddr",
                                    "SNStartAddress",  "ModelTextStartAddr", "Starting_SN",
                                    "SN_increment"};
    ASSERT_EQ(std::size(intNames), static_cast<size_t>(kSetupIntKeyCount));
    for (int32_t r = 0; r < kSetupIntKeyCount; ++r) {
        EXPECT_STREQ(SetupIntKeyTable[r].name, intNames[r]);
        EXPECT_NE(SetupIntKeyTable[r].variable, nullptr);
    }
    EXPECT_EQ(SetupIntKeyTable[kSetupIntKeyCount].variable, nullptr);
    for (int32_t r = 0; r < kSetupHexKeyCount; ++r) {
        EXPECT_STREQ(SetupHexKeyTable[r].name, hexNames[r]);
        EXPECT_NE(SetupHexKeyTable[r].variable, nullptr);
    }
    EXPECT_EQ(SetupHexKeyTable[kSetupHexKeyCount].variable, nullptr);
}

TEST_F(SetupKeysTest, NewSetupDefaults) {
    // A setting from each kind of default, and the read start below its minimum.
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        Settings.*SetupIntKeyTable[r].variable = 77;
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        Settings.*SetupHexKeyTable[r].variable = 0x7777;
    }
    Settings.MSP430DLL1 = "kept";
    SetupKeysDefault(Settings);
    struct Case {
        const char* name;
        int32_t SettingsState::*variable;
        int32_t value;
    };
    const Case cases[] = {
        {"SelectedProcessorIndex", &SettingsState::SelectedProcessorIndex, 0},
        {"FlashEraseModeIndex", &SettingsState::FlashEraseModeIndex, 1},
        {"EraseInfoSegmA", &SettingsState::EraseInfoSegmA, 0},
        {"ReportHistory", &SettingsState::ReportHistory, 1},
        {"CheckDCOconstants_F2xx", &SettingsState::CheckDCOconstants_F2xx, 1},
        {"RetainInfoCalData", &SettingsState::RetainInfoCalData, 1},
        {"VerifyModeIndex", &SettingsState::VerifyModeIndex, 2},
        {"SNMemFormatIndex", &SettingsState::SNMemFormatIndex, 1},
        {"ModelTextSize", &SettingsState::ModelTextSize, 2},
        {"SNExistWarnEn", &SettingsState::SNExistWarnEn, 1},
        {"Custom_SN_size", &SettingsState::Custom_SN_size, 4},
        {"VccIndex", &SettingsState::VccIndex, 5},
        {"DispSkipBlankLines", &SettingsState::DispSkipBlankLines, 1},
        {"PostAmbleIndex", &SettingsState::PostAmbleIndex, 0},
        {"EraseFlashStart", &SettingsState::EraseFlashStart, 0x1100},
        {"EraseFlashStop", &SettingsState::EraseFlashStop, 0x45BFF},
        {"RetainDataStop", &SettingsState::RetainDataStop, 0x1000},
        {"ReadStartAddr", &SettingsState::ReadStartAddr, 0x1000},
        {"ReadStopAddr", &SettingsState::ReadStopAddr, 0x45BFF},
        {"SNStartAddress", &SettingsState::SNStartAddress, 0x1000},
        {"Starting_SN", &SettingsState::Starting_SN, 0},
        {"SN_increment", &SettingsState::SN_increment, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Settings.*c.variable, c.value) << c.name;
    }
    EXPECT_EQ(Settings.MSP430DLL1, "kept"); // New Setup leaves the texts alone
    // The start-up values are the same defaults.
    Settings.Reset();
    for (const Case& c : cases) {
        EXPECT_EQ(Settings.*c.variable, c.value) << c.name;
    }
    EXPECT_EQ(Settings.MSP430DLL1, "");
}

TEST_F(SetupKeysTest, NumbersAreClampedToTheirLimits) {
    struct Case {
        const char* line;
        int32_t SettingsState::*variable; // null: nothing may change
        int32_t value;
    };
    using S = SettingsState;
    const Case cases[] = {
        {"VccIndex\t\t  9 ", &S::VccIndex, 7},
        {"VccIndex -3", &S::VccIndex, 0},
        {"VccIndex 6", &S::VccIndex, 6},
        {"  VccIndex = 3", &S::VccIndex, 3},       // leading blanks, '=' separates
        {"vccindex 4", &S::VccIndex, 4},           // any case
        {"VccIndexes 2", &S::VccIndex, 2},         // names no key: the key it begins with
        {"VccIndex 99999999999", &S::VccIndex, 7}, // beyond 32 bits
        {"PostAmbleIndex 101", &S::PostAmbleIndex, 100},
        {"Custom_SN_size 300", &S::Custom_SN_size, 256},
        {"SNStartAddress 2000", nullptr, 0}, // a hex key needs its 0x
        {"snstartaddress 0x0800", &S::SNStartAddress, 0x1000},
        {"SNStartAddress 0X2A00", &S::SNStartAddress, 0x2A00},
        {"SNStartAddress 0x99999", &S::SNStartAddress, 0x45BFF},
        {"SNStartAddress 0x100001000", &S::SNStartAddress, 0x45BFF}, // no wrap to 0x1000
        {"EraseFlashStart 0x1000", &S::EraseFlashStart, 0x1100},
        {"ReadStartAddr 0x1000", &S::ReadStartAddr, 0x1000}, // its default, below the minimum
        {"ReadStartAddr 0x1080", &S::ReadStartAddr, 0x1100},
        {"Starting_SN 0x5F5E100", &S::Starting_SN, 99999999},
        {"SN_increment 0x0", &S::SN_increment, 1},
        {"SN_increment 0x3E9", &S::SN_increment, 1000},
        {"ModelTextStartAddr 4096", nullptr, 0}, // not the model text either
        {"VccIndex", nullptr, 0},                // no value
        {"VccIndex ; 3", nullptr, 0},            // a comment is no value
        {"; VccIndex 3", nullptr, 0},
        {"Vcc 3", nullptr, 0},
        {"Unknown 3", nullptr, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        Settings.Reset();
        SerialData.Reset();
        Settings.SNStartAddress = 0x3000;
        Settings.ModelTextStartAddr = 0x3100;
        SettingsSnapshot expected = Snapshot();
        if (c.variable != nullptr) {
            Settings.*c.variable = c.value;
            expected = Snapshot();
            Settings.*c.variable = -12345;
        }
        ReadLine(c.line);
        EXPECT_EQ(Snapshot(), expected);
    }
}

TEST_F(SetupKeysTest, OlderNamesSetTheSameVariables) {
    using S = SettingsState;
    struct Case {
        const char* key;
        int32_t SettingsState::*variable;
    };
    const Case cases[] = {
        {"EraseFlashSegmA", &S::EraseInfoSegmB},
        {"EraseFlashSegmB", &S::EraseInfoSegmA},
        {"ReadFlashSegmA", &S::ReadInfoSegmB},
        {"ReadFlashSegmB", &S::ReadInfoSegmA},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        Settings.Reset();
        SettingsSnapshot before = Snapshot();
        ReadLine(std::string(c.key) + " 1");
        EXPECT_EQ(Settings.*c.variable, 1);
        Settings.*c.variable = 0;
        EXPECT_EQ(Snapshot(), before); // and nothing else
    }
}

TEST_F(SetupKeysTest, TheDeviceIndexFollowsTheDeviceTable) {
    const int32_t f5438 = RowNamed("5438");
    ASSERT_EQ(f5438, 138);
    ReadLine("SelectedProcessorIndex 138");
    EXPECT_EQ(Settings.SelectedProcessorIndex, 138);
    ReadLine("SelectedProcessorIndex 100000");
    EXPECT_EQ(Settings.SelectedProcessorIndex, DeviceInfoTable.count);
    ReadLine("SelectedProcessorIndex -1");
    EXPECT_EQ(Settings.SelectedProcessorIndex, 0);
}

TEST_F(SetupKeysTest, PathsTakeTheRestOfTheLine) {
    ReadLine("MSP430DLL1   /opt/ti tools/lib msp430.so   ");
    EXPECT_EQ(Settings.MSP430DLL1, "/opt/ti tools/lib msp430.so");
    ReadLine("MSP430DLL2   C:\\Program Files\\Bench\\alt debug.dll");
    EXPECT_EQ(Settings.MSP430DLL2, "C:\\Program Files\\Bench\\alt debug.dll");
    ReadLine("Selected_UIF\t\tUSB FET at /dev/ttyACM0 and more");
    EXPECT_EQ(Settings.Selected_UIF, "USB FET at /dev/ttyA"); // at most 20 characters
    ReadLine("SN_DataFile    /data/sn list;1.txt");
    EXPECT_EQ(Settings.SN_DataFile, "/data/sn list;1.txt");
    EXPECT_EQ(Settings.SNFileGiven, 0);
    ReadLine("SNFilePathAndName\t/data/history file.sn");
    EXPECT_EQ(Settings.SNFilePathAndName, "/data/history file.sn");
    EXPECT_EQ(Settings.SNFileGiven, 1);
    ReadLine("SNFilePathAndName\t" + std::string(300, 'p'));
    EXPECT_EQ(Settings.SNFilePathAndName, std::string(256, 'p'));
    // An empty value says there is none: the old path does not survive.
    ReadLine("MSP430DLL1   ");
    EXPECT_EQ(Settings.MSP430DLL1, "");
}

TEST_F(SetupKeysTest, ModelTextAndPasswords) {
    ReadLine("ModelText AB-7");
    const uint8_t text[6] = {'A', 'B', '-', '7', 0, 0};
    EXPECT_EQ(0, std::memcmp(SerialData.ModelTextBytes, text, sizeof text));
    EXPECT_EQ(SerialData.ModelTextBytes[31], 0);
    ReadLine("ModelText \"two words\"");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(SerialData.ModelTextBytes)), "two words");
    ReadLine("ModelCode\t41 42 ff 7 ");
    const uint8_t code[5] = {0x41, 0x42, 0xFF, 0x07, 0};
    EXPECT_EQ(0, std::memcmp(SerialData.ModelTextBytes, code, sizeof code));

    const std::string bsl = "00112233445566778899AABBCCDDEEFF"
                            "........FFEEDDCCBBAA998877665544";
    ReadLine("BSL_Password  " + bsl + " ");
    EXPECT_EQ(Passwords.BslPassword[0], 0x00);
    EXPECT_EQ(Passwords.BslPassword[15], 0xFF);
    EXPECT_EQ(Passwords.BslPassword[16], -1);
    EXPECT_EQ(Passwords.BslPassword[31], 0x44);
    ReadLine("AppendPasswData\t\t" + bsl + " ");
    EXPECT_EQ(Passwords.AppendPasswData[1], 0x11);
    EXPECT_EQ(Passwords.AppendPasswData[17], -1);
}

TEST_F(SetupKeysTest, LinesNamingNoKeyTakeTheFirstKeyTheyBeginWith) {
    // The older rule for tokens that are no key name: a hex key without its
    // 0x passes the line on, here to the model text.
    ReadLine("ModelTextStartAddrX 4096");
    EXPECT_EQ(Settings.ModelTextStartAddr, 0x1000);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(SerialData.ModelTextBytes)), "4096");
    ReadLine("SNStartAddressX 0x2000");
    EXPECT_EQ(Settings.SNStartAddress, 0x2000);
}

} // namespace
} // namespace setup_test
