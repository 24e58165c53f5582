#include "ui/dialog.h"

#include "ui/data_exchange.h"
#include "ui/dialog_state.h"
#include "ui/globals.h"
#include "ui/transcript.h"

#include "platform/clock.h"

#include <algorithm>

namespace ui {

using detail::ControlState;
using detail::DialogAccess;
using detail::DialogState;

namespace {

// Windows raises shorter periods to this too; a 0 ms timer would make a
// test's clock advance spin for ever.
constexpr uint32_t kMinTimerPeriodMs = 10;

int Scale(int value, int base, int divisor) {
    // Rounded, as the dialog-unit conversion of the platforms does.
    const long long v = static_cast<long long>(value) * base;
    return static_cast<int>((v + (v >= 0 ? divisor / 2 : -divisor / 2)) / divisor);
}

int CountLines(const std::string& text) {
    return 1 + static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

namespace detail {

uint64_t NowMs() {
    const uint64_t counter = platform::ClockCounter();
    const uint64_t freq = platform::ClockFrequency();
    if (freq == 0) {
        return 0;
    }
    return counter / freq * 1000u + counter % freq * 1000u / freq;
}

std::vector<Dialog*>& OpenDialogs() {
    return Globals().openDialogs;
}

Dialog* TopDialog() {
    auto& open = OpenDialogs();
    return open.empty() ? nullptr : open.back();
}

std::string Tag(const Dialog& d) {
    return "[" + std::to_string(d.TemplateId()) + "] ";
}

ControlState* DialogAccess::Find(Dialog& d, int id) {
    for (ControlState& c : d.state_->controls) {
        if (c.tmpl.id == id && id != 0 && id != -1) {
            return &c;
        }
    }
    return nullptr;
}

} // namespace detail

namespace {

ControlState* Lookup(const Dialog& d, int id) {
    ControlState* c = DialogAccess::Find(const_cast<Dialog&>(d), id);
    if (!c) {
        TranscriptAdd(detail::Tag(d) + "unknown control " + std::to_string(id));
    }
    return c;
}

void Show(const Dialog& d, int id) {
    const DialogState& s = DialogAccess::State(d);
    if (s.view) {
        s.view->ControlChanged(id);
    }
}

} // namespace

Dialog::Dialog(DialogTemplate tmpl) : state_(std::make_unique<DialogState>()) {
    DialogState& s = *state_;
    s.caption = tmpl.caption;
    for (const ControlTemplate& ct : tmpl.controls) {
        ControlState c;
        c.tmpl = ct;
        c.text = ct.text;
        c.enabled = (ct.style & STYLE_DISABLED) == 0;
        c.visible = (ct.style & STYLE_HIDDEN) == 0;
        c.readOnly = (ct.style & STYLE_READONLY) != 0;
        c.bitmap = ct.bitmap;
        if (ct.kind == ControlKind::Combo || ct.kind == ControlKind::ListBox) {
            c.text.clear(); // a list shows its items only
        }
        s.controls.push_back(std::move(c));
    }
    s.tmpl = std::move(tmpl);
}

Dialog::~Dialog() {
    // A dialog destroyed while open (an exception through DoModal) must not
    // stay on the stack of open dialogs.
    auto& open = detail::OpenDialogs();
    open.erase(std::remove(open.begin(), open.end(), this), open.end());
}

int Dialog::TemplateId() const {
    return state_->tmpl.id;
}

const DialogTemplate& Dialog::Template() const {
    return state_->tmpl;
}

bool Dialog::IsOpen() const {
    return state_->open;
}

int Dialog::DoModal() {
    DialogState& s = *state_;
    if (s.open) {
        TranscriptAdd(detail::Tag(*this) + "already open");
        return -1;
    }
    Backend& backend = CurrentBackend();
    // A dialog opened while a handler runs takes none of the input that
    // arrived during the handler.
    for (Dialog* other : detail::OpenDialogs()) {
        if (other->state_->handlerDepth > 0) {
            backend.DiscardPendingInput();
            break;
        }
    }
    s.open = true;
    s.ending = false;
    s.endCode = IDCANCEL;
    s.handlerDepth = 0;
    s.terminated = false;
    s.timers.clear();
    TranscriptAdd(detail::Tag(*this) + "open \"" + s.caption + "\"");
    detail::OpenDialogs().push_back(this);
    // Closed again however DoModal is left, also by an exception.
    struct Closer {
        Dialog* self;
        DialogState& s;
        ~Closer() {
            auto& open = detail::OpenDialogs();
            open.erase(std::remove(open.begin(), open.end(), self), open.end());
            s.view.reset();
            s.timers.clear();
            s.open = false;
            s.ending = false;
        }
    };
    int code = IDCANCEL;
    {
        Closer closer{this, s};
        s.view = backend.CreateView(*this);
        DialogAccess::InitDialog(*this);
        // A termination signal that came before (or during) the opening
        // ends it here already.
        detail::TerminationDispatch();
        code = s.ending ? s.endCode : backend.RunModal(*this);
    }
    TranscriptAdd(detail::Tag(*this) + "end " + std::to_string(code));
    return code;
}

void Dialog::EndDialog(int code) {
    DialogState& s = *state_;
    if (!s.open || s.ending) {
        return;
    }
    s.ending = true;
    s.endCode = code;
    if (s.handlerDepth == 0 && s.view) {
        CurrentBackend().EndModal(*this, code);
    }
}

// --- controls ------------------------------------------------------------

void Dialog::SetItemText(int id, const std::string& text) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    if (c->tmpl.kind == ControlKind::Combo || c->tmpl.kind == ControlKind::ListBox) {
        // A drop-down list holds only its items: the text selects the item
        // that reads exactly so, if any.
        auto it = std::find(c->items.begin(), c->items.end(), text);
        if (it != c->items.end()) {
            c->selection = static_cast<int>(it - c->items.begin());
        }
    } else {
        c->text = text;
        if (c->tmpl.kind == ControlKind::Edit) {
            c->firstLine = 0;
        }
    }
    Show(*this, id);
}

std::string Dialog::GetItemText(int id) const {
    const ControlState* c = Lookup(*this, id);
    if (!c) {
        return {};
    }
    if (c->tmpl.kind == ControlKind::Combo || c->tmpl.kind == ControlKind::ListBox) {
        if (c->selection >= 0 && c->selection < static_cast<int>(c->items.size())) {
            return c->items[static_cast<size_t>(c->selection)];
        }
        return {};
    }
    return c->text;
}

void Dialog::CheckDlgButton(int id, int checked) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    c->checked = checked ? 1 : 0;
    Show(*this, id);
}

int Dialog::IsDlgButtonChecked(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c ? c->checked : 0;
}

void Dialog::CheckRadioButton(int firstId, int lastId, int checkId) {
    for (ControlState& c : state_->controls) {
        if (c.tmpl.id >= firstId && c.tmpl.id <= lastId &&
            (c.tmpl.kind == ControlKind::Radio || c.tmpl.kind == ControlKind::CheckBox)) {
            c.checked = c.tmpl.id == checkId ? 1 : 0;
            Show(*this, c.tmpl.id);
        }
    }
}

void Dialog::EnableItem(int id, bool enable) {
    ControlState* c = Lookup(*this, id);
    if (!c || c->enabled == enable) {
        return;
    }
    c->enabled = enable;
    Show(*this, id);
}

bool Dialog::IsItemEnabled(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c && c->enabled;
}

void Dialog::ShowItem(int id, bool show) {
    ControlState* c = Lookup(*this, id);
    if (!c || c->visible == show) {
        return;
    }
    c->visible = show;
    Show(*this, id);
}

bool Dialog::IsItemVisible(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c && c->visible;
}

void Dialog::SetReadOnly(int id, bool readOnly) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    c->readOnly = readOnly;
    Show(*this, id);
}

void Dialog::SetLimitText(int id, int maxChars) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    c->limit = std::max(0, maxChars);
    Show(*this, id);
}

void Dialog::SetFocus(int id) {
    if (!Lookup(*this, id)) {
        return;
    }
    const int old = state_->focus;
    state_->focus = id;
    if (old != 0 && old != id) {
        Show(*this, old);
    }
    Show(*this, id);
}

int Dialog::FocusedItem() const {
    return state_->focus;
}

void Dialog::ResetContent(int id) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    c->items.clear();
    c->selection = -1;
    Show(*this, id);
}

int Dialog::AddString(int id, const std::string& text) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return -1;
    }
    c->items.push_back(text);
    Show(*this, id);
    return static_cast<int>(c->items.size()) - 1;
}

int Dialog::GetCount(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c ? static_cast<int>(c->items.size()) : 0;
}

std::string Dialog::GetItemString(int id, int index) const {
    const ControlState* c = Lookup(*this, id);
    if (!c || index < 0 || index >= static_cast<int>(c->items.size())) {
        return {};
    }
    return c->items[static_cast<size_t>(index)];
}

std::vector<std::string> Dialog::GetItems(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c ? c->items : std::vector<std::string>{};
}

void Dialog::SetCurSel(int id, int index) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    c->selection = (index >= 0 && index < static_cast<int>(c->items.size())) ? index : -1;
    Show(*this, id);
}

int Dialog::GetCurSel(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c ? c->selection : -1;
}

void Dialog::SetRange(int id, int low, int high) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    c->low = std::min(low, high);
    c->high = std::max(low, high);
    c->pos = std::clamp(c->pos, c->low, c->high);
    Show(*this, id);
}

void Dialog::SetPos(int id, int pos) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    c->pos = std::clamp(pos, c->low, c->high);
    Show(*this, id);
}

int Dialog::GetPos(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c ? c->pos : 0;
}

int Dialog::GetLineCount(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c ? CountLines(c->text) : 0;
}

int Dialog::GetFirstVisibleLine(int id) const {
    const ControlState* c = Lookup(*this, id);
    return c ? c->firstLine : 0;
}

void Dialog::LineScroll(int id, int lines) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    const long long first = static_cast<long long>(c->firstLine) + lines;
    c->firstLine = static_cast<int>(std::clamp<long long>(first, 0, CountLines(c->text) - 1));
    Show(*this, id);
}

void Dialog::SetItemBitmap(int id, int bitmapId) {
    ControlState* c = Lookup(*this, id);
    if (!c) {
        return;
    }
    c->bitmap = bitmapId;
    Show(*this, id);
}

Rect Dialog::ItemRect(int id) const {
    const ControlState* c = Lookup(*this, id);
    if (!c) {
        return {};
    }
    const Size base = CurrentBackend().BaseUnits();
    const Rect& r = c->tmpl.rect;
    return Rect{Scale(r.x, base.width, 4), Scale(r.y, base.height, 8),
                Scale(r.width, base.width, 4), Scale(r.height, base.height, 8)};
}

Size Dialog::ClientSize() const {
    const Size base = CurrentBackend().BaseUnits();
    return Size{Scale(state_->tmpl.width, base.width, 4),
                Scale(state_->tmpl.height, base.height, 8)};
}

void Dialog::SetCaption(const std::string& caption) {
    state_->caption = caption;
    if (state_->view) {
        state_->view->CaptionChanged();
    }
}

std::string Dialog::Caption() const {
    return state_->caption;
}

void Dialog::Invalidate() {
    if (state_->view) {
        state_->view->Invalidate();
    }
}

void Dialog::UpdateWindow() {
    if (state_->view) {
        state_->view->UpdateWindow();
    }
}

// --- timers --------------------------------------------------------------

int Dialog::SetTimer(int id, uint32_t periodMs) {
    DialogState& s = *state_;
    if (!s.open) {
        return 0; // no window, no timer
    }
    const uint32_t period = std::max(periodMs, kMinTimerPeriodMs);
    const uint64_t due = detail::NowMs() + period;
    auto it = std::find_if(s.timers.begin(), s.timers.end(),
                           [id](const detail::TimerState& t) { return t.id == id; });
    if (it != s.timers.end()) {
        it->period = period;
        it->dueMs = due;
    } else {
        s.timers.push_back(detail::TimerState{id, period, due});
    }
    TranscriptAdd(detail::Tag(*this) + "timer " + std::to_string(id) + " set " +
                  std::to_string(periodMs) + " ms");
    if (s.view) {
        s.view->TimersChanged();
    }
    return id;
}

void Dialog::KillTimer(int id) {
    DialogState& s = *state_;
    auto it = std::find_if(s.timers.begin(), s.timers.end(),
                           [id](const detail::TimerState& t) { return t.id == id; });
    if (it == s.timers.end()) {
        return;
    }
    s.timers.erase(it);
    TranscriptAdd(detail::Tag(*this) + "timer " + std::to_string(id) + " killed");
    if (s.view) {
        s.view->TimersChanged();
    }
}

// --- menu ----------------------------------------------------------------

namespace {

void CollectMenu(const std::vector<MenuItem>& items, std::map<int, detail::MenuEntryState>& out) {
    for (const MenuItem& item : items) {
        if (item.kind == MenuItem::Kind::Popup) {
            CollectMenu(item.items, out);
        } else if (item.kind == MenuItem::Kind::Command && !out.count(item.id)) {
            out[item.id] = detail::MenuEntryState{true, false, item.caption};
        }
    }
}

} // namespace

void Dialog::SetMenu(MenuTemplate menu) {
    DialogState& s = *state_;
    s.menuState.clear();
    CollectMenu(menu.popups, s.menuState);
    s.menu = std::move(menu);
    s.hasMenu = true;
    ++s.menuVersion;
    if (s.view) {
        s.view->MenuChanged();
    }
}

namespace {

detail::MenuEntryState* MenuEntry(const Dialog& d, int id) {
    DialogState& s = const_cast<DialogState&>(DialogAccess::State(d));
    auto it = s.menuState.find(id);
    if (it == s.menuState.end()) {
        TranscriptAdd(detail::Tag(d) + "unknown menu item " + std::to_string(id));
        return nullptr;
    }
    return &it->second;
}

void MenuShow(const Dialog& d) {
    const DialogState& s = DialogAccess::State(d);
    if (s.view) {
        s.view->MenuChanged();
    }
}

} // namespace

void Dialog::EnableMenuItem(int id, bool enable) {
    detail::MenuEntryState* e = MenuEntry(*this, id);
    if (!e || e->enabled == enable) {
        return;
    }
    e->enabled = enable;
    TranscriptAdd(detail::Tag(*this) + "menu " + std::to_string(id) +
                  (enable ? " enabled" : " grayed"));
    MenuShow(*this);
}

void Dialog::CheckMenuItem(int id, bool checked) {
    detail::MenuEntryState* e = MenuEntry(*this, id);
    if (!e || e->checked == checked) {
        return;
    }
    e->checked = checked;
    TranscriptAdd(detail::Tag(*this) + "menu " + std::to_string(id) +
                  (checked ? " checked" : " unchecked"));
    MenuShow(*this);
}

void Dialog::SetMenuItemText(int id, const std::string& caption) {
    detail::MenuEntryState* e = MenuEntry(*this, id);
    if (!e || e->caption == caption) {
        return;
    }
    e->caption = caption;
    TranscriptAdd(detail::Tag(*this) + "menu " + std::to_string(id) + " text \"" + caption + "\"");
    MenuShow(*this);
}

bool Dialog::IsMenuItemEnabled(int id) const {
    const detail::MenuEntryState* e = MenuEntry(*this, id);
    return e && e->enabled;
}

bool Dialog::IsMenuItemChecked(int id) const {
    const detail::MenuEntryState* e = MenuEntry(*this, id);
    return e && e->checked;
}

std::string Dialog::MenuItemText(int id) const {
    const detail::MenuEntryState* e = MenuEntry(*this, id);
    return e ? e->caption : std::string();
}

bool Dialog::HasMenuItem(int id) const {
    return state_->menuState.count(id) != 0;
}

// --- data exchange and defaults -------------------------------------------

bool Dialog::UpdateData(bool saveAndValidate) {
    DataExchange dx(*this, saveAndValidate);
    DoDataExchange(dx);
    return !dx.Failed();
}

void Dialog::Map(Notify code, int id, Handler handler) {
    state_->handlers[{code, id}] = std::move(handler);
}

void Dialog::MapClose(Handler handler) {
    state_->closeHandler = std::move(handler);
}

bool Dialog::OnInitDialog() {
    UpdateData(false);
    return true;
}

void Dialog::OnTimer(int) {}

void Dialog::OnPaint(PaintContext&) {}

bool Dialog::PreTranslateMessage(const KeyMessage&) {
    return false;
}

void Dialog::OnOK() {
    if (UpdateData(true)) {
        EndDialog(IDOK);
    }
}

void Dialog::OnCancel() {
    EndDialog(IDCANCEL);
}

void Dialog::OnClose() {
    // The close box acts as the Cancel command, mapped or not.
    auto it = state_->handlers.find({BN_CLICKED, IDCANCEL});
    if (it != state_->handlers.end() && it->second) {
        it->second();
    } else {
        OnCancel();
    }
}

void Dialog::DoDataExchange(DataExchange&) {}

} // namespace ui
