#include "api/library_start.h"

#include "api/adapter_select.h"
#include "api/api_state.h"
#include "api/direct_access.h"
#include "api/dod430adi.h"
#include "api/lib_setup_file.h"
#include "api/lib_setup_keys.h"
#include "api/lib_target.h"
#include "api/procedure_frame.h"
#include "api/report_log.h"
#include "core/code_file_names.h"
#include "core/code_image.h"
#include "core/code_image_state.h"
#include "core/core_state.h"
#include "core/debug_error_table.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/memory_map.h"
#include "core/passwords.h"
#include "core/progress.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/target_connect.h"
#include "core/target_state.h"
#include "debugif/debug_api_layer.h"
#include "debugif/debug_attach.h"
#include "debugif/in_process_api.h"
#include "platform/module_path.h"
#include "steps/steps.h"

namespace api {

namespace {

constexpr int32_t kInitReady = 1;
constexpr int32_t kInitNoAdapter = 4;
constexpr int32_t kSmallestMainStart = 0x800;

// One less than the first record whose main flash starts at 0x800 or lower.
int32_t DeviceCountOfTable() {
    int32_t r = 1;
    while (r < core::kDeviceInfoTableSize &&
           core::DeviceInfoTable.records[r].flashStart > kSmallestMainStart) {
        ++r;
    }
    return r - 1;
}

} // namespace

std::string HostProgramDirectory() {
    std::string dir = platform::ProgramDirectory();
    if (dir.empty() || dir.back() != '/') {
        dir += '/';
    }
    return dir;
}

void StateReset() {
    // Whole objects through the registry: the code with its passwords and
    // load notes, the file names, the device found, the report.
    core::CodeImageStateReset();
    core::StateObjectsReset(core::CoreStateObjects(), {"CodeFileNames", "ConnectedDevice"});
    core::StateObjectsReset(ApiStateObjects(), {"LibFileNames", "ReportLog"});
    // Single settings among those the host keeps across an initialisation.
    LibSettings.PasswordLoaded = 0;
    core::Settings.SNFilePathAndName.clear();
    core::Settings.SNFileGiven = 0;
    core::Settings.SN_DataFile.clear();
    core::SegmentTableBuild();
    LibKeysDefault();
}

int32_t Initialization() {
    Lib.HostDirectory = HostProgramDirectory();
    core::DeviceTableParse(core::kDeviceFilterAll);
    LibSettings.DeviceCount = DeviceCountOfTable();
    StateReset();
    SetupFileLoad(kSetupStartUp, Lib.HostDirectory + "config.ini");
    std::string description;
    const int32_t selected = AdapterDescription(description);
    if (selected == 0 && AdapterSelect.BootloaderOnly != 0) {
        // The adapter asked for is there, but without its firmware.
        description = core::DebugErrorText(core::kDebugErrorFirmwareErased);
    }
    ReportAppend("Connecting Programming Adapter ...");
    ReportVerdict(selected);
    ReportAppend(description);
    ReportAppend("\r\n");
    return selected != 0 ? kInitReady : kInitNoAdapter;
}

int32_t DeviceInfoItem(int32_t index) {
    int32_t row = core::Settings.SelectedProcessorIndex;
    if (!core::DeviceRowValid(row)) {
        row = 0;
    }
    const core::DeviceInfo& d = core::DeviceInfoTable.records[row];
    const int32_t series = core::DeviceSeriesFromId(row);
    const int32_t layoutRow = series >= 1 && series <= 5 && series != 3 ? series : 1;
    const core::MemoryLayoutRow& layout = core::MemoryMap.layout[layoutRow];
    const int32_t segments = d.kind & 0xF;
    if (index >= 0 && index <= 19) {
        if (d.flashEnd == 0) {
            return 0;
        }
        std::string name = "MSP430F";
        for (size_t i = 0; i < sizeof d.name && d.name[i] != '\0' && d.name[i] != ' '; ++i) {
            name += d.name[i];
        }
        name = name.substr(0, 20);
        return static_cast<size_t>(index) < name.size()
                   ? static_cast<unsigned char>(name[static_cast<size_t>(index)])
                   : 0;
    }
    switch (index) {
    case 20:
        return d.flashStart;
    case 21:
        return d.flashEnd;
    case 22:
        return layout.infoStart;
    case 23:
        return segments != 0 ? (layout.infoEnd - layout.infoStart + 1) / segments : 0;
    case 24:
        return segments;
    case 25:
        return d.ramSize;
    case 26:
        return series;
    case 27:
        return core::DeviceIsSecondIdRow(row);
    default:
        return -1;
    }
}

void LibraryStateReset() {
    core::StateTablesReset({ApiStateObjects()});
}

void LibraryLoad() {
    core::CoreStateReset();
    Lib.HostDirectory = HostProgramDirectory();
    LibKeysDefault();
    LibDebugApiUse(debugif::InProcessDebugApi(), &debugif::TakeLastError);
    LibTargetOpenRuleInstall();
    core::ProgressOperationSet(&ReportProgress, nullptr);
}

void LibraryAttach(const void* module_address, uint32_t reason) {
    int32_t closed = 0;
    if (reason == static_cast<uint32_t>(debugif::kAttachReasonAttach) ||
        reason == static_cast<uint32_t>(debugif::kAttachReasonDetach)) {
        closed = debugif::AttachDebugInterface(module_address, static_cast<int32_t>(reason));
    }
    if (reason == static_cast<uint32_t>(debugif::kAttachReasonDetach)) {
        if (closed == 0) {
            core::Target.supplyMayBeOn = 0;
        }
        // The host reads the report after the detach as well.
        steps::SupplyOffLine(StepsPort());
        core::Target.supplyMayBeOn = 0;
        // The interface is closed and the supply off: the library no longer
        // takes the target for open, powered, identified or active, and no
        // adapter is selected, as before any selection. Whether the host
        // selects by ID is kept: it still gets no adapter it did not choose.
        core::Target.TargetInterfaceOpen = 0;
        core::Target.powerState = 0;
        core::Target.TargetSupplyValue = 0;
        core::ConnectedDevice.TargetIdentified = 0;
        LibTarget.supplyMeasured = 0;
        Lib.TargetActive = 0;
        AdapterSelect.SelectedAdapterId = 0;
        AdapterSelect.SelectedPort.clear();
        core::Settings.Selected_UIF.clear();
    }
}

} // namespace api
