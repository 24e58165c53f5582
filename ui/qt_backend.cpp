// The Qt 6 Widgets back end: one QDialog per open dialog, its controls
// placed by the template's dialog units on the application font, QPainter
// for the application's bitmaps, QMessageBox and QFileDialog.

#include "ui/qt_backend.h"

#include "ui/app_font.h"
#include "ui/dialog_state.h"
#include "ui/globals.h"
#include "ui/message_box.h"
#include "ui/qt_keys.h"
#include "ui/termination.h"
#include "ui/transcript.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDialog>
#include <QFileDialog>
#include <QFontMetrics>
#include <QGroupBox>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPainter>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSocketNotifier>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cstdio>
#include <limits>
#include <map>

#ifdef QUILL_LSAN_SUPPRESSIONS
// The leak checker's built-in suppressions: the file tests/ui/lsan.supp.
extern "C" const char* __lsan_default_suppressions() {
    return
#include "lsan_suppressions.inc"
        ;
}
#endif

namespace ui::qt {
namespace {

using detail::ControlState;
using detail::DialogAccess;

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The application font's size in the fixed-pitch face of the same family.
QFont FixedPitchFont() {
    QFont mono(QStringLiteral("DejaVu Sans Mono"));
    mono.setStyleHint(QFont::Monospace);
    mono.setPointSizeF(QApplication::font().pointSizeF());
    return mono;
}

QColor ToQColor(Color c) {
    return QColor((c.rgb >> 16) & 0xFF, (c.rgb >> 8) & 0xFF, c.rgb & 0xFF);
}

class QtCanvas final : public Canvas {
public:
    explicit QtCanvas(QPainter& p) : p_(p) { p_.setRenderHint(QPainter::Antialiasing, true); }
    void FillRect(Rect r, Color c) override {
        p_.fillRect(QRect(r.x, r.y, r.width, r.height), ToQColor(c));
    }
    void FrameRect(Rect r, Color c, int penWidth) override {
        p_.setPen(QPen(ToQColor(c), penWidth));
        p_.setBrush(Qt::NoBrush);
        p_.drawRect(QRectF(r.x + penWidth / 2.0, r.y + penWidth / 2.0, r.width - penWidth,
                           r.height - penWidth));
    }
    void FillEllipse(Rect r, Color c) override {
        p_.setPen(Qt::NoPen);
        p_.setBrush(ToQColor(c));
        p_.drawEllipse(QRect(r.x, r.y, r.width, r.height));
    }
    void DrawEllipse(Rect r, Color c, int penWidth) override {
        p_.setPen(QPen(ToQColor(c), penWidth));
        p_.setBrush(Qt::NoBrush);
        p_.drawEllipse(QRectF(r.x + penWidth / 2.0, r.y + penWidth / 2.0, r.width - penWidth,
                              r.height - penWidth));
    }
    void DrawLine(Point a, Point b, Color c, int penWidth) override {
        p_.setPen(QPen(ToQColor(c), penWidth));
        p_.drawLine(a.x, a.y, b.x, b.y);
    }
    void FillPolygon(const std::vector<Point>& points, Color c) override {
        QPolygon poly;
        for (const Point& pt : points) {
            poly << QPoint(pt.x, pt.y);
        }
        p_.setPen(Qt::NoPen);
        p_.setBrush(ToQColor(c));
        p_.drawPolygon(poly);
    }
    void DrawText(Rect r, const std::string& text, Color c, int pixelHeight, bool bold) override {
        QFont f("DejaVu Sans");
        f.setPixelSize(std::max(1, pixelHeight));
        f.setBold(bold);
        p_.setFont(f);
        p_.setPen(ToQColor(c));
        p_.drawText(QRect(r.x, r.y, r.width, r.height), Qt::AlignCenter, Q(text));
    }

private:
    QPainter& p_;
};

// Bitmaps drawn once per registration.
QPixmap BitmapPixmap(int id) {
    static std::map<int, std::pair<unsigned, QPixmap>> cache;
    const auto& bitmaps = detail::Globals().bitmaps;
    auto it = bitmaps.find(id);
    if (it == bitmaps.end() || it->second.width <= 0 || it->second.height <= 0) {
        return {};
    }
    auto hit = cache.find(id);
    if (hit != cache.end() && hit->second.first == it->second.generation) {
        return hit->second.second;
    }
    QPixmap pm(it->second.width, it->second.height);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        QtCanvas canvas(p);
        PaintBitmap(id, canvas);
    }
    cache[id] = {it->second.generation, pm};
    return pm;
}

class QtPaint final : public PaintContext {
public:
    QtPaint(QPainter& p, Size client) : p_(p), client_(client) {}
    void DrawBitmap(int bitmapId, int x, int y) override {
        drawn.push_back({bitmapId, x, y});
        const QPixmap pm = BitmapPixmap(bitmapId);
        if (!pm.isNull()) {
            p_.drawPixmap(x, y, pm);
        }
    }
    Size ClientSize() const override { return client_; }
    std::vector<PaintedBitmap> drawn;

private:
    QPainter& p_;
    Size client_;
};

QtBackend* g_backend = nullptr;

class DialogWindow;

// The client area: controls are its children; OnPaint draws on it.
class ClientWidget final : public QWidget {
public:
    ClientWidget(Dialog& d, QWidget* parent) : QWidget(parent), dialog_(d) {}
    std::vector<PaintedBitmap> lastDrawn;
    uint64_t paints = 0; // paintEvent runs so far

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        QtPaint paint(p, dialog_.ClientSize());
        DialogAccess::Paint(dialog_, paint);
        lastDrawn = std::move(paint.drawn);
        ++paints;
    }

private:
    Dialog& dialog_;
};

class DialogWindow final : public QDialog, public DialogView {
public:
    DialogWindow(Dialog& d, QWidget* parent) : QDialog(parent), dialog_(d) {
        setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                       Qt::MSWindowsFixedSizeDialogHint);
        setModal(true);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        client_ = new ClientWidget(d, this);
        layout->addWidget(client_);
        const Size size = d.ClientSize();
        client_->setFixedSize(size.width, size.height);
        CaptionChanged();
        const DialogTemplate& t = d.Template();
        if (t.iconBitmap) {
            const QPixmap pm = BitmapPixmap(t.iconBitmap);
            if (!pm.isNull()) {
                setWindowIcon(QIcon(pm));
            }
        }
        BuildControls();
        MenuChanged();
        timer_.setSingleShot(true);
        timer_.setTimerType(Qt::PreciseTimer); // a coarse timer may wake early
        QObject::connect(&timer_, &QTimer::timeout, this, [this] {
            if (g_backend && g_backend->Discarding()) {
                timer_.start(10); // not while pending input is thrown away
                return;
            }
            DialogAccess::FireDueTimers(dialog_);
            TimersChanged();
        });
        FixSize();
    }

    // The window is exactly the menu bar over the client area; set before
    // the window exists, so no platform window has to follow size hints.
    void FixSize() {
        layout()->activate();
        const int bar = bar_ ? bar_->sizeHint().height() : 0;
        setFixedSize(client_->width(), client_->height() + bar);
    }

    Dialog& Owner() { return dialog_; }
    ClientWidget* Client() { return client_; }
    QWidget* Widget(int id) {
        auto it = widgets_.find(id);
        return it == widgets_.end() ? nullptr : it->second;
    }
    QAction* Action(int id) {
        auto it = actions_.find(id);
        return it == actions_.end() || it->second.empty() ? nullptr : it->second.front();
    }
    bool Syncing() const { return syncing_; }
    int IdOf(QObject* o) const {
        for (QObject* p = o; p && p != this; p = p->parent()) {
            const QVariant v = p->property("ui_id");
            if (v.isValid()) {
                return v.toInt();
            }
        }
        return 0;
    }

    // --- DialogView
    void ControlChanged(int id) override {
        if (id == 0) {
            for (const ControlState& c : DialogAccess::State(dialog_).controls) {
                Sync(c.tmpl.id);
            }
            return;
        }
        Sync(id);
    }
    void CaptionChanged() override { setWindowTitle(Q(dialog_.Caption())); }
    void MenuChanged() override {
        auto& s = DialogAccess::State(dialog_);
        if (!s.hasMenu) {
            return;
        }
        if (bar_ && builtMenu_ != s.menuVersion) {
            delete bar_; // another menu: built anew
            bar_ = nullptr;
            actions_.clear();
        }
        if (!bar_) {
            builtMenu_ = s.menuVersion;
            bar_ = new QMenuBar(this);
            static_cast<QVBoxLayout*>(layout())->setMenuBar(bar_);
            for (const MenuItem& popup : s.menu.popups) {
                AddMenuItem(bar_, nullptr, popup);
            }
            FixSize();
        }
        for (auto& [id, list] : actions_) {
            auto it = s.menuState.find(id);
            if (it == s.menuState.end()) {
                continue;
            }
            for (QAction* a : list) {
                a->setEnabled(it->second.enabled);
                a->setCheckable(it->second.checked || a->isCheckable());
                a->setChecked(it->second.checked);
                a->setText(Q(it->second.caption));
            }
        }
    }
    void TimersChanged() override {
        const uint64_t due = DialogAccess::NextDue(dialog_);
        if (due == std::numeric_limits<uint64_t>::max()) {
            timer_.stop();
            return;
        }
        const uint64_t now = detail::NowMs();
        const uint64_t wait = due > now ? due - now : 0;
        timer_.start(static_cast<int>(std::min<uint64_t>(wait, 24u * 3600u * 1000u)));
    }
    void Invalidate() override { client_->update(); }
    void UpdateWindow() override {
        if (isVisible()) {
            repaint(); // the controls with it
        }
    }
    std::vector<PaintedBitmap> PaintNow() override {
        const uint64_t before = client_->paints;
        if (isVisible()) {
            client_->repaint();
        }
        if (client_->paints == before) {
            // Not shown, or not exposed yet (a repaint then paints nothing):
            // paint into a throw-away image so OnPaint runs.
            QPixmap pm(client_->size());
            QPainter p(&pm);
            QtPaint paint(p, dialog_.ClientSize());
            DialogAccess::Paint(dialog_, paint);
            client_->lastDrawn = std::move(paint.drawn);
        }
        return client_->lastDrawn;
    }

protected:
    void showEvent(QShowEvent* e) override {
        QDialog::showEvent(e);
        // Scroll positions and focus set before the window showed take
        // effect now that the controls have their real sizes.
        ControlChanged(0);
    }
    void closeEvent(QCloseEvent* e) override {
        e->ignore();
        DialogAccess::OperatorClose(dialog_);
    }
    void reject() override {
        // Escape is the IDCANCEL command through the key filter; nothing else
        // may close the dialog behind the application's back.
    }
    void accept() override {}

private:
    void AddMenuItem(QMenuBar* bar, QMenu* menu, const MenuItem& item) {
        switch (item.kind) {
        case MenuItem::Kind::Popup: {
            QMenu* sub = bar ? bar->addMenu(Q(item.caption)) : menu->addMenu(Q(item.caption));
            for (const MenuItem& child : item.items) {
                AddMenuItem(nullptr, sub, child);
            }
            break;
        }
        case MenuItem::Kind::Separator:
            if (menu) {
                menu->addSeparator();
            }
            break;
        case MenuItem::Kind::Command: {
            QAction* a = bar ? bar->addAction(Q(item.caption)) : menu->addAction(Q(item.caption));
            const int id = item.id;
            QObject::connect(a, &QAction::triggered, this, [this, id] {
                DialogAccess::OperatorMenu(dialog_, id);
                MenuChanged();
            });
            actions_[id].push_back(a);
            break;
        }
        }
    }

    void AfterOperator(int id) { Sync(id); }

    void BuildControls() {
        auto& s = DialogAccess::State(dialog_);
        const QFontMetrics fm(font());
        // Frames first, so that the controls inside them lie on top.
        std::vector<const ControlState*> order;
        for (const ControlState& c : s.controls) {
            if (c.tmpl.kind == ControlKind::Group) {
                order.push_back(&c);
            }
        }
        for (const ControlState& c : s.controls) {
            if (c.tmpl.kind != ControlKind::Group) {
                order.push_back(&c);
            }
        }
        int unnamed = -1000000;
        for (const ControlState* cp : order) {
            const ControlState& c = *cp;
            const int id = c.tmpl.id;
            QWidget* w = nullptr;
            switch (c.tmpl.kind) {
            case ControlKind::Button: {
                auto* b = new QPushButton(Q(c.text), client_);
                b->setAutoDefault(false);
                b->setDefault(false);
                QObject::connect(b, &QPushButton::clicked, this, [this, id] {
                    if (!syncing_) {
                        DialogAccess::OperatorClick(dialog_, id);
                        AfterOperator(id);
                    }
                });
                w = b;
                break;
            }
            case ControlKind::CheckBox: {
                auto* b = new QCheckBox(Q(c.text), client_);
                QObject::connect(b, &QCheckBox::clicked, this, [this, id] {
                    if (!syncing_) {
                        DialogAccess::OperatorClick(dialog_, id);
                        AfterOperator(id);
                    }
                });
                w = b;
                break;
            }
            case ControlKind::Radio: {
                auto* b = new QRadioButton(Q(c.text), client_);
                b->setAutoExclusive(
                    false); // the groups are the template's, kept by the dialog layer
                QObject::connect(b, &QRadioButton::clicked, this, [this, id] {
                    if (!syncing_) {
                        DialogAccess::OperatorClick(dialog_, id);
                        AfterOperator(id);
                    }
                });
                w = b;
                break;
            }
            case ControlKind::Group:
                w = new QGroupBox(Q(c.text), client_);
                break;
            case ControlKind::Static: {
                auto* l = new QLabel(Q(c.text), client_);
                l->setTextFormat(Qt::PlainText);
                if (c.tmpl.style & STYLE_FIXED_PITCH) {
                    l->setFont(FixedPitchFont());
                }
                Qt::Alignment a = Qt::AlignTop;
                a |= (c.tmpl.style & STYLE_CENTER)  ? Qt::AlignHCenter
                     : (c.tmpl.style & STYLE_RIGHT) ? Qt::AlignRight
                                                    : Qt::AlignLeft;
                l->setAlignment(a);
                // A label with room for more than one line wraps, as the
                // platform's statics do.
                l->setWordWrap(dialog_.ItemRect(id == 0 || id == -1 ? 0 : id).height >=
                                   2 * fm.height() ||
                               c.text.find('\n') != std::string::npos);
                w = l;
                break;
            }
            case ControlKind::Edit:
                if (c.tmpl.style & STYLE_MULTILINE) {
                    auto* e = new QPlainTextEdit(client_);
                    e->setLineWrapMode(QPlainTextEdit::NoWrap);
                    if (c.tmpl.style & STYLE_FIXED_PITCH) {
                        e->setFont(FixedPitchFont());
                    }
                    e->setTabChangesFocus(true);
                    QObject::connect(e, &QPlainTextEdit::textChanged, this, [this, id, e] {
                        if (!syncing_) {
                            std::string text = e->toPlainText().toStdString();
                            std::string crlf;
                            for (char ch : text) {
                                if (ch == '\n') {
                                    crlf += '\r';
                                }
                                crlf += ch;
                            }
                            DialogAccess::OperatorEdit(dialog_, id, crlf);
                            AfterOperator(id);
                        }
                    });
                    w = e;
                } else {
                    auto* e = new QLineEdit(client_);
                    QObject::connect(
                        e, &QLineEdit::textChanged, this, [this, id](const QString& t) {
                            if (!syncing_) {
                                if (!DialogAccess::OperatorEdit(dialog_, id, t.toStdString())) {
                                    AfterOperator(id);
                                }
                            }
                        });
                    w = e;
                }
                break;
            case ControlKind::Combo: {
                auto* cb = new QComboBox(client_);
                cb->setEditable(false);
                QObject::connect(cb, &QComboBox::activated, this, [this, id](int index) {
                    if (!syncing_) {
                        DialogAccess::OperatorSelect(dialog_, id, index);
                        AfterOperator(id);
                    }
                });
                w = cb;
                break;
            }
            case ControlKind::ListBox: {
                auto* lb = new QListWidget(client_);
                QObject::connect(lb, &QListWidget::currentRowChanged, this, [this, id](int row) {
                    if (!syncing_ && row >= 0) {
                        DialogAccess::OperatorSelect(dialog_, id, row);
                        AfterOperator(id);
                    }
                });
                w = lb;
                break;
            }
            case ControlKind::Progress: {
                auto* pb = new QProgressBar(client_);
                pb->setTextVisible(false);
                w = pb;
                break;
            }
            case ControlKind::Picture: {
                auto* l = new QLabel(client_);
                l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
                w = l;
                break;
            }
            }
            if (!w) {
                continue;
            }
            Rect r = PixelRect(c);
            if (c.tmpl.kind == ControlKind::Combo) {
                // A drop-down's template height includes its open list.
                r.height = std::min(r.height, w->sizeHint().height());
            }
            w->setGeometry(r.x, r.y, r.width, r.height);
            const int key = (id == 0 || id == -1) ? unnamed-- : id;
            w->setProperty("ui_id", id);
            widgets_[key] = w;
            if (key == id) {
                Sync(id);
            }
        }
    }

    Rect PixelRect(const ControlState& c) const {
        const Size base = CurrentBackend().BaseUnits();
        auto scale = [](int v, int b, int div) {
            const long long x = static_cast<long long>(v) * b;
            return static_cast<int>((x + div / 2) / div);
        };
        const Rect& r = c.tmpl.rect;
        return Rect{scale(r.x, base.width, 4), scale(r.y, base.height, 8),
                    scale(r.width, base.width, 4), scale(r.height, base.height, 8)};
    }

    void Sync(int id) {
        ControlState* c = DialogAccess::Find(dialog_, id);
        QWidget* w = Widget(id);
        if (!c || !w) {
            return;
        }
        const bool was = syncing_;
        syncing_ = true;
        w->setEnabled(c->enabled);
        w->setVisible(c->visible);
        switch (c->tmpl.kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::Radio: {
            auto* b = static_cast<QAbstractButton*>(w);
            if (b->text() != Q(c->text)) {
                b->setText(Q(c->text));
            }
            if (c->tmpl.kind != ControlKind::Button) {
                b->setChecked(c->checked != 0);
            }
            break;
        }
        case ControlKind::Group:
            static_cast<QGroupBox*>(w)->setTitle(Q(c->text));
            break;
        case ControlKind::Static:
            static_cast<QLabel*>(w)->setText(Q(c->text));
            break;
        case ControlKind::Edit:
            if (auto* e = dynamic_cast<QPlainTextEdit*>(w)) {
                std::string shown;
                for (char ch : c->text) {
                    if (ch != '\r') {
                        shown += ch;
                    }
                }
                if (e->toPlainText() != Q(shown)) {
                    e->setPlainText(Q(shown));
                }
                e->setReadOnly(c->readOnly);
                e->verticalScrollBar()->setValue(c->firstLine);
            } else if (auto* le = dynamic_cast<QLineEdit*>(w)) {
                if (le->text() != Q(c->text)) {
                    le->setText(Q(c->text));
                }
                le->setReadOnly(c->readOnly);
                le->setMaxLength(c->limit > 0 ? c->limit : 32767);
            }
            break;
        case ControlKind::Combo: {
            auto* cb = static_cast<QComboBox*>(w);
            bool same = cb->count() == static_cast<int>(c->items.size());
            for (int i = 0; same && i < cb->count(); ++i) {
                same = cb->itemText(i) == Q(c->items[static_cast<size_t>(i)]);
            }
            if (!same) {
                cb->clear();
                for (const std::string& item : c->items) {
                    cb->addItem(Q(item));
                }
            }
            cb->setCurrentIndex(c->selection);
            break;
        }
        case ControlKind::ListBox: {
            auto* lb = static_cast<QListWidget*>(w);
            bool same = lb->count() == static_cast<int>(c->items.size());
            for (int i = 0; same && i < lb->count(); ++i) {
                same = lb->item(i)->text() == Q(c->items[static_cast<size_t>(i)]);
            }
            if (!same) {
                lb->clear();
                for (const std::string& item : c->items) {
                    lb->addItem(Q(item));
                }
            }
            lb->setCurrentRow(c->selection);
            break;
        }
        case ControlKind::Progress: {
            auto* pb = static_cast<QProgressBar*>(w);
            pb->setRange(c->low, c->high);
            pb->setValue(c->pos);
            break;
        }
        case ControlKind::Picture: {
            auto* l = static_cast<QLabel*>(w);
            l->setPixmap(BitmapPixmap(c->bitmap));
            break;
        }
        }
        if (DialogAccess::State(dialog_).focus == id && c->enabled && c->visible) {
            w->setFocus(Qt::OtherFocusReason);
        }
        syncing_ = was;
    }

    Dialog& dialog_;
    ClientWidget* client_ = nullptr;
    QMenuBar* bar_ = nullptr;
    std::map<int, QWidget*> widgets_;
    std::map<int, std::vector<QAction*>> actions_;
    unsigned builtMenu_ = 0;
    QTimer timer_;
    bool syncing_ = false;
};

DialogWindow* WindowOf(Dialog& d) {
    return dynamic_cast<DialogWindow*>(DialogAccess::State(d).view.get());
}

DialogWindow* WindowOfWidget(QObject* o) {
    auto* w = dynamic_cast<QWidget*>(o);
    return w ? dynamic_cast<DialogWindow*>(w->window()) : nullptr;
}

bool IsInput(QEvent::Type t) {
    switch (t) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ShortcutOverride:
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::Wheel:
        return true;
    default:
        return false;
    }
}

class QtPrompts final : public platform::PromptService {
public:
    int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) override {
        return CurrentBackend().ShowBox(text, caption, flags, std::nullopt, false);
    }
};

QtPrompts g_prompts;

// The boxes and file dialogs on the screen, innermost last: a termination
// signal closes them.
std::vector<QDialog*> g_modalStack;

struct ModalEntry {
    explicit ModalEntry(QDialog* d) { g_modalStack.push_back(d); }
    ~ModalEntry() { g_modalStack.pop_back(); }
};

std::string CrLfToLf(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            continue;
        }
        out += text[i];
    }
    return out;
}

} // namespace

QtBackend::QtBackend() {
    g_backend = this;
    WatchTermination();
}

QtBackend::~QtBackend() {
    delete terminationNotifier_;
    terminationNotifier_ = nullptr;
    g_backend = nullptr;
}

void QtBackend::WatchTermination() {
    const int fd = detail::TerminationWakeFd();
    if (terminationNotifier_ != nullptr || fd < 0) {
        return;
    }
    // The signal's byte wakes whichever event loop runs (a dialog's, a
    // box's, a file dialog's): the dialog layer acts on it there.
    terminationNotifier_ = new QSocketNotifier(fd, QSocketNotifier::Read);
    QObject::connect(terminationNotifier_, &QSocketNotifier::activated, [] {
        detail::TerminationWakeDrain();
        detail::TerminationDispatch();
    });
}

void QtBackend::TerminationArrived() {
    for (auto it = g_modalStack.rbegin(); it != g_modalStack.rend(); ++it) {
        (*it)->reject();
    }
}

Size QtBackend::BaseUnits() {
    const QFontMetrics fm(QApplication::font());
    const int letters = fm.horizontalAdvance(
        QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    return Size{(letters / 26 + 1) / 2, fm.height()};
}

std::unique_ptr<DialogView> QtBackend::CreateView(Dialog& dialog) {
    QWidget* parent = nullptr;
    const auto& open = detail::OpenDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it) {
        if (*it != &dialog) {
            if (DialogWindow* w = WindowOf(**it)) {
                parent = w;
                break;
            }
        }
    }
    return std::make_unique<DialogWindow>(dialog, parent);
}

int QtBackend::RunModal(Dialog& dialog) {
    DialogWindow* w = WindowOf(dialog);
    if (!w) {
        return IDCANCEL;
    }
    WatchTermination();
    if (detail::SessionActive()) {
        QTimer::singleShot(0, w, [&dialog] { DialogAccess::RunDialogScript(dialog); });
    }
    w->TimersChanged();
    w->exec();
    return DialogAccess::State(dialog).endCode;
}

void QtBackend::EndModal(Dialog& dialog, int code) {
    if (DialogWindow* w = WindowOf(dialog)) {
        w->done(code);
    }
}

void QtBackend::DiscardPendingInput() {
    if (discarding_) {
        return;
    }
    discarding_ = true;
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    discarding_ = false;
}

bool QtBackend::Notify(QObject* receiver, QEvent* event, const std::function<bool()>& deliver) {
    const QEvent::Type type = event->type();
    if (!IsInput(type)) {
        return deliver();
    }
    if (discarding_) {
        if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress) {
            if (DialogWindow* w = WindowOfWidget(receiver)) {
                std::string what;
                if (type == QEvent::KeyPress) {
                    char b[16];
                    std::snprintf(b, sizeof b, "0x%02X",
                                  VkFromQtKey(static_cast<QKeyEvent*>(event)->key()));
                    what = std::string("key ") + b;
                } else {
                    what = "click " + std::to_string(w->IdOf(receiver));
                }
                TranscriptAdd(detail::Tag(w->Owner()) + "dropped " + what + ": handler running");
            } else {
                TranscriptAdd("dropped input: handler running");
            }
        }
        return true;
    }
    // A key handed on to a control may be handed on again inside it (to a
    // focus proxy): the key filter has seen it already.
    if (type != QEvent::KeyPress || passingOn_ > 0) {
        return deliver();
    }
    DialogWindow* w = WindowOfWidget(receiver);
    if (!w) {
        return deliver(); // a box or file dialog: not the application's key filter
    }
    auto* ke = static_cast<QKeyEvent*>(event);
    KeyMessage key;
    key.vk = VkFromQtKey(ke->key());
    // The character as the platform's character message has it: Tab,
    // Enter, Escape and Backspace too (9, 13, 27, 8).
    const QString text = ke->text();
    key.ch = text.isEmpty() ? 0u : text.at(0).unicode();
    if (key.ch == 0 &&
        (key.vk == VK_RETURN || key.vk == VK_ESCAPE || key.vk == VK_TAB || key.vk == VK_BACK)) {
        key.ch = key.vk;
    }
    key.repeat = ke->isAutoRepeat();
    Dialog& d = w->Owner();
    if (!detail::DialogAccess::State(d).open) {
        return true;
    }
    if (DialogAccess::OperatorKey(d, key) != detail::KeyOutcome::PassOn) {
        return true;
    }
    ++passingOn_;
    const bool result = deliver();
    --passingOn_;
    return result;
}

int QtBackend::ShowBox(const std::string& text, const std::string& caption, uint32_t flags,
                       std::optional<int> scripted, bool session,
                       const std::function<void()>& whileOpen) {
    // The program is ending: nobody is to answer this box.
    if (TerminationRequested()) {
        return UnattendedAnswer(flags);
    }
    // Input typed while the handler ran must not answer this box.
    DiscardPendingInput();
    QMessageBox box;
    if (Dialog* top = detail::TopDialog()) {
        if (DialogWindow* w = WindowOf(*top)) {
            box.setParent(w, Qt::Dialog);
        }
    }
    box.setWindowTitle(Q(caption));
    box.setTextFormat(Qt::PlainText);
    box.setText(Q(CrLfToLf(text)));
    switch (flags & 0xF0u) {
    case MB_ICONERROR:
        box.setIcon(QMessageBox::Critical);
        break;
    case MB_ICONQUESTION:
        box.setIcon(QMessageBox::Question);
        break;
    case MB_ICONWARNING:
        box.setIcon(QMessageBox::Warning);
        break;
    case MB_ICONINFORMATION:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
    struct Button {
        int answer;
        QMessageBox::StandardButton qt;
    };
    std::vector<Button> buttons;
    switch (flags & 0xFu) {
    case MB_OKCANCEL:
        buttons = {{IDOK, QMessageBox::Ok}, {IDCANCEL, QMessageBox::Cancel}};
        break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{IDABORT, QMessageBox::Abort},
                   {IDRETRY, QMessageBox::Retry},
                   {IDIGNORE, QMessageBox::Ignore}};
        break;
    case MB_YESNOCANCEL:
        buttons = {
            {IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}, {IDCANCEL, QMessageBox::Cancel}};
        break;
    case MB_YESNO:
        buttons = {{IDYES, QMessageBox::Yes}, {IDNO, QMessageBox::No}};
        break;
    case MB_RETRYCANCEL:
        buttons = {{IDRETRY, QMessageBox::Retry}, {IDCANCEL, QMessageBox::Cancel}};
        break;
    default:
        buttons = {{IDOK, QMessageBox::Ok}};
        break;
    }
    std::vector<std::pair<int, QAbstractButton*>> made;
    for (const Button& b : buttons) {
        made.emplace_back(b.answer, box.addButton(b.qt));
    }
    size_t def = 0;
    if ((flags & MB_DEFBUTTON3) && made.size() > 2) {
        def = 2;
    } else if ((flags & MB_DEFBUTTON2) && made.size() > 1) {
        def = 1;
    }
    box.setDefaultButton(static_cast<QPushButton*>(made[def].second));
    const int unattended = UnattendedAnswer(flags);
    for (auto& [answer, button] : made) {
        if (answer == unattended) {
            box.setEscapeButton(button);
        }
    }
    if (session) {
        // The test's answer presses that button; no answer closes the box
        // the way an operator walking away would: Escape.
        QTimer::singleShot(0, &box, [&box, &made, scripted, &whileOpen] {
            if (whileOpen) {
                whileOpen();
                if (TerminationRequested()) {
                    return; // the signal's own path closes the box
                }
            }
            if (scripted) {
                for (auto& [answer, button] : made) {
                    if (answer == *scripted) {
                        button->click();
                        return;
                    }
                }
            }
            QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
            QApplication::sendEvent(&box, &esc);
        });
    }
    {
        ModalEntry entry(&box);
        box.exec();
    }
    if (TerminationRequested()) {
        return unattended;
    }
    QAbstractButton* clicked = box.clickedButton();
    for (auto& [answer, button] : made) {
        if (button == clicked) {
            return answer;
        }
    }
    return unattended;
}

platform::PromptService* QtBackend::Prompts() {
    return &g_prompts;
}

std::optional<std::string> QtBackend::AskFile(const FileDialogOptions& o) {
    DiscardPendingInput();
    QWidget* parent = nullptr;
    if (Dialog* top = detail::TopDialog()) {
        parent = WindowOf(*top);
    }
    QFileDialog dlg(parent, Q(o.title));
    dlg.setOption(QFileDialog::DontUseNativeDialog, true);
    dlg.setOption(QFileDialog::HideNameFilterDetails, true);
    dlg.setAcceptMode(o.open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dlg.setFileMode(o.open && o.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (!o.open && !o.overwritePrompt) {
        dlg.setOption(QFileDialog::DontConfirmOverwrite, true);
    }
    QStringList filters;
    for (const std::string& f : QtNameFilters(o.filter)) {
        filters << Q(f);
    }
    if (!filters.isEmpty()) {
        dlg.setNameFilters(filters);
        if (o.filterIndex >= 0 && o.filterIndex < filters.size()) {
            dlg.selectNameFilter(filters.at(o.filterIndex));
        }
    }
    if (!o.defaultExt.empty()) {
        dlg.setDefaultSuffix(Q(o.defaultExt));
    }
    if (!o.initialDir.empty()) {
        dlg.setDirectory(Q(o.initialDir));
    }
    if (!o.fileName.empty()) {
        dlg.selectFile(Q(o.fileName));
    }
    int result = QDialog::Rejected;
    {
        ModalEntry entry(&dlg);
        result = dlg.exec();
    }
    if (result != QDialog::Accepted || dlg.selectedFiles().isEmpty() || TerminationRequested()) {
        return std::nullopt;
    }
    return dlg.selectedFiles().first().toStdString();
}

void QtBackend::FontChanged() {
    QFont f(QStringLiteral("DejaVu Sans"));
    f.setPointSizeF(FontPointSize());
    QApplication::setFont(f);
}

// --- the driver on real widgets ---------------------------------------------

void QtBackend::Click(Dialog& dialog, int id) {
    DialogWindow* w = WindowOf(dialog);
    auto* b = w ? dynamic_cast<QAbstractButton*>(w->Widget(id)) : nullptr;
    if (b && b->isEnabled() && b->isVisible()) {
        b->click();
        return;
    }
    Backend::Click(dialog, id);
    if (w && DialogAccess::State(dialog).focus == id) {
        if (QWidget* widget = w->Widget(id)) {
            widget->setFocus(Qt::MouseFocusReason);
        }
    }
}

void QtBackend::Type(Dialog& dialog, int id, const std::string& text) {
    DialogWindow* w = WindowOf(dialog);
    QWidget* widget = w ? w->Widget(id) : nullptr;
    const ControlState* c = DialogAccess::Find(dialog, id);
    if (!widget || !c || !widget->isEnabled() || c->readOnly) {
        Backend::Type(dialog, id, text);
        return;
    }
    if (auto* le = dynamic_cast<QLineEdit*>(widget)) {
        le->setText(Q(text));
    } else if (auto* pe = dynamic_cast<QPlainTextEdit*>(widget)) {
        pe->setPlainText(Q(CrLfToLf(text)));
    } else {
        Backend::Type(dialog, id, text);
    }
}

void QtBackend::Select(Dialog& dialog, int id, int index) {
    DialogWindow* w = WindowOf(dialog);
    QWidget* widget = w ? w->Widget(id) : nullptr;
    if (auto* cb = dynamic_cast<QComboBox*>(widget);
        cb && cb->isEnabled() && index >= 0 && index < cb->count()) {
        cb->setCurrentIndex(index);
        emit cb->activated(index); // what the operator's pick in the list sends
        return;
    }
    if (auto* lb = dynamic_cast<QListWidget*>(widget);
        lb && lb->isEnabled() && index >= 0 && index < lb->count() && lb->currentRow() != index) {
        lb->setCurrentRow(index);
        return;
    }
    Backend::Select(dialog, id, index);
}

void QtBackend::Menu(Dialog& dialog, int id) {
    DialogWindow* w = WindowOf(dialog);
    QAction* a = w ? w->Action(id) : nullptr;
    if (a && a->isEnabled()) {
        a->trigger();
    } else {
        Backend::Menu(dialog, id);
    }
}

void QtBackend::Key(Dialog& dialog, const KeyMessage& key) {
    DialogWindow* w = WindowOf(dialog);
    if (!w) {
        Backend::Key(dialog, key);
        return;
    }
    QWidget* target = nullptr;
    if (const int focus = DialogAccess::State(dialog).focus) {
        target = w->Widget(focus);
    }
    if (!target) {
        target = w->focusWidget() ? w->focusWidget() : w;
    }
    const int qtKey = QtKeyFromVk(key.vk);
    const QString text = key.ch ? QString(QChar(static_cast<char16_t>(key.ch))) : QString();
    QKeyEvent press(QEvent::KeyPress, qtKey, Qt::NoModifier, text, key.repeat);
    QKeyEvent release(QEvent::KeyRelease, qtKey, Qt::NoModifier, text, key.repeat);
    QApplication::sendEvent(target, &press);
    if (DialogAccess::State(dialog).open && w == WindowOf(dialog)) {
        QApplication::sendEvent(target, &release);
    }
}

void QtBackend::Focus(Dialog& dialog, int id) {
    Backend::Focus(dialog, id);
    if (DialogWindow* w = WindowOf(dialog)) {
        if (QWidget* widget = w->Widget(id)) {
            widget->setFocus(Qt::OtherFocusReason);
        }
    }
}

void QtBackend::Close(Dialog& dialog) {
    DialogWindow* w = WindowOf(dialog);
    if (w && w->isVisible()) {
        w->close();
    } else {
        Backend::Close(dialog);
    }
}

QWidget* QtBackend::WindowFor(Dialog& dialog) {
    return WindowOf(dialog);
}

QWidget* QtBackend::ClientFor(Dialog& dialog) {
    DialogWindow* w = WindowOf(dialog);
    return w ? w->Client() : nullptr;
}

QWidget* QtBackend::ControlWidget(Dialog& dialog, int id) {
    DialogWindow* w = WindowOf(dialog);
    return w ? w->Widget(id) : nullptr;
}

} // namespace ui::qt
