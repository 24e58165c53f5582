#include "core/setup_keys.h"

#include "core/device_table.h"
#include "core/line_reader.h"
#include "core/model_text.h"
#include "core/number_parse.h"
#include "core/passwords.h"
#include "core/project_line_write.h"
#include "core/serial_data.h"
#include "platform/ascii.h"

#include <cstdio>
#include <string>
#include <string_view>

namespace core {

using S = SettingsState;

constinit const SetupIntKey SetupIntKeyTable[kSetupIntKeyCount + 1] = {
    {"SelectedProcessorIndex", &S::SelectedProcessorIndex, kSetupMaxIsDeviceCount, 0},
    {"PowerFromPODEnable", &S::PowerFromPODEnable, 1, 0},
    {"FlashEraseModeIndex", &S::FlashEraseModeIndex, 4, 1},
    {"EraseInfoSegmA", &S::EraseInfoSegmA, 1, 0},
    {"EraseInfoSegmB", &S::EraseInfoSegmB, 1, 0},
    {"EraseInfoSegmC", &S::EraseInfoSegmC, 1, 0},
    {"EraseInfoSegmD", &S::EraseInfoSegmD, 1, 0},
    {"EraseFlashSegmA", &S::EraseInfoSegmB, 1, 0},
    {"EraseFlashSegmB", &S::EraseInfoSegmA, 1, 0},
    {"EraseInfoA_F2xx_En", &S::EraseInfoA_F2xx_En, 1, 0},
    {"ResetModeIndex", &S::ResetModeIndex, 3, 0},
    {"CommPortIndex", &S::CommPortIndex, 3, 0},
    {"AdapterIndex", &S::AdapterIndex, 2, 0},
    {"InterfaceType", &S::InterfaceType, 2, 0},
    {"ReportHistory", &S::ReportHistory, 1, 1},
    {"CheckDCOconstants_F2xx", &S::CheckDCOconstants_F2xx, 1, 1},
    {"RetainInfoCalData", &S::RetainInfoCalData, 1, 1},
    {"RetainDefinedData", &S::RetainDefinedData, 1, 0},
    {"FlashReadModeIndex", &S::FlashReadModeIndex, 3, 0},
    {"ReadInfoSegmA", &S::ReadInfoSegmA, 1, 0},
    {"ReadInfoSegmB", &S::ReadInfoSegmB, 1, 0},
    {"ReadInfoSegmC", &S::ReadInfoSegmC, 1, 0},
    {"ReadInfoSegmD", &S::ReadInfoSegmD, 1, 0},
    {"ReadFlashSegmA", &S::ReadInfoSegmB, 1, 0},
    {"ReadFlashSegmB", &S::ReadInfoSegmA, 1, 0},
    {"ReadDefMainMemEn", &S::ReadDefMainMemEn, 1, 0},
    {"EraseDefMainMemEn", &S::EraseDefMainMemEn, 1, 0},
    {"VerifyModeIndex", &S::VerifyModeIndex, 2, 2},
    {"SerializationEnable", &S::SerializationEnable, 1, 0},
    {"SNDispFormatIndex", &S::SNDispFormatIndex, 7, 0},
    {"SNMemFormatIndex", &S::SNMemFormatIndex, 4, 1},
    {"ModelTextEnable", &S::ModelTextEnable, 1, 0},
    {"ModelTextSize", &S::ModelTextSize, 32, 2},
    {"BlowFuseEnable", &S::BlowFuseEnable, 3, 0},
    {"ApplicationStartEnable", &S::ApplicationStartEnable, 3, 0},
    {"SNInfoMode", &S::SNInfoMode, 15, 0},
    {"SNExistWarnEn", &S::SNExistWarnEn, 1, 1},
    {"RemoveCodefromSNlocationEn", &S::RemoveCodefromSNlocationEn, 1, 0},
    {"CodeFileReload", &S::CodeFileReload, 1, 0},
    {"Custom_SN_size", &S::Custom_SN_size, 256, 4},
    {"BarCodeReaderEnable", &S::BarCodeReaderEnable, 1, 0},
    {"BarCodeAutoStartEnable", &S::BarCodeAutoStartEnable, 1, 0},
    {"PostAmbleIndex", &S::PostAmbleIndex, 100, 0},
    {"VccIndex", &S::VccIndex, 7, 5},
    {"BSLEnhSecurityEn", &S::BSLEnhSecurityEn, 1, 0},
    {"BSLEnhSecurityIndex", &S::BSLEnhSecurityIndex, 2, 0},
    {"BSLAppendPasswordEn", &S::BSLAppendPasswordEn, 1, 0},
    {"DispSkipBlankLines", &S::DispSkipBlankLines, 1, 1},
    {nullptr, nullptr, 0, 0},
};

// ReadStartAddr's default lies below its minimum on purpose: a new setup
// reads from the start of the information memory. The reader keeps a value
// equal to the default, so that setting survives a save and a reload.
constinit const SetupHexKey SetupHexKeyTable[kSetupHexKeyCount + 1] = {
    {"EraseFlashStart", &S::EraseFlashStart, 0x1100, 0x45BFF, 0x1100},
    {"EraseFlashStop", &S::EraseFlashStop, 0x1100, 0x45BFF, 0x45BFF},
    {"RetainDataStart", &S::RetainDataStart, 0x1000, 0x45BFF, 0x1000},
    {"RetainDataStop", &S::RetainDataStop, 0x1000, 0x45BFF, 0x1000},
    {"ReadStartAddr", &S::ReadStartAddr, 0x1100, 0x45BFF, 0x1000},
    {"ReadStopAddr", &S::ReadStopAddr, 0x1100, 0x45BFF, 0x45BFF},
    {"SNStartAddress", &S::SNStartAddress, 0x1000, 0x45BFF, 0x1000},
    {"ModelTextStartAddr", &S::ModelTextStartAddr, 0x1000, 0x45BFF, 0x1000},
    {"Starting_SN", &S::Starting_SN, 0, 99999999, 0},
    {"SN_increment", &S::SN_increment, 1, 0x3E8, 1},
    {nullptr, nullptr, 0, 0, 0},
};

namespace {

constexpr size_t kSelectedUifMax = 20;
constexpr size_t kSnFilePathMax = 256;

// The keys that are neither decimal nor hexadecimal, in the order a line
// whose first token names no key tries them (after the two password keys,
// which come before the tables).
enum class TextKey {
    BslPassword,
    AppendPasswData,
    Dll1,
    Dll2,
    SelectedUif,
    SnFile,
    SnDataFile,
    ModelText,
    ModelCode
};

struct TextKeyName {
    const char* name;
    TextKey key;
};

constexpr TextKeyName kPasswordKeys[] = {
    {"BSL_Password", TextKey::BslPassword},
    {"AppendPasswData", TextKey::AppendPasswData},
};
constexpr TextKeyName kStringKeys[] = {
    {"MSP430DLL1", TextKey::Dll1},          {"MSP430DLL2", TextKey::Dll2},
    {"Selected_UIF", TextKey::SelectedUif}, {"SNFilePathAndName", TextKey::SnFile},
    {"SN_DataFile", TextKey::SnDataFile},   {"ModelText", TextKey::ModelText},
    {"ModelCode", TextKey::ModelCode},
};

// A key line taken apart: its first token and what follows the separators
// after it. A comment (';') ends the line.
struct KeyLine {
    std::string_view token;
    std::string_view value; // from the value's first character to the end of the line
    bool hasValue = false;
};

KeyLine SplitKeyLine(std::string_view line) {
    KeyLine k;
    size_t i = 0;
    while (i < line.size() && IsLineSeparator(line[i])) {
        ++i;
    }
    const size_t start = i;
    while (i < line.size() && !IsLineSeparator(line[i]) && line[i] != ';') {
        ++i;
    }
    k.token = line.substr(start, i - start);
    if (i < line.size() && line[i] == ';') {
        return k;
    }
    while (i < line.size() && IsLineSeparator(line[i])) {
        ++i;
    }
    if (i < line.size() && line[i] != ';') {
        k.value = line.substr(i);
        k.hasValue = true;
    }
    return k;
}

// The value's first token: up to a blank or TAB, or the text inside double
// quotes.
std::string ValueToken(std::string_view value) {
    if (!value.empty() && value[0] == '"') {
        const size_t close = value.find('"', 1);
        return std::string(value.substr(1, close == std::string_view::npos ? close : close - 1));
    }
    const size_t end = value.find_first_of(" \t");
    return std::string(value.substr(0, end));
}

void ApplyInt(const SetupIntKey& key, const KeyLine& k) {
    const std::string token = ValueToken(k.value);
    int32_t v = TextParseNumber(token.c_str());
    const int32_t maximum = SetupIntKeyMaximum(key);
    v = v < 0 ? 0 : (v > maximum ? maximum : v);
    Settings.*key.variable = v;
}

// False when the value has no "0x": the key then takes nothing.
bool ApplyHex(const SetupHexKey& key, const KeyLine& k) {
    // Saturated, not cut to the low 32 bits: an over-long number must not
    // wrap round to a small address.
    int64_t value = 0;
    if (!TextParseHexPrefixed(k.value, value)) {
        return false;
    }
    // The default stands even where it lies outside the limits (the read
    // start of a new setup): a saved setup must read back as it was saved.
    if (value != key.defaultValue) {
        value = value < key.minimum ? key.minimum : (value > key.maximum ? key.maximum : value);
    }
    Settings.*key.variable = static_cast<int32_t>(value);
    return true;
}

void ApplyText(TextKey key, const KeyLine& k) {
    switch (key) {
    case TextKey::BslPassword:
        if (k.hasValue) {
            PasswordFromHexText(ValueToken(k.value));
        }
        break;
    case TextKey::AppendPasswData:
        if (k.hasValue) {
            AppendPasswDataFromHexText(ValueToken(k.value));
        }
        break;
    // The paths and names take what the line says, an empty value too: a
    // setup written with no alternative library must not keep the library
    // of the setup read before it.
    case TextKey::Dll1:
        Settings.MSP430DLL1 = SetupValueRestOfLine(k.value);
        break;
    case TextKey::Dll2:
        Settings.MSP430DLL2 = SetupValueRestOfLine(k.value);
        break;
    case TextKey::SelectedUif:
        Settings.Selected_UIF = SetupValueRestOfLine(k.value, kSelectedUifMax);
        break;
    case TextKey::SnFile:
        Settings.SNFilePathAndName = SetupValueRestOfLine(k.value, kSnFilePathMax);
        if (!Settings.SNFilePathAndName.empty()) {
            Settings.SNFileGiven = 1;
        }
        break;
    case TextKey::SnDataFile:
        Settings.SN_DataFile = SetupValueRestOfLine(k.value);
        break;
    case TextKey::ModelText:
        if (k.hasValue) {
            BytesFromText(0, kModelTextBytesMax, ValueToken(k.value), SerialData.ModelTextBytes);
        }
        break;
    case TextKey::ModelCode:
        if (k.hasValue) {
            BytesFromText(kModelTextHexMode, kModelTextBytesMax, k.value,
                          SerialData.ModelTextBytes);
        }
        break;
    }
}

// The line's first token is exactly a key name: that key alone handles it.
bool ReadExactKey(const KeyLine& k) {
    for (const TextKeyName& t : kPasswordKeys) {
        if (platform::EqualNoCase(k.token, t.name)) {
            ApplyText(t.key, k);
            return true;
        }
    }
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        if (platform::EqualNoCase(k.token, SetupIntKeyTable[r].name)) {
            if (k.hasValue) {
                ApplyInt(SetupIntKeyTable[r], k);
            }
            return true;
        }
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        if (platform::EqualNoCase(k.token, SetupHexKeyTable[r].name)) {
            if (k.hasValue) {
                (void)ApplyHex(SetupHexKeyTable[r], k);
            }
            return true;
        }
    }
    for (const TextKeyName& t : kStringKeys) {
        if (platform::EqualNoCase(k.token, t.name)) {
            ApplyText(t.key, k);
            return true;
        }
    }
    return false;
}

// A first token that names no key: the first key that the line begins with
// and that takes the value.
void ReadPrefixKey(std::string_view line, const KeyLine& k) {
    if (!k.hasValue) {
        return;
    }
    for (const TextKeyName& t : kPasswordKeys) {
        if (platform::BeginsNoCase(line, t.name)) {
            ApplyText(t.key, k);
            return;
        }
    }
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        if (platform::BeginsNoCase(line, SetupIntKeyTable[r].name)) {
            ApplyInt(SetupIntKeyTable[r], k);
            return;
        }
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        if (platform::BeginsNoCase(line, SetupHexKeyTable[r].name) &&
            ApplyHex(SetupHexKeyTable[r], k)) {
            return;
        }
    }
    for (const TextKeyName& t : kStringKeys) {
        if (platform::BeginsNoCase(line, t.name)) {
            ApplyText(t.key, k);
            return;
        }
    }
}

std::string IntKeyLine(const SetupIntKey& key) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s\t\t%3.1i \r\n", key.name, Settings.*key.variable);
    return buf;
}

std::string HexKeyLine(const SetupHexKey& key) {
    char buf[128];
    std::snprintf(buf, sizeof buf, "%s\t\t0x%4.4X \r\n", key.name,
                  static_cast<unsigned>(Settings.*key.variable));
    return buf;
}

} // namespace

std::string SetupValueRestOfLine(std::string_view value, size_t max) {
    value = value.substr(0, max);
    const size_t end = value.find_last_not_of(" \t\r");
    return end == std::string_view::npos ? std::string() : std::string(value.substr(0, end + 1));
}

int32_t SetupIntKeyMaximum(const SetupIntKey& key) {
    if (key.maximum != kSetupMaxIsDeviceCount) {
        return key.maximum;
    }
    return DeviceInfoTable.count > 0 ? DeviceInfoTable.count : kDeviceTableMaxRows;
}

void SetupKeysDefault(SettingsState& settings) {
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        settings.*SetupIntKeyTable[r].variable = SetupIntKeyTable[r].defaultValue;
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        settings.*SetupHexKeyTable[r].variable = SetupHexKeyTable[r].defaultValue;
    }
}

int32_t SetupKeysWrite(int32_t withPassword, std::FILE* file) {
    int32_t ok = 1;
    const auto put = [&](const std::string& line) { ok &= ProjectLineWrite(line, file); };
    std::string text;
    if (withPassword == 1) {
        PasswordToHexText(text);
        put("BSL_Password  " + text + " \r\n");
    }
    AppendPasswDataToHexText(text);
    put("AppendPasswData\t\t" + text + " \r\n");
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        put(IntKeyLine(SetupIntKeyTable[r]));
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        put(HexKeyLine(SetupHexKeyTable[r]));
    }
    put("MSP430DLL1   " + Settings.MSP430DLL1 + "\r\n");
    put("MSP430DLL2   " + Settings.MSP430DLL2 + "\r\n");
    put("Selected_UIF\t\t" + Settings.Selected_UIF + "\r\n");
    put("SNFilePathAndName\t" + Settings.SNFilePathAndName + "\r\n");
    if (Settings.SerializationEnable == 1 && Settings.SNDispFormatIndex == 7) {
        put("SN_DataFile    " + Settings.SN_DataFile + "\r\n");
    }
    BytesToText(kModelTextHexMode, kModelTextBytesMax, SerialData.ModelTextBytes, text);
    put("ModelCode\t" + text + "\r\n");
    return ok;
}

void SetupKeyRead() {
    const std::string_view line(LineReader.line);
    const KeyLine k = SplitKeyLine(line);
    if (k.token.empty() || ReadExactKey(k)) {
        return;
    }
    ReadPrefixKey(line.substr(static_cast<size_t>(k.token.data() - line.data())), k);
}

bool SetupKeyLineNamesKey() {
    const std::string_view token = SplitKeyLine(std::string_view(LineReader.line)).token;
    if (token.empty()) {
        return false;
    }
    for (const TextKeyName& t : kPasswordKeys) {
        if (platform::EqualNoCase(token, t.name)) {
            return true;
        }
    }
    for (int32_t r = 0; SetupIntKeyTable[r].variable != nullptr; ++r) {
        if (platform::EqualNoCase(token, SetupIntKeyTable[r].name)) {
            return true;
        }
    }
    for (int32_t r = 0; SetupHexKeyTable[r].variable != nullptr; ++r) {
        if (platform::EqualNoCase(token, SetupHexKeyTable[r].name)) {
            return true;
        }
    }
    for (const TextKeyName& t : kStringKeys) {
        if (platform::EqualNoCase(token, t.name)) {
            return true;
        }
    }
    return false;
}

} // namespace core
