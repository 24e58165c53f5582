#include "platform/services.h"

#include "platform/append_file.h"
#include "platform/atomic_file.h"
#include "platform/clock.h"
#include "platform/file_lock.h"
#include "platform/local_time.h"
#include "platform/module_path.h"
#include "platform/process.h"
#include "platform/prompt.h"
#include "platform/sound.h"
#include "platform/text_viewer.h"
#include "platform/volume_id.h"

namespace platform {

void ResetServices() {
    SetAtomicFileCommitHook(nullptr);
    SetFileAppendHook(nullptr);
    SetFileLocksSkipped(false);
    SetLocalTimeSource({});
    SetClockSource(nullptr);
    SetVolumeSource(nullptr);
    SetPromptService(nullptr);
    SetProcessLauncher(nullptr);
    SetSoundService(nullptr);
    SetPlaybackDeviceOverride(-1);
    SetTextViewer({});
    SetProgramDirectoryOverride({});
}

} // namespace platform
