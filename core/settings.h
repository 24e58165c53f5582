#pragma once
// The setting variables: one 32-bit integer per setup key, plus the string
// settings. Setup files, project files, the dialogs and the library's
// configuration calls all read and write these same variables.

#include <array>
#include <cstdint>
#include <string>

namespace core {

struct SettingsState {
    // Decimal keys, in setup-file order. The older key names
    // EraseFlashSegmA/B and ReadFlashSegmA/B share the variables of
    // EraseInfoSegmB/A and ReadInfoSegmB/A.
    int32_t SelectedProcessorIndex = 0;
    int32_t PowerFromPODEnable = 0;
    int32_t FlashEraseModeIndex = 1;
    int32_t EraseInfoSegmA = 0;
    int32_t EraseInfoSegmB = 0;
    int32_t EraseInfoSegmC = 0;
    int32_t EraseInfoSegmD = 0;
    int32_t EraseInfoA_F2xx_En = 0;
    int32_t ResetModeIndex = 0;
    int32_t CommPortIndex = 0;
    int32_t AdapterIndex = 0;
    int32_t InterfaceType = 0;
    int32_t ReportHistory = 1;
    int32_t CheckDCOconstants_F2xx = 1;
    int32_t RetainInfoCalData = 1;
    int32_t RetainDefinedData = 0;
    int32_t FlashReadModeIndex = 0;
    int32_t ReadInfoSegmA = 0;
    int32_t ReadInfoSegmB = 0;
    int32_t ReadInfoSegmC = 0;
    int32_t ReadInfoSegmD = 0;
    int32_t ReadDefMainMemEn = 0;
    int32_t EraseDefMainMemEn = 0;
    int32_t VerifyModeIndex = 2;
    int32_t SerializationEnable = 0;
    int32_t SNDispFormatIndex = 0;
    int32_t SNMemFormatIndex = 1;
    int32_t ModelTextEnable = 0;
    int32_t ModelTextSize = 2;
    int32_t BlowFuseEnable = 0;
    int32_t ApplicationStartEnable = 0;
    int32_t SNInfoMode = 0;
    int32_t SNExistWarnEn = 1;
    int32_t RemoveCodefromSNlocationEn = 0;
    int32_t CodeFileReload = 0;
    int32_t Custom_SN_size = 4;
    int32_t BarCodeReaderEnable = 0;
    int32_t BarCodeAutoStartEnable = 0;
    int32_t PostAmbleIndex = 0;
    int32_t VccIndex = 5;
    int32_t BSLEnhSecurityEn = 0;
    int32_t BSLEnhSecurityIndex = 0;
    int32_t BSLAppendPasswordEn = 0;
    int32_t DispSkipBlankLines = 1;

    // Address and number keys, written in hexadecimal.
    int32_t EraseFlashStart = 0x1100;
    int32_t EraseFlashStop = 0x45BFF;
    int32_t RetainDataStart = 0x1000;
    int32_t RetainDataStop = 0x1000;
    int32_t ReadStartAddr = 0x1000;
    int32_t ReadStopAddr = 0x45BFF;
    int32_t SNStartAddress = 0x1000;
    int32_t ModelTextStartAddr = 0x1000;
    int32_t Starting_SN = 0;
    int32_t SN_increment = 1;

    // String settings.
    std::string MSP430DLL1; // alternative debug-library paths
    std::string MSP430DLL2;
    std::string Selected_UIF;      // USB adapter name, at most 20 characters
    std::string SNFilePathAndName; // serial-number list file, at most 256 characters
    int32_t SNFileGiven = 0;       // set when a setup line named the list file
    std::string SN_DataFile;
    std::array<std::string, 4> SetupFileX{}; // recent setup files, "SetupFileX1".."SetupFileX4"

    void Reset() { *this = SettingsState{}; }
};

extern SettingsState Settings;

} // namespace core
