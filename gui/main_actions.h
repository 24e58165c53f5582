#pragma once
// The handlers behind the main window's action buttons and menu items:
// AUTO PROGRAM, the single actions and NEXT, and the menus' dialogs.

#include <cstdint>
#include <string>

namespace gui {

// Action buttons.
void OnAutoProgram(); // 1001
void OnPower();       // 1002
void OnEraseFlash();  // 1003
void OnVerifyFuse();  // 1004
void OnWriteFlash();  // 1005
void OnVerifyFlash(); // 1006
void OnBlankCheck();  // 1007
void OnReadCopy();    // 1008
void OnWriteSn();     // 1009
void OnNext();        // 1017, F5
void OnBlowFuse();    // 1018
void OnReset();       // 1019
void OnReadSn();      // 1012

// Menu commands.
void CombineRun();            // 216
void OnCodeFileData();        // 180
void OnFlashMemoryData();     // 199
void OnPendingSnList();       // 21
void CompareCodeAndFlash();   // 214
void CompareTwoCodeFiles();   // 232
void OnMemoryOptions();       // 194
void OnBslPassword();         // 225
void OnConnectionReset();     // 220
void OnPreferences();         // 221
void OnSerializationSetup();  // 195
void OnSerializationReport(); // 219

// The action NEXT repeats: code and name; with the setup locked always
// AUTO PROGRAM (code 1).
void RepeatActionSet(int32_t code, const std::string& name);
// The fuse option's check box (1037).
void OnFuseEnable();

} // namespace gui
