#include "api/setup_block.h"

#include "api/report_log.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"

#include <cstdio>

namespace api {

namespace {

// The working setting behind each setup block field.
int32_t* FieldVariable(int32_t field) {
    core::SettingsState& s = core::Settings;
    LibSettingsState& l = LibSettings;
    int32_t* const fields[kSetupBlockSize] = {
        &l.Interface,
        &s.SelectedProcessorIndex,
        &s.PowerFromPODEnable,
        &l.BSLSpeedIndex,
        &l.ResetTimeIndex,
        &s.FlashEraseModeIndex,
        &s.EraseInfoSegmA,
        &s.EraseInfoSegmB,
        &s.EraseFlashStart,
        &s.EraseFlashStop,
        &s.FlashReadModeIndex,
        &s.ReadInfoSegmA,
        &s.ReadInfoSegmB,
        &s.ReadStartAddr,
        &s.ReadStopAddr,
        &s.VerifyModeIndex,
        &s.BlowFuseEnable,
        &s.ApplicationStartEnable,
        &l.BeepEnable,
        &s.EraseInfoSegmC,
        &s.EraseInfoSegmD,
        &s.EraseDefMainMemEn,
        &s.ReadInfoSegmC,
        &s.ReadInfoSegmD,
        &l.JTAGSpeedIndex,
        &s.VccIndex,
        &l.CustomResetPulseTime,
        &l.CustomResetIdleTime,
        &l.RstVccToggleTime,
        &l.ApplResetVccTime,
    };
    return fields[field];
}

// The setting of a configuration index from 32 up (62 has none).
int32_t* IndexVariable(ConfigIndex index) {
    core::SettingsState& s = core::Settings;
    LibSettingsState& l = LibSettings;
    switch (index) {
    case 32:
        return &s.BSLEnhSecurityEn;
    case 33:
        return &s.BSLEnhSecurityIndex;
    case 34:
        return &s.RetainInfoCalData;
    case 35:
        return &s.RetainDefinedData;
    case 36:
        return &s.RetainDataStart;
    case 37:
        return &s.RetainDataStop;
    case 38:
        return &l.ApplicationRunTime;
    case 39:
        return &l.FinishAdapterSetting;
    case 59:
        return &l.StoredSetting59;
    case 60:
        return &l.DCO_base_address;
    case 61:
        return &l.StoredSetting61;
    case 63:
        return &s.EraseInfoA_F2xx_En;
    case 64:
        return &s.CheckDCOconstants_F2xx;
    case 65:
        return &l.DcoRecalibration;
    default:
        break;
    }
    if (index >= 40 && index <= 42) {
        return &l.StoredSettings[index - 40];
    }
    if (index >= 43 && index <= 50) {
        return &l.DcoEnable[index - 43];
    }
    if (index >= 51 && index <= 58) {
        return &l.DcoFrequency[index - 51];
    }
    return nullptr;
}

bool Refused(ConfigIndex index) {
    return index > kConfigIndexLast || index == kConfigIndexNone;
}

uint32_t FieldOf(ConfigIndex index) {
    return index == kConfigJtagSpeedAlias ? 24 : index;
}

} // namespace

void SetupBlockGather() {
    for (int32_t i = 0; i < kSetupBlockSize; ++i) {
        Lib.SetupBlock[i] = static_cast<uint32_t>(*FieldVariable(i));
    }
}

int32_t SetupBlockApply(const std::array<uint32_t, kSetupBlockSize>& values) {
    Lib.SetupBlock = values;
    for (int32_t i = 0; i < kSetupBlockSize; ++i) {
        *FieldVariable(i) = static_cast<int32_t>(Lib.SetupBlock[i]);
    }
    core::Settings.SerializationEnable = 0;
    core::Settings.ModelTextEnable = 0;
    if (core::Settings.PowerFromPODEnable == 0 && core::Target.powerState != 0) {
        core::TargetPowerSet(0);
    }
    return 1;
}

int32_t ConfigSet(ConfigIndex index, uint32_t value) {
    SetupBlockGather();
    if (Refused(index)) {
        return 0;
    }
    if (index < kConfigPresentation || index == kConfigJtagSpeedAlias) {
        Lib.SetupBlock[FieldOf(index)] = value;
    } else if (index == kConfigPresentation) {
        Lib.PromptsEnabled = value == 0 || value == 2 ? 0 : 1;
        Lib.RunDirect = value == 2 ? 2 : 0;
    } else {
        *IndexVariable(index) = static_cast<int32_t>(value);
    }
    return SetupBlockApply(Lib.SetupBlock);
}

uint32_t ConfigGet(ConfigIndex index) {
    SetupBlockGather();
    if (Refused(index)) {
        return 0;
    }
    if (index < kConfigPresentation || index == kConfigJtagSpeedAlias) {
        return Lib.SetupBlock[FieldOf(index)];
    }
    if (index == kConfigPresentation) {
        return static_cast<uint32_t>(Lib.RunDirect | Lib.PromptsEnabled);
    }
    return static_cast<uint32_t>(*IndexVariable(index));
}

void SetupDisplay() {
    SetupBlockGather();
    struct Line {
        const char* format;
        int32_t field;
    };
    static constexpr Line kLines[] = {
        {"Interface_____________\t %2.1li \r\n", 0},
        {"uProcIndex____________\t %2.1li \r\n", 1},
        {"PowerTargetEn_________\t %2.1li \r\n", 2},
        {"PowerVccIndex_________\t %2.1li \r\n", 25},
        {"BSLSpeedIndex_________\t %2.1li \r\n", 3},
        {"JTAGSpeedIndex________\t %2.1li \r\n", 24},
        {"ResetTimeIndex________\t %2.1li \r\n", 4},
        {"FlashEraseModeIndex___\t %2.1li \r\n", 5},
        {"EraseInfoA____________\t %2.1li \r\n", 6},
        {"EraseInfoB____________\t %2.1li \r\n", 7},
        {"EraseInfoC____________\t %2.1li \r\n", 19},
        {"EraseInfoD____________\t %2.1li \r\n", 20},
        {"EraseFlashStartAddr___\t 0x%4.4lX \r\n", 8},
        {"EraseFlashStopAddr____\t 0x%4.4lX \r\n", 9},
        {"FlashReadModeIndex____\t 0x%4.4lX \r\n", 10},
        {"ReadInfoA_____________\t %2.1li \r\n", 11},
        {"ReadInfoB_____________\t %2.1li \r\n", 12},
        {"ReadInfoC_____________\t %2.1li \r\n", 22},
        {"ReadInfoD_____________\t %2.1li \r\n", 23},
        {"ReadStartAddr_________\t 0x%4.4lX \r\n", 13},
        {"ReadStopAddr__________\t 0x%4.4lX \r\n", 14},
        {"VerifyModeIndex_______\t %2.1li \r\n", 15},
        {"BlowFuseEn____________\t %2.1li \r\n", 16},
        {"ApplicationStartEn____\t %2.1li \r\n", 17},
        {"CustomResetPulseTime___\t %2.1li \r\n", 26},
        {"CustomResetIdleTime___\t %2.1li \r\n", 27},
        {"RstVccToggleTime______\t %2.1li \r\n", 28},
        {"ApplResetVccTime______\t %2.1li \r\n", 29},
        {"BeepEnable____________\t %2.1li \r\n", 18},
    };
    std::string text;
    for (const Line& line : kLines) {
        const uint32_t value = Lib.SetupBlock[line.field];
        char buf[64];
        // The values are 32-bit on every host: signed for the decimal lines,
        // unsigned for the hexadecimal ones.
        if (std::string_view(line.format).find('X') != std::string_view::npos) {
            std::snprintf(buf, sizeof buf, line.format, static_cast<unsigned long>(value));
        } else {
            std::snprintf(buf, sizeof buf, line.format,
                          static_cast<long>(static_cast<int32_t>(value)));
        }
        text += buf;
    }
    ReportReplace(text);
}

} // namespace api
