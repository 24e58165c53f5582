#include "core/core_state.h"

#include "core/code_file_names.h"
#include "core/code_image_state.h"
#include "core/code_writer.h"
#include "core/debug_api.h"
#include "core/debug_lib.h"
#include "core/device_select.h"
#include "core/device_table.h"
#include "core/flash_state.h"
#include "core/line_reader.h"
#include "core/memory_map.h"
#include "core/progress.h"
#include "core/segment_table.h"
#include "core/settings.h"
#include "core/setup_file.h"
#include "core/target_state.h"

namespace core {

void CoreStateReset() {
    LineReader.Reset();
    DeviceInfoTable.Reset();
    SelectedDevice.Reset();
    ConnectedDevice.Reset();
    MemoryMap.Reset();
    SegmentTable.Reset();
    Settings.Reset();
    CodeImageStateReset();
    Target.Reset();
    FlashOps.Reset();
    Progress.Reset();
    DebugLib.Reset();
    DebugApiUse(nullptr);
    CodeWriter.Reset();
    CodeFileNames.Reset();
    SetupFiles.Reset();
}

} // namespace core
