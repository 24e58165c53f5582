#include "gui/main_actions.h"

namespace gui {

void OnAutoProgram() {}
void OnPowerOnOff() {}
void OnEraseFlash() {}
void OnVerifyFuse() {}
void OnWriteFlash() {}
void OnVerifyFlash() {}
void OnBlankCheck() {}
void OnReadCopy() {}
void OnWriteSnModel() {}
void OnNext() {}
void OnBlowFuse() {}
void OnResetTarget() {}
void OnReadSn() {}
void OnOpenCodeFile() {}
void OnCombineCodeFiles() {}
void OnCodeFileData() {}
void OnFlashMemoryData() {}
void OnPendingSnList() {}
void OnCompareCodeAndFlash() {}
void OnCompareTwoCodeFiles() {}
void OnMemoryOptions() {}
void OnBslPassword() {}
void OnConnectionReset() {}
void OnPreferences() {}
void OnSerializationSetup() {}
void OnSerializationReport() {}
void OnFirmwareVersion() {}
void OnFirmwareDownloader() {}

void RepeatActionSet(int32_t, const std::string&) {}

} // namespace gui
