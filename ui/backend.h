#pragma once
// What a back end supplies to the dialog layer. Applications never use
// this header; the headless back end (the default) and the Qt back end
// implement it.

#include "platform/prompt.h"
#include "ui/canvas.h"
#include "ui/file_dialog.h"
#include "ui/key_message.h"
#include "ui/types.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace ui {

class Dialog;

// The window of one open dialog.
class DialogView {
public:
    virtual ~DialogView() = default;
    // The state of control id (or every control, id 0) changed by code.
    virtual void ControlChanged(int id) = 0;
    virtual void CaptionChanged() = 0;
    virtual void MenuChanged() = 0;
    // The timers changed or a held timer may now fire.
    virtual void TimersChanged() = 0;
    virtual void Invalidate() = 0;
    virtual void UpdateWindow() = 0;
    // Paints now and returns the bitmaps OnPaint drew.
    virtual std::vector<PaintedBitmap> PaintNow() = 0;
};

class Backend {
public:
    virtual ~Backend() = default;

    // Average character width and height of the application font, pixels.
    virtual Size BaseUnits() = 0;
    virtual std::unique_ptr<DialogView> CreateView(Dialog& dialog) = 0;
    // Runs the dialog's loop after OnInitDialog; returns when the dialog has
    // ended (EndModal was called) with its code. The test script (if any) is
    // run from inside the loop with RunDialogScript.
    virtual int RunModal(Dialog& dialog) = 0;
    virtual void EndModal(Dialog& dialog, int code) = 0;
    // A handler of dialog returned to its loop / a box or dialog is about to
    // open while a handler runs: input that arrived meanwhile is dropped.
    virtual void DiscardPendingInput() {}
    // Shows a box. scripted: the answer a test session picked (on Qt the
    // box is shown and that button pressed); nothing scripted and a test
    // session active: the box is closed unanswered. Returns the answer.
    // whileOpen (a test's, may be empty) runs while the box is open; a
    // termination signal then or before gives the unattended answer.
    virtual int ShowBox(const std::string& text, const std::string& caption, uint32_t flags,
                        std::optional<int> scripted, bool session,
                        const std::function<void()>& whileOpen = {}) = 0;
    // The prompt service that shows boxes when no test session is active.
    virtual platform::PromptService* Prompts() = 0;
    // A file dialog for the operator (no test session).
    virtual std::optional<std::string> AskFile(const FileDialogOptions& options) = 0;
    virtual void FontChanged() {}
    // A termination signal arrived: boxes and file dialogs on the screen
    // close (the box with its unattended answer, the file dialog cancelled).
    virtual void TerminationArrived() {}

    // The operator's hands for the driver; the headless back end calls the
    // dialog layer directly, the Qt one acts on its widgets.
    virtual void Click(Dialog& dialog, int id);
    virtual void Type(Dialog& dialog, int id, const std::string& text);
    virtual void Select(Dialog& dialog, int id, int index);
    virtual void Menu(Dialog& dialog, int id);
    virtual void Key(Dialog& dialog, const KeyMessage& key);
    virtual void Focus(Dialog& dialog, int id);
    virtual void Close(Dialog& dialog);
};

// nullptr puts the headless back end back.
void SetBackend(Backend* backend);
Backend& CurrentBackend();

} // namespace ui
