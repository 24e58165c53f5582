#pragma once
// The four serialization dialogs: setup ("Serialization", 190), the history
// report ("Serialization Report", 215), the SN editor of the WRITE SN step
// ("Serial Number Editor", 225) and the pending SN list ("Serial numbers
// list from the file", 226).

#include "ui/dialog.h"

#include <cstdint>
#include <string>

namespace gui {

inline constexpr int IDD_SERIAL = 190;
inline constexpr int IDD_SER_STAT = 215;
inline constexpr int IDD_SN_EDIT = 225;
inline constexpr int IDD_SN_LIST_VIEW = 226;

// The serialization settings: the SN and model-text keys of the setup, the
// model text, the history path and the bar-code scanner's. SerialDlg edits
// a copy, taken on opening and stored on OK.
struct SerialNumberSettings {
    int32_t type = 0, mode = 0, snStart = 0x1000, customSize = 4, startingSn = 0, increment = 1;
    int32_t enable = 0, modelEnable = 0, modelSize = 2, modelStart = 0x1000, modelMode = 0;
    std::string modelText; // as the edit shows it
    std::string path;
    int32_t barcode = 0, barcodeAutoStart = 0, postAmble = 0, existWarn = 0, removeCode = 0;

    static SerialNumberSettings FromSettings();
    void ToSettings() const;
    int32_t UsedSize() const;
    void Normalise();
};

class SerialDlg : public ui::Dialog {
public:
    SerialDlg();
    const SerialNumberSettings& Values() const { return v_; }

protected:
    bool OnInitDialog() override;

private:
    void Show();
    void Enable();
    void TakeEdits();
    void Changed();
    void Ok();
    // The first failed check's message, "" when all pass.
    std::string Check() const;
    SerialNumberSettings v_;
};

class SerStatDlg : public ui::Dialog {
public:
    SerStatDlg();

protected:
    bool OnInitDialog() override;

private:
    void Refresh();
    void Select(int32_t line);
    void Delete(int32_t line);
    void Export();
    int32_t lines_ = 0;
    int32_t selected_ = 1;
    int32_t highest_ = 0;
};

class SnEditDlg : public ui::Dialog {
public:
    explicit SnEditDlg(std::string fieldText);

protected:
    bool OnInitDialog() override;

private:
    // choice 0: none (every SN offered is used).
    void Choose(int32_t choice);
    std::string ChoiceText(int32_t choice) const;
    void Verify();
    void Ok();
    std::string fieldText_;
};

class SnListView : public ui::Dialog {
public:
    SnListView();
    // The list text "Paste to Notepad" writes: itself an SN list file.
    const std::string& ListText() const { return listText_; }
    const std::string& DisplayText() const { return displayText_; }

protected:
    bool OnInitDialog() override;

private:
    std::string listText_;
    std::string displayText_;
};

// The report filter of SerStatDlg, kept while the program runs.
struct SnDialogState {
    int32_t ReportFilter = 15;
    void Reset() { *this = SnDialogState{}; }
};
extern SnDialogState SnDialogs;

// Runs SnEditDlg on the SN field's text: 1 when OK chose an SN (in
// SnEditResultText), 15 when cancelled (SnEditCancelled stays 1).
int32_t SnEditRun(const std::string& fieldText);

// True when the history holds the SN text as typed or as it would be
// written (a custom SN cut to Custom_SN_size); trailing blanks ignored.
bool SnEditIsUsed(const std::string& text);

// The warning sound of a used SN and of a list with wrong-sized entries.
void SnWarningSound();

} // namespace gui
