#include "ui/qt_app.h"

#include "ui/app_font.h"
#include "ui/dialog.h"
#include "ui/dialog_state.h"
#include "ui/globals.h"
#include "ui/qt_backend.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QGroupBox>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QStyle>

#include <cstdlib>
#include <filesystem>

namespace ui::qt {
namespace {

// Qt hands every event to notify first, once per event and before any
// propagation to parent widgets: the one place to see each key once.
class QuillApplication final : public QApplication {
public:
    QuillApplication(int& argc, char** argv, QtBackend*& backend)
        : QApplication(argc, argv), backend_(backend) {}
    bool notify(QObject* receiver, QEvent* event) override {
        if (!backend_) {
            return QApplication::notify(receiver, event);
        }
        return backend_->Notify(receiver, event,
                                [&] { return QApplication::notify(receiver, event); });
    }

private:
    QtBackend*& backend_;
};

// The offscreen platform says so for every box it sizes; on a display
// nothing is lost, and in test logs it hides what matters.
QtMessageHandler g_previousHandler = nullptr;

void QuietOffscreen(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (message == QLatin1String("This plugin does not support propagateSizeHints()")) {
        return;
    }
    if (g_previousHandler) {
        g_previousHandler(type, context, message);
    }
}

struct AppState {
    QApplication* app = nullptr;
    QtBackend* backend = nullptr;
};

AppState& State() {
    static AppState state;
    return state;
}

} // namespace

bool Application::HasDisplay() {
    const char* x = std::getenv("DISPLAY");
    const char* wl = std::getenv("WAYLAND_DISPLAY");
    return (x && *x) || (wl && *wl);
}

Application::Application(int& argc, char** argv) {
    const char* platformName = std::getenv("QT_QPA_PLATFORM");
    if (!HasDisplay() && !(platformName && *platformName)) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    AppState& s = State();
    s.app = new QuillApplication(argc, argv, s.backend);
    if (QGuiApplication::platformName() == QLatin1String("offscreen")) {
        g_previousHandler = qInstallMessageHandler(QuietOffscreen);
    }
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(FontPointSize());
    QApplication::setFont(f);
    s.backend = new QtBackend();
    SetBackend(s.backend);
    if (!detail::SessionActive()) {
        platform::SetPromptService(s.backend->Prompts());
    }
}

Application::~Application() {
    AppState& s = State();
    SetBackend(nullptr);
    if (!detail::SessionActive()) {
        platform::SetPromptService(nullptr);
    }
    QtBackend* backend = s.backend;
    s.backend = nullptr; // no event reaches it once it is going
    delete backend;
    if (g_previousHandler) {
        qInstallMessageHandler(g_previousHandler);
        g_previousHandler = nullptr;
    }
    delete s.app;
    s.app = nullptr;
}

bool SaveScreenshot(Dialog& dialog, const std::string& path) {
    QWidget* w = QtBackend::WindowFor(dialog);
    if (!w) {
        return false;
    }
    std::error_code ec;
    const std::filesystem::path p(path);
    if (p.has_parent_path()) {
        std::filesystem::create_directories(p.parent_path(), ec);
    }
    if (!w->isVisible()) {
        w->show();
    }
    const QPixmap pm = w->grab();
    return !pm.isNull() && pm.save(QString::fromStdString(path), "PNG");
}

std::vector<std::string> GeometryProblems(Dialog& dialog) {
    std::vector<std::string> problems;
    QWidget* client = QtBackend::ClientFor(dialog);
    if (!client) {
        problems.push_back("dialog " + std::to_string(dialog.TemplateId()) + " is not open on Qt");
        return problems;
    }
    const QRect area(QPoint(0, 0), client->size());
    const auto& controls = detail::DialogAccess::State(dialog).controls;
    struct Placed {
        int id;
        QRect rect;
        bool group;
    };
    std::vector<Placed> placed;
    for (const detail::ControlState& c : controls) {
        QWidget* w = QtBackend::ControlWidget(dialog, c.tmpl.id);
        if (!w || !c.visible) {
            continue;
        }
        const std::string name = "control " + std::to_string(c.tmpl.id) +
                                 (c.text.empty() ? std::string() : " \"" + c.text + "\"");
        const QRect r = w->geometry();
        if (!area.contains(r)) {
            problems.push_back(name + " leaves the client area");
        }
        const QFontMetrics fm(w->font());
        int need = 0;
        int room = r.width();
        const QString text = QString::fromStdString(c.text);
        // A caption of several lines ("\n") needs its longest line and every line's height.
        const QRect lines = fm.boundingRect(QRect(0, 0, 100000, 100000), Qt::AlignLeft, text);
        const int textWidth = text.contains('\n') ? lines.width() : fm.horizontalAdvance(text);
        const int textHeight = text.contains('\n') ? lines.height() : fm.height();
        switch (c.tmpl.kind) {
        case ControlKind::Button: {
            // The style's margin and frame on both sides are no room for text.
            const QStyle* st = w->style();
            need = textWidth + 2 * (st->pixelMetric(QStyle::PM_ButtonMargin, nullptr, w) / 2 +
                                    st->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, w));
            break;
        }
        case ControlKind::CheckBox:
        case ControlKind::Radio: {
            const QStyle* st = w->style();
            const bool check = c.tmpl.kind == ControlKind::CheckBox;
            need = st->pixelMetric(check ? QStyle::PM_IndicatorWidth
                                         : QStyle::PM_ExclusiveIndicatorWidth,
                                   nullptr, w) +
                   st->pixelMetric(check ? QStyle::PM_CheckBoxLabelSpacing
                                         : QStyle::PM_RadioButtonLabelSpacing,
                                   nullptr, w) +
                   textWidth;
            break;
        }
        case ControlKind::Group:
            need = fm.horizontalAdvance(text) + 16;
            break;
        case ControlKind::Static: {
            auto* l = static_cast<QLabel*>(w);
            if (l->wordWrap()) {
                const QRect b = fm.boundingRect(QRect(0, 0, r.width(), 100000),
                                                Qt::TextWordWrap | Qt::AlignLeft, text);
                if (b.height() > r.height() || b.width() > r.width()) {
                    problems.push_back(name + " text does not fit");
                }
                need = 0;
            } else {
                need = fm.horizontalAdvance(text);
            }
            break;
        }
        default:
            break;
        }
        if (need > room) {
            problems.push_back(name + " text does not fit");
        } else if (need > 0 && textHeight > r.height() + 2 && c.tmpl.kind != ControlKind::Group) {
            problems.push_back(name + " text does not fit");
        }
        placed.push_back(Placed{c.tmpl.id, r, c.tmpl.kind == ControlKind::Group});
    }
    for (size_t i = 0; i < placed.size(); ++i) {
        for (size_t j = i + 1; j < placed.size(); ++j) {
            if (placed[i].group || placed[j].group) {
                continue;
            }
            if (placed[i].rect.intersects(placed[j].rect)) {
                problems.push_back("control " + std::to_string(placed[i].id) +
                                   " overlaps control " + std::to_string(placed[j].id));
            }
        }
    }
    return problems;
}

} // namespace ui::qt
