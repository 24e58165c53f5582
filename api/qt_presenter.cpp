#include "api/qt_presenter.h"

#include "api/dod430adi.h"
#include "api/headless_presenter.h"
#include "platform/c_locale.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "ui/canvas.h"
#include "ui/dialog.h"
#include "ui/message_box.h"
#include "ui/qt_app.h"

#include <QApplication>
#include <QThread>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace api {

namespace {

using ui::ControlKind;

void (*RepaintObserver)(void*) = nullptr;

const ui::DialogTemplate& ProgressTemplate() {
    static const ui::DialogTemplate t{
        kDialogTemplate,
        kDialogCaption,
        330,
        150,
        {
            {kLogControl,
             ControlKind::Edit,
             "",
             {5, 5, 215, 112},
             ui::STYLE_MULTILINE | ui::STYLE_READONLY | ui::STYLE_FIXED_PITCH},
            {kProgressControl, ControlKind::Progress, "", {5, 122, 320, 9}},
            {-1, ControlKind::Group, "Target Vcc", {226, 3, 99, 44}},
            {kVccControl, ControlKind::Static, "", {232, 15, 50, 10}},
            {kInterfaceControl, ControlKind::Static, "", {232, 30, 50, 10}},
            {-1, ControlKind::Group, "Microcontroller type", {226, 50, 99, 26}},
            {kDeviceControl, ControlKind::Static, "", {232, 61, 88, 10}},
            {-1, ControlKind::Static, "S:", {226, 82, 10, 10}},
            {kAdapterControl, ControlKind::Static, "KVU SN:", {237, 82, 88, 10}},
            {-1, ControlKind::Static, "T:", {226, 95, 10, 10}},
            {-1,
             ControlKind::Static,
             "Quillbay programming library",
             {5, 136, 320, 10},
             ui::STYLE_CENTER},
        },
    };
    return t;
}

constexpr int kLampSize = 18;

void RegisterLamps() {
    static bool done = false;
    if (done) {
        return;
    }
    done = true;
    const struct {
        int id;
        ui::Color fill;
    } lamps[] = {
        {kLampLow, ui::Color::Rgb(0xD0, 0x20, 0x20)},
        {kLampMiddle, ui::Color::Rgb(0xF0, 0xC0, 0x10)},
        {kLampGood, ui::Color::Rgb(0x20, 0xB0, 0x30)},
    };
    for (const auto& lamp : lamps) {
        const ui::Color fill = lamp.fill;
        ui::RegisterBitmap(lamp.id, kLampSize, kLampSize, [fill](ui::Canvas& c) {
            c.FillRect({0, 0, kLampSize, kLampSize}, ui::Color::Rgb(0xF0, 0xF0, 0xF0));
            c.FillEllipse({1, 1, kLampSize - 2, kLampSize - 2}, fill);
            c.DrawEllipse({1, 1, kLampSize - 2, kLampSize - 2}, ui::Color::Rgb(0x30, 0x30, 0x30));
        });
    }
}

void (*ApplicationMadeHook)() = nullptr;
bool OperatorWatching = false;

// Qt's messages while the library owns the application ("QStandardPaths:
// XDG_RUNTIME_DIR not set" and the like) are the library's business, not
// the host's: they are dropped. A fatal one still says why Qt ends the
// process.
void KeepAwayFromHost(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtFatalMsg) {
        std::fprintf(stderr, "%s\n", message.toLocal8Bit().constData());
    }
}

// The application the library makes when the host has none: made once and
// kept for the life of the process, with arguments that outlive it. Making
// it sets the process locale from the environment (the toolkit's own
// start-up and its platform theme do); the locale is the host's, so it is
// put back as the host had it before the call returns.
bool EnsureApplication() {
    if (QCoreApplication::instance() != nullptr) {
        return QThread::currentThread() == QCoreApplication::instance()->thread() &&
               qobject_cast<QApplication*>(QCoreApplication::instance()) != nullptr;
    }
    static int argc = 1;
    static char name[] = "quillcore";
    static char* argv[] = {name, nullptr};
    static ui::qt::Application* app = [] {
        if (ApplicationMadeHook != nullptr) {
            ApplicationMadeHook();
        }
        qInstallMessageHandler(&KeepAwayFromHost);
        const platform::ProcessLocaleKeeper hostLocale;
        return new ui::qt::Application(argc, argv);
    }();
    (void)app;
    return QCoreApplication::instance() != nullptr;
}

} // namespace

class QtPresenter::Window : public ui::Dialog {
public:
    Window() : ui::Dialog(ProgressTemplate()) {}

    DOD430Adi* dialog = nullptr;
    int lampBitmap = 0;
    int lampX = 0;
    int lampY = 0;

    bool OnInitDialog() override {
        ui::Dialog::OnInitDialog();
        SetRange(kProgressControl, 0, 100);
        return dialog->OnInitDialog();
    }
    void OnTimer(int id) override { dialog->OnTimer(id); }
    void CloseByCancel() { OnCancel(); }
    void OnPaint(ui::PaintContext& p) override {
        if (lampBitmap != 0) {
            p.DrawBitmap(lampBitmap, lampX, lampY);
        }
    }
};

QtPresenter::QtPresenter() : window_(std::make_unique<Window>()) {
    RegisterLamps();
}

QtPresenter::~QtPresenter() = default;

bool QtPresenter::Available() {
    const char* qpa = std::getenv("QT_QPA_PLATFORM");
    const bool offscreen = qpa != nullptr && std::strcmp(qpa, "offscreen") == 0;
    // A display that is set but cannot be reached would make the toolkit end
    // the host's process; the run goes on headless instead.
    if (!offscreen && !platform::DisplayReachable()) {
        return false;
    }
    return EnsureApplication();
}

void QtPresenter::SetApplicationMadeHook(void (*hook)()) {
    ApplicationMadeHook = hook;
}

bool QtPresenter::Windowless() {
    if (OperatorWatching) {
        return false;
    }
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("offscreen") || platform == QLatin1String("minimal");
}

void QtPresenter::SetOperatorWatching(bool watching) {
    OperatorWatching = watching;
}

void QtPresenter::SetRepaintObserver(void (*observer)(void*)) {
    RepaintObserver = observer;
}

int QtPresenter::RunModal(DOD430Adi& dialog) {
    window_->dialog = &dialog;
    const int code = window_->DoModal();
    window_->dialog = nullptr;
    return code;
}

void QtPresenter::SetTimer(int id, uint32_t ms) {
    window_->SetTimer(id, ms);
}

void QtPresenter::KillTimer(int id) {
    window_->KillTimer(id);
}

void QtPresenter::Close() {
    window_->CloseByCancel();
}

ClientSize QtPresenter::Client() {
    const ui::Size s = window_->ClientSize();
    return {s.width, s.height};
}

void QtPresenter::SetText(int id, const std::string& text) {
    window_->SetItemText(id, text);
}

void QtPresenter::ScrollToEnd(int id) {
    window_->LineScroll(id, window_->GetLineCount(id));
}

void QtPresenter::SetProgress(int32_t percent) {
    window_->SetPos(kProgressControl, percent);
}

void QtPresenter::SetLamp(int bitmap, int x, int y) {
    window_->lampBitmap = bitmap;
    window_->lampX = x;
    window_->lampY = y;
    window_->Invalidate();
}

void QtPresenter::Repaint() {
    window_->UpdateWindow();
    if (RepaintObserver != nullptr) {
        RepaintObserver(window_.get());
    }
}

int QtPresenter::Box(const std::string& text, const std::string& caption, uint32_t flags) {
    // A box nobody sees would wait for ever.
    if (Windowless()) {
        return UnattendedBox(text, caption, flags);
    }
    return ui::MessageBox(text, caption, flags);
}

void QtPresenter::Hold(uint32_t ms) {
    if (Windowless()) {
        return;
    }
    // The window stays painted while the run is held.
    window_->UpdateWindow();
    platform::SleepMilliseconds(ms);
}

} // namespace api
