#pragma once
// The setting variables: one 32-bit integer per setup key, plus the string
// settings. Setup files, project files, the dialogs and the library's
// configuration calls all read and write these same variables.

#include <array>
#include <cstdint>
#include <string>

namespace core {

struct SettingsState {
    // The key values have no initialisers of their own: their "New Setup"
    // defaults are in the key tables (core/setup_keys.h), which Reset applies.
    // Decimal keys, in setup-file order. The older key names
    // EraseFlashSegmA/B and ReadFlashSegmA/B share the variables of
    // EraseInfoSegmB/A and ReadInfoSegmB/A.
    int32_t SelectedProcessorIndex{};
    int32_t PowerFromPODEnable{};
    int32_t FlashEraseModeIndex{};
    int32_t EraseInfoSegmA{};
    int32_t EraseInfoSegmB{};
    int32_t EraseInfoSegmC{};
    int32_t EraseInfoSegmD{};
    int32_t EraseInfoA_F2xx_En{};
    int32_t ResetModeIndex{};
    int32_t CommPortIndex{};
    int32_t AdapterIndex{};
    int32_t InterfaceType{};
    int32_t ReportHistory{};
    int32_t CheckDCOconstants_F2xx{};
    int32_t RetainInfoCalData{};
    int32_t RetainDefinedData{};
    int32_t FlashReadModeIndex{};
    int32_t ReadInfoSegmA{};
    int32_t ReadInfoSegmB{};
    int32_t ReadInfoSegmC{};
    int32_t ReadInfoSegmD{};
    int32_t ReadDefMainMemEn{};
    int32_t EraseDefMainMemEn{};
    int32_t VerifyModeIndex{};
    int32_t SerializationEnable{};
    int32_t SNDispFormatIndex{};
    int32_t SNMemFormatIndex{};
    int32_t ModelTextEnable{};
    int32_t ModelTextSize{};
    int32_t BlowFuseEnable{};
    int32_t ApplicationStartEnable{};
    int32_t SNInfoMode{};
    int32_t SNExistWarnEn{};
    int32_t RemoveCodefromSNlocationEn{};
    int32_t CodeFileReload{};
    int32_t Custom_SN_size{};
    int32_t BarCodeReaderEnable{};
    int32_t BarCodeAutoStartEnable{};
    int32_t PostAmbleIndex{};
    int32_t VccIndex{};
    int32_t BSLEnhSecurityEn{};
    int32_t BSLEnhSecurityIndex{};
    int32_t BSLAppendPasswordEn{};
    int32_t DispSkipBlankLines{};

    // Address and number keys, written in hexadecimal.
    int32_t EraseFlashStart{};
    int32_t EraseFlashStop{};
    int32_t RetainDataStart{};
    int32_t RetainDataStop{};
    int32_t ReadStartAddr{};
    int32_t ReadStopAddr{};
    int32_t SNStartAddress{};
    int32_t ModelTextStartAddr{};
    int32_t Starting_SN{};
    int32_t SN_increment{};

    // String settings.
    std::string MSP430DLL1; // alternative debug-library paths
    std::string MSP430DLL2;
    std::string Selected_UIF;      // USB adapter name, at most 20 characters
    std::string SNFilePathAndName; // serial-number history file, at most 256 characters
    int32_t SNFileGiven = 0;       // set when a setup line named the list file
    std::string SN_DataFile;       // serial-number list file ("from File" serialization)
    std::array<std::string, 4> RecentSetups{}; // recent setup files, "SetupFileX1".."SetupFileX4"

    // Strings empty, flags 0, every key at its table default.
    void Reset();
};

extern SettingsState Settings;

} // namespace core
