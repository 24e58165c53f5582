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
void OnCodeFileReload() {}
void OnSnListFile() {}
void OnDeviceSelect() {}
void OnGroupSelect() {}
void OnVccSelect() {}
void OnSnTotalChange() {}
void OnSaveProjectAs() {}
void OnLoadSetup() {}
void OnSaveSetup() {}
void OnSaveSetupAs() {}
void OnCombineCodeFiles() {}
void OnSaveCodeAs() {}
void OnSaveMemoryAs() {}
void OnRecentSetup(int) {}
void OnCodeFileData() {}
void OnFlashMemoryData() {}
void OnPendingSnList() {}
void OnCompareCodeAndFlash() {}
void OnCompareTwoCodeFiles() {}
void OnLockUnlockSetup() {}
void OnMemoryOptions() {}
void OnBslPassword() {}
void OnConnectionReset() {}
void OnPreferences() {}
void OnSerializationSetup() {}
void OnSerializationReport() {}
void OnFirmwareVersion() {}
void OnFirmwareDownloader() {}
void OnAboutSoftware() {}

} // namespace gui
