#include "gui/main_dialog.h"

#include "core/debug_lib.h"
#include "core/progress.h"
#include "core/settings.h"
#include "core/setup_file.h"
#include "core/target_connect.h"
#include "gui/adapter_tools.h"
#include "gui/artwork.h"
#include "gui/barcode_input.h"
#include "gui/code_file_actions.h"
#include "gui/command_line.h"
#include "gui/device_selectors.h"
#include "gui/link_watch.h"
#include "gui/main_actions.h"
#include "gui/main_controls.h"
#include "gui/main_ids.h"
#include "gui/main_layout.h"
#include "gui/main_window_state.h"
#include "gui/procedure_frame.h"
#include "gui/serial_number.h"
#include "gui/setup_runners.h"
#include "gui/startup_load.h"
#include "gui/startup_view.h"
#include "gui/status_lamps.h"
#include "platform/module_path.h"
#include "platform/process.h"
#include "platform/prompt.h"
#include "platform/text_viewer.h"
#include "ui/termination.h"
#include "ui/transcript.h"

#include <algorithm>

namespace gui {

MainWindowState MainWindow;

void MainWindowSetText(int32_t id, const std::string& text) {
    if (MainWindow.TheMainDialog != nullptr) {
        MainWindow.TheMainDialog->SetItemText(id, text);
    }
}

std::string MainWindowText(int32_t id) {
    return MainWindow.TheMainDialog != nullptr ? MainWindow.TheMainDialog->GetItemText(id)
                                               : std::string();
}

void MainWindowMenuEnable(int32_t id, bool enable) {
    if (MainWindow.TheMainDialog != nullptr) {
        MainWindow.TheMainDialog->EnableMenuItem(id, enable);
    }
}

void TerminationSignalsCatch() {
    ui::TerminationSignalsCatch();
}

bool TerminationRequested() {
    return ui::TerminationRequested();
}

void TerminationRequestClear() {
    ui::TerminationClear();
}

namespace {

// A file the viewer was to show stays where it was written: the operator
// is told where, since no window opened on it.
void ViewerFailed(const std::string& path) {
    platform::ShowMessageBox("The file could not be shown: no viewer (xdg-open) could be "
                             "started.\r\n\r\nIt was written to:\r\n" +
                                 path,
                             "Information", platform::MB_OK | platform::MB_ICONINFORMATION);
}

} // namespace

MainDialog::MainDialog() : ui::Dialog(MainDialogTemplate()) {
    platform::SetViewerFailedHandler(ViewerFailed);
    const std::pair<int, void (*)()> buttons[] = {
        {kMainAutoProgramButton, OnAutoProgram},
        {kMainPowerButton, OnPower},
        {kMainEraseFlashButton, OnEraseFlash},
        {kMainVerifyFuseButton, OnVerifyFuse},
        {kMainWriteFlashButton, OnWriteFlash},
        {kMainVerifyFlashButton, OnVerifyFlash},
        {kMainBlankCheckButton, OnBlankCheck},
        {kMainReadCopyButton, OnReadCopy},
        {kMainWriteSnButton, OnWriteSn},
        {kMainNextButton, OnNext},
        {kMainBlowFuseButton, OnBlowFuse},
        {kMainResetButton, OnReset},
        {kMainReadSnButton, OnReadSn},
        {kMainOpenCodeFileButton, CodeFileOpen},
        {kMenuOpenCodeFile, CodeFileOpen},
        {kMainReloadCodeFileCheck, OnReloadCodeFile},
        {kMainSnFileButton, OnSnFile},
        {kMainFuseEnableCheck, OnFuseEnable},
        // Menu commands.
        {kMenuSaveProjectAs, ProjectSaveAsCommand},
        {kMenuLoadSetup, SetupLoad},
        {kMenuSaveSetup, SetupSave},
        {kMenuSaveSetupAs, SetupSaveAs},
        {kMenuCombineCodeFiles, CombineRun},
        {kMenuSaveCodeAs, CodeFileSaveAsMenu},
        {kMenuSaveMemoryAs, MemorySaveAsMenu},
        {kMenuCodeFileData, OnCodeFileData},
        {kMenuFlashMemoryData, OnFlashMemoryData},
        {kMenuPendingSnList, OnPendingSnList},
        {kMenuCompareCodeAndFlash, CompareCodeAndFlash},
        {kMenuCompareTwoCodeFiles, CompareTwoCodeFiles},
        {kMenuLockUnlockSetup, OnLockUnlockSetup},
        {kMenuMemoryOptions, OnMemoryOptions},
        {kMenuBslPassword, OnBslPassword},
        {kMenuConnectionReset, OnConnectionReset},
        {kMenuPreferences, OnPreferences},
        {kMenuSerializationSetup, OnSerializationSetup},
        {kMenuSerializationReport, OnSerializationReport},
        {kMenuFirmwareVersion, AdapterFirmwareVersionShow},
        {kMenuFirmwareDownloader, AdapterFirmwareDownload},
        {kMenuAbout, AboutDialog},
    };
    for (const auto& [id, handler] : buttons) {
        OnCommand(id, handler);
    }
    OnCommand(kMenuOpenProject, [] { ProjectOpenCommand(""); });
    OnCommand(kMenuNewSetup, [] { NewSetupDefaults(); });
    const std::pair<int, int> recent[] = {{kMenuRecentSetup1, 1},
                                          {kMenuRecentSetup2, 2},
                                          {kMenuRecentSetup3, 3},
                                          {kMenuRecentSetup4, 4}};
    for (const auto& [id, slot] : recent) {
        OnCommand(id, [slot = slot] { RecentSetupOpen(slot); });
    }
    OnCommand(kMenuExit, [this] { OnExit(); });
    OnCommand(kMenuUserGuide, [this] { UserGuideOpen(); });
    OnCommand(kMenuSupport, [] { platform::StartDetached({"xdg-open", kSupportAddress}); });
    OnCommand(kMenuWeb, [] { platform::StartDetached({"xdg-open", kWebAddress}); });

    Map(ui::CBN_SELCHANGE, kMainDeviceCombo, OnDeviceSelect);
    Map(ui::CBN_SELCHANGE, kMainGroupCombo, OnGroupSelect);
    Map(ui::CBN_SELCHANGE, kMainVccCombo, OnVccSelect);
    Map(ui::EN_CHANGE, kMainSnTotalEdit, OnSnTotalChange);
    Map(ui::EN_CHANGE, kMainModelEdit, [] {});
    Map(ui::EN_CHANGE, kMainNextSnEdit, [] { SerialNumber.ManualSnFlag = 1; });
    // Enter does nothing: a scanner's CR must start nothing, and the window
    // stays open.
    OnCommand(ui::IDOK, [] {});
    OnCommand(ui::IDCANCEL, [this] { OnExit(); });
    MapClose([this] { OnExit(); });
}

MainDialog::~MainDialog() {
    if (MainWindow.TheMainDialog == this) {
        MainWindow.TheMainDialog = nullptr;
        MainWindow.MainDialogExists = 0;
    }
    StatusDisplay.draw = nullptr;
    core::ProgressOperationSet(nullptr, nullptr);
    platform::SetViewerFailedHandler(nullptr);
}

bool MainDialog::OnInitDialog() {
    SetMenu(MainMenuTemplate());
    MainWindow.TheMainDialog = this;
    Startup.CurrentDirectory = WorkingDirectory();
    if (OptionFind("-") == 0) {
        StartUp2View splash;
        splash.DoModal();
    }

    SetRange(kMainProgressBar, 0, 100);
    for (const char* choice : kVccChoices) {
        AddString(kMainVccCombo, choice);
    }
    StatusDisplay.draw = [this](int32_t bitmap, int32_t x, int32_t y) { LampDraw(bitmap, x, y); };
    const ui::Size client = ClientSize();
    StatusLampsScale(client.width, client.height);

    // Serialization reports only exist with serialization on; the refresh
    // after the load enables it then.
    EnableMenuItem(kMenuSerializationReport, false);
    MainWindow.MainDialogExists = 0;
    SetupRunner.FlashWrittenFlags = 3;

    StartupLoad();
    VccComboUpdate();
    RecentSetupsMenuUpdate();

    Startup.ProgramPath = platform::ProgramPath();
    core::DebugLibLoad();
    LinkWatchInstall();
    core::TargetOpen();
    core::TargetPowerSet(0);
    core::TargetVccEstimate();

    MainWindow.MainDialogExists = 1;
    // The core's long target loops move the progress bar.
    core::ProgressOperationSet([](int32_t percent, void*) { ProgressBarSetPos(percent); }, nullptr);
    // The load ran before the window existed: bring the controls in line
    // with a locked setup or project now.
    MainDialogRefresh();
    FuseEnableConfirm();
    ConnectionCaptionsUpdate();

    SetTimer(kMainTimer, kMainTimerMs);
    return true;
}

void MainDialog::OnTimer(int id) {
    if (id == kMainTimer) {
        VccDisplayUpdate();
        StatusLampsRepaintWhenStale();
        // A viewer that failed after its first second: the operator still
        // learns where its file is.
        platform::TextViewerLateFailuresReport();
    }
}

void MainDialog::LampDraw(int32_t bitmap, int32_t x, int32_t y) {
    if (paint_ != nullptr) {
        paint_->DrawBitmap(bitmap, x, y);
    } else {
        // Lamps are drawn only by a paint: ask for one.
        Invalidate();
    }
}

void MainDialog::OnPaint(ui::PaintContext& paint) {
    // A paint draws the window anew, so every lamp is drawn each time.
    paint_ = &paint;
    StatusDisplay.forcePaint = 1;
    StatusLampsPaint();
    paint_ = nullptr;
}

void MainDialog::RunCommand(int id) {
    if (!IsItemEnabled(id)) {
        ui::TranscriptAdd("[107] refused command " + std::to_string(id) + ": disabled");
        return;
    }
    ui::TranscriptAdd("[107] command " + std::to_string(id) +
                      (SerialNumber.SnFromBarcode == 1 ? " with scanned SN" : ""));
    if (id == kMainNextButton) {
        OnNext();
    } else if (id == kMainAutoProgramButton) {
        OnAutoProgram();
    }
}

void MainDialog::BarcodeTerminated() {
    const int32_t n = std::min(SnTextLength(), kBarcodeHistorySize);
    const std::string text = BarcodeText(n);
    // An empty capture is a stray terminator (a second CR after a scan):
    // it must not start a run without a number.
    if (!BarcodeCameFast() || text.empty()) {
        return;
    }
    SetItemText(kMainNextSnEdit, text);
    SerialNumber.ManualSnFlag = 1;
    BarcodeHistoryClear();
    if (core::Settings.BarCodeAutoStartEnable == 1) {
        SerialNumber.SnFromBarcode = 1;
        RunCommand(kMainAutoProgramButton);
        SerialNumber.SnFromBarcode = 0;
    }
}

bool MainDialog::PreTranslateMessage(const ui::KeyMessage& key) {
    if (key.vk == ui::VK_F5) {
        // A held F5 repeats its key: the action runs once.
        if (!key.repeat) {
            RunCommand(kMainNextButton);
        }
        return true;
    }
    if (core::Settings.BarCodeReaderEnable != 1 || core::Settings.SerializationEnable != 1) {
        return false;
    }
    const int32_t terminator = BarcodeTerminatorKey(core::Settings.PostAmbleIndex);
    if (terminator != 0 && key.vk == static_cast<uint32_t>(terminator)) {
        BarcodeTerminated();
        return false;
    }
    if (key.ch == 0 || key.vk == ui::VK_TAB || key.vk == ui::VK_RETURN || key.vk == ui::VK_ESCAPE) {
        return false;
    }
    BarcodeCharacterCollect(static_cast<int32_t>(key.ch), TickCount());
    return true;
}

void MainDialog::OnExit() {
    if (MainWindow.onExit) {
        MainWindow.onExit(*this);
    }
    KillTimer(kMainTimer);
    core::SetupFileWrite(core::kSetupCodeFileLine | core::kSetupRecentFiles, Startup.ConfigPath);
    core::TargetClose();
    MainWindow.MainDialogExists = 0;
    EndDialog(ui::IDOK);
}

void MainDialog::UserGuideOpen() {
    std::string path = Startup.CurrentDirectory;
    if (path.empty() || path.back() != '/') {
        path += '/';
    }
    path += kManualName;
    platform::StartDetached({Startup.PdfReaderName, path});
}

} // namespace gui
