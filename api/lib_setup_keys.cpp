#include "api/lib_setup_keys.h"

#include "api/api_state.h"
#include "core/line_reader.h"
#include "core/number_parse.h"
#include "core/passwords.h"
#include "core/settings.h"
#include "platform/ascii.h"

#include <string>

namespace api {

constinit const LibIntKey LibIntKeyTable[kLibIntKeyCount + 1] = {
    {"SelectedProcessorIndex", &core::Settings.SelectedProcessorIndex, kLibMaxIsDeviceCount, 0},
    {"PowerFromPODEnable", &core::Settings.PowerFromPODEnable, 1, 0},
    {"FlashEraseModeIndex", &core::Settings.FlashEraseModeIndex, 4, 1},
    {"EraseInfoSegmA", &core::Settings.EraseInfoSegmA, 1, 0},
    {"EraseInfoSegmB", &core::Settings.EraseInfoSegmB, 1, 0},
    {"EraseInfoSegmC", &core::Settings.EraseInfoSegmC, 1, 0},
    {"EraseInfoSegmD", &core::Settings.EraseInfoSegmD, 1, 0},
    {"EraseFlashSegmA", &core::Settings.EraseInfoSegmB, 1, 0},
    {"EraseFlashSegmB", &core::Settings.EraseInfoSegmA, 1, 0},
    {"EraseInfoA_F2xx_En", &core::Settings.EraseInfoA_F2xx_En, 1, 0},
    {"ResetModeIndex", &core::Settings.ResetModeIndex, 3, 0},
    {"CommPortIndex", &core::Settings.CommPortIndex, 3, 0},
    {"AdapterIndex", &core::Settings.AdapterIndex, 2, 0},
    {"InterfaceType", &core::Settings.InterfaceType, 2, 0},
    {"Interface", &core::Settings.InterfaceType, 3, 0},
    {"CheckDCOconstants_F2xx", &core::Settings.CheckDCOconstants_F2xx, 1, 1},
    {"RetainInfoCalData", &core::Settings.RetainInfoCalData, 1, 1},
    {"RetainDefinedData", &core::Settings.RetainDefinedData, 1, 0},
    {"FlashReadModeIndex", &core::Settings.FlashReadModeIndex, 3, 0},
    {"ReadInfoSegmA", &core::Settings.ReadInfoSegmA, 1, 0},
    {"ReadInfoSegmB", &core::Settings.ReadInfoSegmB, 1, 0},
    {"ReadInfoSegmC", &core::Settings.ReadInfoSegmC, 1, 0},
    {"ReadInfoSegmD", &core::Settings.ReadInfoSegmD, 1, 0},
    {"ReadFlashSegmA", &core::Settings.ReadInfoSegmB, 1, 0},
    {"ReadFlashSegmB", &core::Settings.ReadInfoSegmA, 1, 0},
    {"ReadDefMainMemEn", &core::Settings.ReadDefMainMemEn, 1, 0},
    {"EraseDefMainMemEn", &core::Settings.EraseDefMainMemEn, 1, 0},
    {"VerifyModeIndex", &core::Settings.VerifyModeIndex, 2, 2},
    {"SerializationEnable", &core::Settings.SerializationEnable, 1, 0},
    {"SNDispFormatIndex", &core::Settings.SNDispFormatIndex, 7, 0},
    {"SNMemFormatIndex", &core::Settings.SNMemFormatIndex, 4, 1},
    {"ModelTextEnable", &core::Settings.ModelTextEnable, 1, 0},
    {"ModelTextSize", &core::Settings.ModelTextSize, 32, 2},
    {"BlowFuseEnable", &core::Settings.BlowFuseEnable, 3, 0},
    {"ApplicationStartEnable", &core::Settings.ApplicationStartEnable, 3, 0},
    {"SNInfoMode", &core::Settings.SNInfoMode, 15, 0},
    {"SNExistWarnEn", &core::Settings.SNExistWarnEn, 1, 1},
    {"RemoveCodefromSNlocationEn", &core::Settings.RemoveCodefromSNlocationEn, 1, 0},
    {"CodeFileReload", &core::Settings.CodeFileReload, 1, 0},
    {"Custom_SN_size", &core::Settings.Custom_SN_size, 256, 4},
    {"BarCodeReaderEnable", &core::Settings.BarCodeReaderEnable, 1, 0},
    {"BarCodeAutoStartEnable", &core::Settings.BarCodeAutoStartEnable, 1, 0},
    {"PostAmbleIndex", &core::Settings.PostAmbleIndex, 100, 0},
    {"VccIndex", &core::Settings.VccIndex, 7, 5},
    {"BSLEnhSecurityEn", &core::Settings.BSLEnhSecurityEn, 1, 0},
    {"BSLEnhSecurityIndex", &core::Settings.BSLEnhSecurityIndex, 2, 0},
    {"BSLAppendPasswordEn", &core::Settings.BSLAppendPasswordEn, 1, 0},
    {nullptr, nullptr, 0, 0},
};

// ReadStartAddr's default lies below its minimum: a new setup reads from the
// start of the information memory, while a file value is raised.
constinit const LibHexKey LibHexKeyTable[kLibHexKeyCount + 1] = {
    {"EraseFlashStart", &core::Settings.EraseFlashStart, 0x1100, 0x45BFF, 0x1100},
    {"EraseFlashStop", &core::Settings.EraseFlashStop, 0x1100, 0x45BFF, 0x45BFF},
    {"RetainDataStart", &core::Settings.RetainDataStart, 0x1000, 0x45BFF, 0x1000},
    {"RetainDataStop", &core::Settings.RetainDataStop, 0x1000, 0x45BFF, 0x1000},
    {"ReadStartAddr", &core::Settings.ReadStartAddr, 0x1100, 0x45BFF, 0x1000},
    {"ReadStopAddr", &core::Settings.ReadStopAddr, 0x1100, 0x45BFF, 0x45BFF},
    {"SNStartAddress", &core::Settings.SNStartAddress, 0x1000, 0x45BFF, 0x1000},
    {"ModelTextStartAddr", &core::Settings.ModelTextStartAddr, 0x1000, 0x45BFF, 0x1000},
    {"Starting_SN", &core::Settings.Starting_SN, 0, 99999999, 0},
    {"SN_increment", &core::Settings.SN_increment, 1, 1000, 1},
    {"DCO_base_address", &LibSettings.DCO_base_address, 0x1000, 0x45BFF, 0x10F0},
    {nullptr, nullptr, 0, 0, 0},
};

namespace {

// The line's first token and its second (the value), split at the line
// reader's separators.
struct KeyLine {
    std::string_view token;
    std::string_view value;
};

KeyLine Split(std::string_view line) {
    KeyLine k;
    size_t i = 0;
    auto skip = [&] {
        while (i < line.size() && core::IsLineSeparator(line[i])) {
            ++i;
        }
    };
    auto word = [&] {
        const size_t start = i;
        while (i < line.size() && !core::IsLineSeparator(line[i])) {
            ++i;
        }
        return line.substr(start, i - start);
    };
    skip();
    k.token = word();
    skip();
    k.value = word();
    return k;
}

bool BeginsWith(std::string_view token, const char* key) {
    return platform::BeginsNoCase(token, key);
}

int32_t Maximum(const LibIntKey& key) {
    return key.maximum == kLibMaxIsDeviceCount ? LibSettings.DeviceCount : key.maximum;
}

} // namespace

void LibKeysDefault() {
    for (const LibIntKey* k = LibIntKeyTable; k->variable != nullptr; ++k) {
        *k->variable = k->defaultValue;
    }
    for (const LibHexKey* k = LibHexKeyTable; k->variable != nullptr; ++k) {
        *k->variable = k->defaultValue;
    }
}

std::string_view LibLineFirstToken(std::string_view line) {
    return Split(line).token;
}

void LibKeyLineParse(std::string_view line) {
    const KeyLine k = Split(line);
    if (k.token.empty() || k.value.empty()) {
        return;
    }
    const std::string value(k.value);
    if (BeginsWith(k.token, "BSL_Password")) {
        core::PasswordFromHexText(value);
        return;
    }
    if (BeginsWith(k.token, "AppendPasswData")) {
        core::AppendPasswDataFromHexText(value);
        return;
    }
    for (const LibIntKey* key = LibIntKeyTable; key->variable != nullptr; ++key) {
        if (BeginsWith(k.token, key->name)) {
            const int32_t v = core::TextParseNumber(value.c_str());
            const int32_t maximum = Maximum(*key);
            *key->variable = v < 0 ? 0 : (v > maximum ? maximum : v);
            return;
        }
    }
    for (const LibHexKey* key = LibHexKeyTable; key->variable != nullptr; ++key) {
        int64_t v = 0;
        if (BeginsWith(k.token, key->name) && core::TextParseHexPrefixed(k.value, v)) {
            v = v < key->minimum ? key->minimum : (v > key->maximum ? key->maximum : v);
            *key->variable = static_cast<int32_t>(v);
            return;
        }
    }
}

void LibInterfaceDerive() {
    LibSettings.Interface = core::Settings.InterfaceType != 0 ? 3 : 0;
}

} // namespace api
