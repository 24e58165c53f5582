#pragma once
// The main window's state handlers: the setup lock and what it enables, the
// interface, port and memory-option captions, the fuse controls, the Vcc
// selector, the code-file reload box, the serialization fields and the
// serial-number list file, and the About box.

#include <cstdint>

namespace gui {

// LockOptions bits beside the project's (1, 2, 4) and "-lock" (0x20).
inline constexpr int32_t kLockUnlockedByPassword = 8;
inline constexpr int32_t kLockByOperator = 0x10;

// Menu "Lock/Unlock Setup": the project password for a project lock, else
// the operator's question.
void OnLockUnlockSetup();

// Fuse boxes, window captions, and what the lock enables (only while the
// main window exists).
void MainDialogRefresh();
// Buttons, selectors and menu items by the lock and LockOptions.
void ControlsEnableByLock();

// Interface (1184) and port (1185) captions, then the memory option.
void ConnectionCaptionsUpdate();
// Control 1186 by FlashEraseModeIndex.
void MemoryOptionCaptionUpdate();
// The two fuse check boxes, "Verify Security Fuse" and BLOW FUSE.
void FuseControlsUpdate();
// At start-up: fuse blowing stays enabled only when the operator confirms.
void FuseEnableConfirm();

// Selects VccIndex & 7 in combo 1028, enabled only while unlocked.
void VccComboUpdate();
void OnVccSelect();      // CBN_SELCHANGE 1028
void OnReloadCodeFile(); // check box 1033
void OnSnTotalChange();  // EN_CHANGE 1052 ("Total:")
void OnSnFile();         // button 1011

// The About box (dialog 100) with the program's version as part number.
void AboutDialog();

} // namespace gui
