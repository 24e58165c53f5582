#pragma once
// The library's own global state beside the core's: the host buffers, the
// setup block, the presentation mode, the procedure frame's flags, the
// library settings that have no setup key in the core, and the file names
// of the code and password files. Each struct has a Reset back to the
// values the library holds when it is loaded.

#include "core/code_file_names.h"
#include "core/state_registry.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace api {

inline constexpr int32_t kSetupBlockSize = 30;
inline constexpr int32_t kBufferSize = 0x45C00; // host buffers: index = target address
inline constexpr int32_t kBufferLast = kBufferSize - 1;
inline constexpr int32_t kReportSnapshotSize = 1024;
inline constexpr int32_t kDcoEntries = 8;

struct LibraryState {
    std::array<uint32_t, kSetupBlockSize> SetupBlock{};
    int32_t PromptsEnabled = 1; // 1: procedures may ask the operator
    int32_t RunDirect = 0;      // 2: procedures run on the caller's thread without the dialog
    int32_t ProcedureCode = 0;
    int32_t ProcedureArgument = 0;
    int32_t ProcedureResult = 0;
    std::vector<uint8_t> WriteBuffer = std::vector<uint8_t>(kBufferSize, 0);
    std::vector<uint8_t> ReadBuffer = std::vector<uint8_t>(kBufferSize, 0);
    std::array<char, kReportSnapshotSize> ReportSnapshot{};
    std::string HostDirectory; // the host program's directory with its trailing '/'
    std::string ApiDirectory;  // kept only: the device list is built in
    int32_t TargetActive = 0;  // 1 from a successful open until a finish or close
    int32_t FuseBlown = 0;     // 1 when the last connect found the security fuse blown
    // What the last code file read told the host: the device row selected
    // when it answered 0x40 (-1 when it did not) and the code image it
    // judged (its generation). Set by every read, kept until the next one
    // or the library's reset; a cleared code image is another generation.
    int32_t CodeOutsideToldRow = -1;
    uint32_t CodeOutsideToldImage = 0;

    void Reset() { *this = LibraryState{}; }
};

extern LibraryState Lib;

// The working settings of the library that the core's settings do not hold.
struct LibSettingsState {
    int32_t Interface = 0; // setup block field 0: 0 by device type, 3 forced 2-wire
    int32_t BSLSpeedIndex = 1;
    int32_t ResetTimeIndex = 0;
    int32_t BeepEnable = 0;
    int32_t JTAGSpeedIndex = 0;
    int32_t CustomResetPulseTime = 0;
    int32_t CustomResetIdleTime = 0;
    int32_t RstVccToggleTime = 50;
    int32_t ApplResetVccTime = 0;
    int32_t ApplicationRunTime = 0; // seconds a started application runs; 0 for ever
    int32_t FinishAdapterSetting = 0;
    std::array<int32_t, 3> StoredSettings{0, 1, 0}; // indices 40..42
    std::array<int32_t, kDcoEntries> DcoEnable{};
    std::array<int32_t, kDcoEntries> DcoFrequency{}; // kHz
    int32_t StoredSetting59 = 0;
    int32_t DCO_base_address = 0x10F0;
    int32_t StoredSetting61 = 0;
    int32_t DcoRecalibration = 1;
    // The highest row of the device table: the maximum of
    // SelectedProcessorIndex in setup files. 99 until the table is built.
    int32_t DeviceCount = 99;
    int32_t PasswordLoaded = 0; // the password file gave all of 0xFFE2..0xFFFF

    void Reset() { *this = LibSettingsState{}; }
};

extern LibSettingsState LibSettings;

// The code and password files named by the host or a setup file.
struct LibFileNamesState {
    core::FileNameParts CodeFile;
    core::FileNameParts PasswordFile;

    void Reset() { *this = LibFileNamesState{}; }
};

extern LibFileNamesState LibFileNames;

// The library's state objects (its table in the registry of
// core/state_registry.h): Lib, LibSettings, LibFileNames, the target,
// the report log, the adapter choice, direct access, the procedure frame
// and the dialog run.
core::StateTable ApiStateObjects();

// Quillcore as a whole: the core's tables, the debug interface's state and
// link time-outs (inside the library) and the library's own.
void QuillcoreStateReset();

} // namespace api
