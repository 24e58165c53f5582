#include "gui/main_actions.h"

#include "core/code_file_names.h"
#include "core/passwords.h"
#include "core/target_connect.h"
#include "gui/bsl_passw_dlg.h"
#include "gui/combine_files_dlg.h"
#include "gui/main_window_state.h"
#include "gui/memory_view_dlgs.h"
#include "gui/options_dlg.h"
#include "gui/preferences_dlg.h"
#include "gui/reset_option_dlg.h"
#include "gui/main_controls.h"
#include "gui/setup_runners.h"
#include "ui/message_box.h"

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
void OnCombineCodeFiles() {
    CombineFiles combine;
    combine.DoModal();
    // The image is no longer the current file's.
    core::CodeFileNames.CodeFile.Clear();
    MainWindowSetText(1022, "");
    MainWindowSetText(1020, "");
    core::PasswordFromCodeImage();
    if (ui::MessageBox("Combined Code Data Block is completed\r\n\r\n"
                       "Would you like to save the Combined Code Data File ??\r\n\r\n",
                       "Save Combine Code Files", ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES) {
        CodeFileSaveAsMenu();
    }
    MemoryViewDlg view;
    view.DoModal();
}
void OnCodeFileData() {
    MemoryViewDlg view;
    view.DoModal();
}
void OnFlashMemoryData() {
    // What ReadImage holds now; "Copy" needs a read result of READ / COPY.
    TargetMemViewDlg view(false);
    view.DoModal();
}
void OnCompareCodeAndFlash() {}
void OnCompareTwoCodeFiles() {}
void OnMemoryOptions() {
    OptionsDlg options;
    if (options.DoModal() == ui::IDOK) {
        ConnectionCaptionsUpdate();
    }
}
void OnBslPassword() {
    BslPasswordDialogRun();
}
void OnConnectionReset() {
    ResetOptionDlg options;
    if (options.DoModal() == ui::IDOK) {
        core::TargetClose();
        core::TargetOpen();
        ConnectionCaptionsUpdate();
    }
}
void OnPreferences() {
    PreferencesDlg preferences;
    preferences.DoModal();
}
void OnFirmwareVersion() {}
void OnFirmwareDownloader() {}

void RepeatActionSet(int32_t, const std::string&) {}

} // namespace gui
