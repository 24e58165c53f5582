#pragma once
// A dialog built from a template, with its controls addressed by id, a
// message map, data exchange, timers, a menu and painting. The same object
// runs on either back end (headless or Qt); see ui/README.md.
//
// Control state lives in the dialog from construction to destruction, so
// values can be read after DoModal returns.

#include "ui/canvas.h"
#include "ui/dialog_template.h"
#include "ui/key_message.h"
#include "ui/menu.h"
#include "ui/types.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ui {

class DataExchange;
namespace detail {
struct DialogAccess;
struct DialogState;
} // namespace detail

using Handler = std::function<void()>;

class Dialog {
public:
    explicit Dialog(DialogTemplate tmpl);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Opens the dialog, runs OnInitDialog, and returns the code given to
    // EndDialog once the dialog has closed.
    int DoModal();
    // Closes the dialog after the running handler returns; DoModal returns code.
    void EndDialog(int code);
    bool IsOpen() const;
    int TemplateId() const;
    const DialogTemplate& Template() const;

    // --- controls by id. Code that sets a value never runs a change handler.
    void SetItemText(int id, const std::string& text);
    // Edit, static, button: the text; combo and list box: the selected item's
    // text ("" with nothing selected).
    std::string GetItemText(int id) const;
    void CheckDlgButton(int id, int checked); // check box or radio, 0 or 1
    int IsDlgButtonChecked(int id) const;
    // Checks checkId and clears every other radio with an id in first..last.
    void CheckRadioButton(int firstId, int lastId, int checkId);
    void EnableItem(int id, bool enable);
    bool IsItemEnabled(int id) const;
    void ShowItem(int id, bool show);
    bool IsItemVisible(int id) const;
    void SetReadOnly(int id, bool readOnly); // edit
    void SetLimitText(int id, int maxChars); // edit: operator typing stops there; 0 no limit
    void SetFocus(int id);
    int FocusedItem() const; // 0 for none

    // Combo and list box.
    void ResetContent(int id);
    int AddString(int id, const std::string& text); // returns its index
    int GetCount(int id) const;
    std::string GetItemString(int id, int index) const;
    std::vector<std::string> GetItems(int id) const;
    void SetCurSel(int id, int index); // -1: nothing selected
    int GetCurSel(int id) const;       // -1: nothing selected

    // Progress bar.
    void SetRange(int id, int low, int high);
    void SetPos(int id, int pos); // clamped to the range
    int GetPos(int id) const;

    // Multi-line edit: lines are separated by "\n" or "\r\n".
    int GetLineCount(int id) const;
    int GetFirstVisibleLine(int id) const;
    void LineScroll(int id, int lines); // clamped to the text

    // Picture control.
    void SetItemBitmap(int id, int bitmapId);

    // Geometry in client pixels (after font scaling).
    Rect ItemRect(int id) const;
    Size ClientSize() const;

    void SetCaption(const std::string& caption);
    std::string Caption() const;

    // Asks for a paint soon (the back end's next paint).
    void Invalidate();
    // Paints now: control changes shown and OnPaint run before it returns.
    void UpdateWindow();

    // --- timers, on the platform clock. A timer of a dialog whose handler
    // is running waits until the handler has returned.
    int SetTimer(int id, uint32_t periodMs); // returns id; resets a running one
    void KillTimer(int id);

    // --- menu bar.
    void SetMenu(MenuTemplate menu);
    void EnableMenuItem(int id, bool enable);
    void CheckMenuItem(int id, bool checked);
    void SetMenuItemText(int id, const std::string& caption);
    bool IsMenuItemEnabled(int id) const;
    bool IsMenuItemChecked(int id) const;
    std::string MenuItemText(int id) const;
    bool HasMenuItem(int id) const;

    // --- data exchange. saveAndValidate: controls to members, stopping at
    // the first failed check (box shown, control focused, false returned);
    // otherwise members to controls.
    bool UpdateData(bool saveAndValidate = true);

protected:
    // Message map. A mapped id runs its handler; one id may hold one handler
    // per notification code. Mapping IDOK or IDCANCEL replaces OnOK/OnCancel.
    void Map(Notify code, int id, Handler handler);
    void OnCommand(int id, Handler handler) { Map(BN_CLICKED, id, std::move(handler)); }
    // WM_CLOSE (the close box); unmapped it calls OnClose.
    void MapClose(Handler handler);

    // Runs after the controls exist; the default fills them with UpdateData(false).
    virtual bool OnInitDialog();
    virtual void OnTimer(int id);
    // Runs after the controls were painted; draws on the dialog's background.
    virtual void OnPaint(PaintContext& paint);
    // Sees each key pressed in this dialog (only while it is the top window)
    // before any control does; returns true to swallow it.
    virtual bool PreTranslateMessage(const KeyMessage& key);
    // IDOK: UpdateData(true), then EndDialog(IDOK) when it passed.
    virtual void OnOK();
    // IDCANCEL: EndDialog(IDCANCEL).
    virtual void OnCancel();
    // WM_CLOSE: the IDCANCEL command.
    virtual void OnClose();
    virtual void DoDataExchange(DataExchange& dx);

private:
    friend struct detail::DialogAccess;
    std::unique_ptr<detail::DialogState> state_;
};

} // namespace ui
