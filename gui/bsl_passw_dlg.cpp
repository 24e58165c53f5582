#include "gui/bsl_passw_dlg.h"
#include "platform/ascii.h"

#include "core/code_file_filter.h"
#include "core/code_file_names.h"
#include "core/code_file_save.h"
#include "core/code_image.h"
#include "core/device_select.h"
#include "core/passwords.h"
#include "core/settings.h"
#include "ui/file_dialog.h"
#include "ui/message_box.h"

#include <cctype>
#include <cstdio>

namespace gui {

namespace {

// The dialog and its controls.
constexpr int kBslDialogId = 20400;
// The 32 password entries start at kBslFirstEntryId.
constexpr int kPasswordNote = 20435; // what the password is, by device family
// BSL Security.
constexpr int kDisableBslCheck = 20433;     // "Disable the BSL"
constexpr int kMode0Radio = 20446;          // "Mode 0"
constexpr int kMode1Radio = 20440;          // "Mode 1"
constexpr int kMode2Radio = 20441;          // "Mode 2"
constexpr int kAppendPasswordCheck = 20442; // "Append the password to the code"
constexpr int kSavePasswordButton = 20443;  // "Save Password.."
constexpr int kCancelButton = 20445;

using ui::ControlKind;

ui::DialogTemplate BslTemplate() {
    std::vector<ui::ControlTemplate> c;
    c.push_back({-1, ControlKind::Group, "BSL Password  (0xFFE0 - 0xFFFF)", {6, 4, 318, 82}});
    for (int row = 0; row < 4; ++row) {
        char label[16];
        std::snprintf(label, sizeof label, "0x%4.4X:", 0xFFE0 + row * 8);
        c.push_back({-1, ControlKind::Static, label, {14, 20 + row * 16, 40, 9}});
        for (int col = 0; col < 8; ++col) {
            c.push_back({kBslFirstEntryId + row * 8 + col,
                         ControlKind::Edit,
                         "",
                         {58 + col * 32, 18 + row * 16, 24, 13}});
        }
    }
    c.push_back({kPasswordNote, ControlKind::Static, "", {8, 92, 316, 36}});
    c.push_back({-1, ControlKind::Group, "BSL Security", {6, 132, 318, 58}});
    c.push_back({kDisableBslCheck, ControlKind::CheckBox, "Disable the BSL", {14, 144, 100, 10}});
    c.push_back({kMode0Radio, ControlKind::Radio, "Mode 0", {124, 144, 60, 10}, ui::STYLE_GROUP});
    c.push_back({kMode1Radio, ControlKind::Radio, "Mode 1", {188, 144, 60, 10}});
    c.push_back({kMode2Radio, ControlKind::Radio, "Mode 2", {252, 144, 60, 10}});
    c.push_back({kAppendPasswordCheck,
                 ControlKind::CheckBox,
                 "Append the password to the code",
                 {14, 162, 170, 10}});
    c.push_back({kSavePasswordButton, ControlKind::Button, "Save Password..", {14, 196, 80, 14}});
    c.push_back({ui::IDOK, ControlKind::Button, "OK", {198, 196, 60, 14}});
    c.push_back({kCancelButton, ControlKind::Button, "Cancel", {264, 196, 60, 14}});
    return ui::DialogTemplate{kBslDialogId, "BSL Password and Access", 330, 216, std::move(c)};
}

int32_t CodeByte(int32_t address) {
    const int32_t at = core::ImageIndex(address);
    return core::Images.CodeImage.used[at] ? core::Images.CodeImage.data[at] : -1;
}

std::string ByteText(int32_t b) {
    if (b < 0) {
        return "";
    }
    char buf[12];
    std::snprintf(buf, sizeof buf, "%2.2X", static_cast<unsigned>(b & 0xFF));
    return buf;
}

// One or two hex digits, either case; anything else is not defined.
int32_t ParseEntry(const std::string& text) {
    if (text.empty() || text.size() > 2) {
        return -1;
    }
    int32_t v = 0;
    for (char ch : text) {
        if (!platform::AsciiIsHexDigit(ch)) {
            return -1;
        }
        v = v * 16 + (platform::AsciiIsDigit(ch) ? ch - '0' : platform::AsciiUpper(ch) - 'A' + 10);
    }
    return v;
}

} // namespace

BSLPasswDlg::BSLPasswDlg() : ui::Dialog(BslTemplate()) {
    Map(ui::BN_CLICKED, kSavePasswordButton, [this] { Save(); });
    Map(ui::BN_CLICKED, ui::IDOK, [this] { OnOkButton(); });
    Map(ui::BN_CLICKED, kCancelButton, [this] { EndDialog(ui::IDCANCEL); });
}

bool BSLPasswDlg::OnInitDialog() {
    const int32_t series = core::SelectedDevice.series;
    for (int32_t i = 0; i < core::kPasswordSize; ++i) {
        const int32_t code = CodeByte(core::kPasswordStart + i);
        // The reset vector, bytes the code defines and, on devices with a
        // 16-byte password, the first half belong to the code file.
        editable_[i] = i < 30 && code < 0 && !(series > 4 && i < 16);
        const int id = kBslFirstEntryId + i;
        SetLimitText(id, 2);
        SetItemText(id, ByteText(editable_[i] ? core::Passwords.AppendPasswData[i] : code));
        SetReadOnly(id, !editable_[i]);
    }
    const int32_t word = core::SelectedDevice.flashEnd > 0xFFFF ? 0xFFBE : 0xFFDE;
    const bool offered = CodeByte(word) < 0 && CodeByte(word + 1) < 0 && series >= 2 && series <= 4;
    CheckDlgButton(kDisableBslCheck, core::Settings.BSLEnhSecurityEn != 0);
    static constexpr int kModes[] = {kMode0Radio, kMode1Radio, kMode2Radio};
    const int32_t mode = core::Settings.BSLEnhSecurityIndex;
    for (int k = 0; k < 3; ++k) {
        CheckDlgButton(kModes[k], k == (mode >= 0 && mode <= 2 ? mode : 0));
    }
    for (int id : {kDisableBslCheck, kMode0Radio, kMode1Radio, kMode2Radio}) {
        EnableItem(id, offered);
    }
    CheckDlgButton(kAppendPasswordCheck, core::Settings.BSLAppendPasswordEn != 0);
    SetItemText(
        kPasswordNote,
        series <= 4
            ? "The BSL password itself consist 32 bytes on location FFE0 to FFFF. After mass "
              "erase all unspecified password data will be FF. It is strongly recommended to "
              "initialize unused data to increase code security."
            : "(F5xx) The BSL password itself consist 16 bytes on location FFF0 to FFFF. "
              "After mass erase all unspecified password data will be FF. It is strongly "
              "recommended to initialize unused data to increase code security.");
    return true;
}

int32_t BSLPasswDlg::Entry(int32_t i) const {
    return ParseEntry(GetItemText(kBslFirstEntryId + i));
}

bool BSLPasswDlg::Editable(int32_t i) const {
    return editable_[i];
}

void BSLPasswDlg::Save() {
    uint8_t block[core::kPasswordSize];
    const bool append = IsDlgButtonChecked(kAppendPasswordCheck) != 0;
    for (int32_t i = 0; i < core::kPasswordSize; ++i) {
        const int32_t code = CodeByte(core::kPasswordStart + i);
        const int32_t entry = Entry(i);
        block[i] = static_cast<uint8_t>(code >= 0 ? code : (append && entry >= 0 ? entry : 0xFF));
    }
    ui::FileDialogOptions o;
    o.open = false;
    o.filter = core::CodeFileSaveFilter(1);
    o.defaultExt = "txt";
    o.fileName = "BSLPassword.txt";
    o.initialDir = core::CodeFileNames.CodeFile.directory;
    if (const std::optional<std::string> path = ui::FileDialog(o)) {
        core::CodeFileSaveBlockAs(*path, core::kPasswordStart, core::kPasswordSize, block, nullptr,
                                  0, 0);
    }
}

void BSLPasswDlg::OnOkButton() {
    const bool disable = IsDlgButtonChecked(kDisableBslCheck) != 0;
    const int32_t mode = IsDlgButtonChecked(kMode1Radio)   ? 1
                         : IsDlgButtonChecked(kMode2Radio) ? 2
                                                           : 0;
    if (disable && mode == 0 &&
        ui::MessageBox("The BSL interface will be permanently disabled!!!\r\n\r\n"
                       "When the JTAG Security fuse is blown, then an access  \r\n"
                       "to the target device will not be accessible any more.   \r\n\r\n"
                       "Please confirm selection:\r\n\r\n",
                       "Warning", ui::MB_YESNO | ui::MB_ICONWARNING) != ui::IDYES) {
        return;
    }
    core::Settings.BSLEnhSecurityEn = disable ? 1 : 0;
    core::Settings.BSLEnhSecurityIndex = mode;
    core::Settings.BSLAppendPasswordEn = IsDlgButtonChecked(kAppendPasswordCheck) != 0 ? 1 : 0;
    for (int32_t i = 0; i < core::kPasswordSize; ++i) {
        if (Editable(i)) {
            core::Passwords.AppendPasswData[i] = Entry(i);
        }
    }
    EndDialog(ui::IDOK);
}

int BslPasswordDialogRun() {
    BSLPasswDlg dialog;
    return dialog.DoModal();
}

} // namespace gui
