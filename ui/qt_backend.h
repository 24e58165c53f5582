#pragma once
// The Qt back end's class. Applications use ui/qt_app.h; this header is for
// the back end's own files.

#include "ui/backend.h"

#include <functional>

class QEvent;
class QObject;
class QSocketNotifier;
class QWidget;

namespace ui::qt {

class QtBackend final : public Backend {
public:
    QtBackend();
    ~QtBackend() override;

    Size BaseUnits() override;
    std::unique_ptr<DialogView> CreateView(Dialog& dialog) override;
    int RunModal(Dialog& dialog) override;
    void EndModal(Dialog& dialog, int code) override;
    void DiscardPendingInput() override;
    int ShowBox(const std::string& text, const std::string& caption, uint32_t flags,
                std::optional<int> scripted, bool session,
                const std::function<void()>& whileOpen) override;
    void TerminationArrived() override;
    platform::PromptService* Prompts() override;
    std::optional<std::string> AskFile(const FileDialogOptions& options) override;
    void FontChanged() override;

    void Click(Dialog& dialog, int id) override;
    void Type(Dialog& dialog, int id, const std::string& text) override;
    void Select(Dialog& dialog, int id, int index) override;
    void Menu(Dialog& dialog, int id) override;
    void Key(Dialog& dialog, const KeyMessage& key) override;
    void Focus(Dialog& dialog, int id) override;
    void Close(Dialog& dialog) override;

    bool Discarding() const { return discarding_; }
    // Every event passes here before Qt delivers it (the application
    // object's notify): the key filter, Enter and Escape, and input thrown
    // away while pending input is discarded. deliver() hands the event on.
    bool Notify(QObject* receiver, QEvent* event, const std::function<bool()>& deliver);
    // The open dialog's window, its client area and a control's widget.
    static QWidget* WindowFor(Dialog& dialog);
    static QWidget* ClientFor(Dialog& dialog);
    static QWidget* ControlWidget(Dialog& dialog, int id);

private:
    // Watches the termination signals' pipe once it exists.
    void WatchTermination();
    QSocketNotifier* terminationNotifier_ = nullptr;
    bool discarding_ = false;
    int passingOn_ = 0;
};

} // namespace ui::qt
