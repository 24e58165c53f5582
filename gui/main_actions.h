#pragma once
// The handlers behind the main window's action buttons and menu items that
// the procedures, state handlers and dialogs fill in. Until they are built
// each does nothing.

namespace gui {

// Action buttons.
void OnAutoProgram();     // 1001
void OnPowerOnOff();      // 1002
void OnEraseFlash();      // 1003
void OnVerifyFuse();      // 1004
void OnWriteFlash();      // 1005
void OnVerifyFlash();     // 1006
void OnBlankCheck();      // 1007
void OnReadCopy();        // 1008
void OnWriteSnModel();    // 1009
void OnNext();            // 1017, F5
void OnBlowFuse();        // 1018
void OnResetTarget();     // 1019
void OnReadSn();          // 1012

// Controls of the window's state.
void OnOpenCodeFile();      // 1010, menu 120
void OnCodeFileReload();    // 1033
void OnSnListFile();        // 1011
void OnDeviceSelect();      // 1014
void OnGroupSelect();       // 1021
void OnVccSelect();         // 1028
void OnSnTotalChange();     // 1052

// Menu commands.
void OnSaveProjectAs();     // 24
void OnLoadSetup();         // 153
void OnSaveSetup();         // 154
void OnSaveSetupAs();       // 155
void OnCombineCodeFiles();  // 216
void OnSaveCodeAs();        // 217
void OnSaveMemoryAs();      // 223
void OnRecentSetup(int slot); // 203, 205, 206, 207: slots 1..4
void OnCodeFileData();      // 180
void OnFlashMemoryData();   // 199
void OnPendingSnList();     // 21
void OnCompareCodeAndFlash(); // 214
void OnCompareTwoCodeFiles(); // 232
void OnLockUnlockSetup();   // 218
void OnMemoryOptions();     // 194
void OnBslPassword();       // 225
void OnConnectionReset();   // 220
void OnPreferences();       // 221
void OnSerializationSetup(); // 195
void OnSerializationReport(); // 219
void OnFirmwareVersion();   // 233
void OnFirmwareDownloader(); // 228
void OnAboutSoftware();     // 122

} // namespace gui
