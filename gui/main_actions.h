#pragma once
// The handlers behind the main window's action buttons and menu items that
// the procedures, state handlers and dialogs fill in. Until they are built
// each does nothing.

#include <cstdint>
#include <string>

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

// Menu commands.
void OnCombineCodeFiles();  // 216
void OnCodeFileData();      // 180
void OnFlashMemoryData();   // 199
void OnPendingSnList();     // 21
void OnCompareCodeAndFlash(); // 214
void OnCompareTwoCodeFiles(); // 232
void OnMemoryOptions();     // 194
void OnBslPassword();       // 225
void OnConnectionReset();   // 220
void OnPreferences();       // 221
void OnSerializationSetup(); // 195
void OnSerializationReport(); // 219
void OnFirmwareVersion();   // 233
void OnFirmwareDownloader(); // 228

// The action NEXT repeats: code (1 AUTO PROGRAM) and its name (comes with
// the procedures; does nothing yet).
void RepeatActionSet(int32_t code, const std::string& name);

} // namespace gui
