// The headless back end: no windows; dialogs run their test scripts, boxes
// take scripted or unattended answers, painting is recorded.

#include "ui/backend.h"

#include "ui/dialog_state.h"
#include "ui/globals.h"
#include "ui/message_box.h"
#include "ui/termination.h"
#include "ui/transcript.h"

#include <cmath>

namespace ui {
namespace {

class RecordingPaint final : public PaintContext {
public:
    explicit RecordingPaint(Size client) : client_(client) {}
    void DrawBitmap(int bitmapId, int x, int y) override { drawn.push_back({bitmapId, x, y}); }
    Size ClientSize() const override { return client_; }
    std::vector<PaintedBitmap> drawn;

private:
    Size client_;
};

class HeadlessView final : public DialogView {
public:
    explicit HeadlessView(Dialog& d) : dialog_(d) {}
    void ControlChanged(int) override {}
    void CaptionChanged() override {}
    void MenuChanged() override {}
    void TimersChanged() override {}
    void Invalidate() override {}
    void UpdateWindow() override { PaintNow(); }
    std::vector<PaintedBitmap> PaintNow() override {
        RecordingPaint paint(dialog_.ClientSize());
        detail::DialogAccess::Paint(dialog_, paint);
        return std::move(paint.drawn);
    }

private:
    Dialog& dialog_;
};

class HeadlessBackend final : public Backend {
public:
    Size BaseUnits() override {
        // DejaVu Sans at 9 pt averages 6 x 13 pixels at 96 dpi; the other
        // sizes in proportion.
        const double scale = detail::Globals().fontPoints / 9.0;
        return Size{static_cast<int>(std::lround(6 * scale)),
                    static_cast<int>(std::lround(13 * scale))};
    }
    std::unique_ptr<DialogView> CreateView(Dialog& dialog) override {
        return std::make_unique<HeadlessView>(dialog);
    }
    int RunModal(Dialog& dialog) override {
        // Nobody to operate it: a test session's script is the operator, and
        // without one the dialog ends at once.
        detail::DialogAccess::RunDialogScript(dialog);
        return detail::DialogAccess::State(dialog).endCode;
    }
    void EndModal(Dialog&, int) override {}
    int ShowBox(const std::string&, const std::string&, uint32_t flags, std::optional<int> scripted,
                bool, const std::function<void()>& whileOpen) override {
        if (whileOpen) {
            whileOpen();
        }
        if (TerminationRequested()) {
            return UnattendedAnswer(flags);
        }
        return scripted ? *scripted : UnattendedAnswer(flags);
    }
    platform::PromptService* Prompts() override { return nullptr; }
    std::optional<std::string> AskFile(const FileDialogOptions&) override { return std::nullopt; }
};

HeadlessBackend& Headless() {
    static HeadlessBackend headless;
    return headless;
}

} // namespace

void SetBackend(Backend* backend) {
    detail::Globals().backend = backend;
}

Backend& CurrentBackend() {
    Backend* b = detail::Globals().backend;
    return b ? *b : Headless();
}

void Backend::Click(Dialog& dialog, int id) {
    detail::DialogAccess::OperatorClick(dialog, id);
}

void Backend::Type(Dialog& dialog, int id, const std::string& text) {
    detail::DialogAccess::OperatorEdit(dialog, id, text);
}

void Backend::Select(Dialog& dialog, int id, int index) {
    detail::DialogAccess::OperatorSelect(dialog, id, index);
}

void Backend::Menu(Dialog& dialog, int id) {
    detail::DialogAccess::OperatorMenu(dialog, id);
}

void Backend::Key(Dialog& dialog, const KeyMessage& key) {
    if (detail::DialogAccess::OperatorKey(dialog, key) == detail::KeyOutcome::PassOn) {
        detail::DialogAccess::DefaultKey(dialog, key);
    }
}

void Backend::Focus(Dialog& dialog, int id) {
    detail::DialogAccess::OperatorFocus(dialog, id);
}

void Backend::Close(Dialog& dialog) {
    detail::DialogAccess::OperatorClose(dialog);
}

} // namespace ui
