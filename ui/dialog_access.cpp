// Operator input and the running of handlers: the one place that decides
// whether input is taken, refused or dropped, so both back ends behave alike.

#include "ui/dialog_state.h"
#include "ui/globals.h"
#include "ui/transcript.h"

#include <cstdio>
#include <exception>
#include <limits>
#include <new>

namespace ui::detail {
namespace {

std::string Hex(uint32_t v) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%02X", v);
    return buf;
}

const char* NotifyName(Notify code) {
    switch (code) {
    case Notify::Clicked:
        return "BN_CLICKED";
    case Notify::Change:
        return "EN_CHANGE";
    case Notify::SelChange:
        return "SELCHANGE";
    }
    return "?";
}

// A handler that ran at least this long has had input queued behind it
// that the operator gave while it ran (a click on AUTO PROG. during a run).
// A shorter one, the key filter taking one key of a bar-code scan, must not
// cost the keys queued right behind it.
constexpr uint64_t kLongHandlerMs = 50;

// After a handler of d returned: end the dialog if it asked to, else drop
// the input that arrived meanwhile and let held timers run.
void AfterHandler(Dialog& d, bool input, uint64_t startMs) {
    DialogState& s = DialogAccess::State(d);
    if (s.handlerDepth != 0 || !s.open) {
        return;
    }
    if (s.ending) {
        if (s.view) {
            CurrentBackend().EndModal(d, s.endCode);
        }
        return;
    }
    if (input && NowMs() - startMs >= kLongHandlerMs) {
        CurrentBackend().DiscardPendingInput();
    }
    if (s.view) {
        s.view->TimersChanged();
    }
    if (input) {
        TerminationDispatch();
    }
}

// What the framework does with an exception that leaves a handler: the
// operator is told, and the window goes on taking input.
void HandlerFailed(Dialog& d, const std::string& what) {
    TranscriptAdd(Tag(d) + "handler failed: " + what);
    platform::ShowMessageBox(what, "Error", MB_OK | MB_ICONERROR);
}

template <class F>
void RunHandler(Dialog& d, const std::string& line, F&& body, bool input = true) {
    DialogState& s = DialogAccess::State(d);
    if (!line.empty()) {
        TranscriptAdd(Tag(d) + line);
    }
    // An exception from a handler (allocation, stream) must not leave the
    // dialog busy for ever, refusing all input.
    struct Depth {
        DialogState& s;
        explicit Depth(DialogState& state) : s(state) { ++s.handlerDepth; }
        ~Depth() { --s.handlerDepth; }
    };
    const uint64_t start = NowMs();
    {
        Depth depth(s);
        try {
            body();
        } catch (const std::bad_alloc&) {
            HandlerFailed(d, "Out of memory.");
        } catch (const std::exception& e) {
            HandlerFailed(d, e.what());
        }
    }
    AfterHandler(d, input, start);
}

// Whether d takes input now; records why not.
bool Accepting(Dialog& d, const std::string& what) {
    DialogState& s = DialogAccess::State(d);
    if (!s.open || s.ending) {
        TranscriptAdd(Tag(d) + "refused " + what + ": dialog closed");
        return false;
    }
    if (s.handlerDepth > 0) {
        TranscriptAdd(Tag(d) + "dropped " + what + ": handler running");
        return false;
    }
    if (TopDialog() != &d) {
        TranscriptAdd(Tag(d) + "refused " + what + ": a window above");
        return false;
    }
    return true;
}

bool ControlTakes(Dialog& d, ControlState* c, int id, const std::string& what) {
    if (!c) {
        TranscriptAdd(Tag(d) + "refused " + what + ": no control " + std::to_string(id));
        return false;
    }
    if (!c->visible) {
        TranscriptAdd(Tag(d) + "refused " + what + ": hidden");
        return false;
    }
    if (!c->enabled) {
        TranscriptAdd(Tag(d) + "refused " + what + ": disabled");
        return false;
    }
    return true;
}

void ShowControl(Dialog& d, int id) {
    DialogState& s = DialogAccess::State(d);
    if (s.view) {
        s.view->ControlChanged(id);
    }
}

// Runs the BN_CLICKED command id: its handler, else OnOK / OnCancel for
// IDOK / IDCANCEL. label: "BN_CLICKED" or "menu".
void Command(Dialog& d, int id, const std::string& label) {
    DialogState& s = DialogAccess::State(d);
    auto it = s.handlers.find({Notify::Clicked, id});
    struct Caller : Dialog {
        static void Ok(Dialog& x) { (x.*(&Caller::OnOK))(); }
        static void Cancel(Dialog& x) { (x.*(&Caller::OnCancel))(); }
    };
    const std::string line = "run " + std::to_string(id) + " " + label;
    if (it != s.handlers.end() && it->second) {
        Handler h = it->second; // the handler may remap itself
        RunHandler(d, line, h);
    } else if (id == IDOK) {
        RunHandler(d, line, [&d] { Caller::Ok(d); });
    } else if (id == IDCANCEL) {
        RunHandler(d, line, [&d] { Caller::Cancel(d); });
    }
}

void Notification(Dialog& d, Notify code, int id) {
    DialogState& s = DialogAccess::State(d);
    auto it = s.handlers.find({code, id});
    if (it != s.handlers.end() && it->second) {
        Handler h = it->second;
        RunHandler(d, "run " + std::to_string(id) + " " + NotifyName(code), h);
    }
}

// The radios of the group that the radio at index belongs to.
std::pair<size_t, size_t> RadioGroup(const std::vector<ControlState>& controls, size_t index) {
    size_t first = index;
    while (first > 0 && !(controls[first].tmpl.style & STYLE_GROUP) &&
           controls[first - 1].tmpl.kind == ControlKind::Radio) {
        --first;
    }
    size_t last = index + 1;
    while (last < controls.size() && controls[last].tmpl.kind == ControlKind::Radio &&
           !(controls[last].tmpl.style & STYLE_GROUP)) {
        ++last;
    }
    return {first, last};
}

} // namespace

bool DialogAccess::OperatorClick(Dialog& d, int id) {
    const std::string what = "click " + std::to_string(id);
    if (!Accepting(d, what)) {
        return false;
    }
    ControlState* c = Find(d, id);
    if (!ControlTakes(d, c, id, what)) {
        return false;
    }
    DialogState& s = State(d);
    switch (c->tmpl.kind) {
    case ControlKind::CheckBox:
        c->checked = c->checked ? 0 : 1;
        ShowControl(d, id);
        break;
    case ControlKind::Radio: {
        const size_t index = static_cast<size_t>(c - s.controls.data());
        const auto [first, last] = RadioGroup(s.controls, index);
        for (size_t i = first; i < last; ++i) {
            const int was = s.controls[i].checked;
            s.controls[i].checked = i == index ? 1 : 0;
            if (was != s.controls[i].checked || i == index) {
                ShowControl(d, s.controls[i].tmpl.id);
            }
        }
        break;
    }
    case ControlKind::Button:
        break;
    case ControlKind::Edit:
    case ControlKind::Combo:
    case ControlKind::ListBox:
        s.focus = id; // a click into it gives it the keys
        return true;
    default:
        return true; // statics, frames, bars: a click does nothing
    }
    s.focus = id;
    Command(d, id, "BN_CLICKED");
    return true;
}

bool DialogAccess::OperatorEdit(Dialog& d, int id, const std::string& text) {
    const std::string what = "type " + std::to_string(id);
    if (!Accepting(d, what)) {
        return false;
    }
    ControlState* c = Find(d, id);
    if (!ControlTakes(d, c, id, what)) {
        return false;
    }
    if (c->tmpl.kind != ControlKind::Edit) {
        TranscriptAdd(Tag(d) + "refused " + what + ": not an edit");
        return false;
    }
    if (c->readOnly) {
        TranscriptAdd(Tag(d) + "refused " + what + ": read-only");
        return false;
    }
    std::string value = text;
    bool cut = false;
    if (c->limit > 0 && value.size() > static_cast<size_t>(c->limit)) {
        value.resize(static_cast<size_t>(c->limit));
        cut = true;
    }
    State(d).focus = id;
    if (value == c->text) {
        if (cut) {
            ShowControl(d, id);
        }
        return !cut;
    }
    c->text = value;
    if (cut) {
        ShowControl(d, id);
    }
    Notification(d, Notify::Change, id);
    return !cut;
}

bool DialogAccess::OperatorSelect(Dialog& d, int id, int index) {
    const std::string what = "select " + std::to_string(id);
    if (!Accepting(d, what)) {
        return false;
    }
    ControlState* c = Find(d, id);
    if (!ControlTakes(d, c, id, what)) {
        return false;
    }
    if (c->tmpl.kind != ControlKind::Combo && c->tmpl.kind != ControlKind::ListBox) {
        TranscriptAdd(Tag(d) + "refused " + what + ": not a list");
        return false;
    }
    if (index < 0 || index >= static_cast<int>(c->items.size())) {
        TranscriptAdd(Tag(d) + "refused " + what + ": no item " + std::to_string(index));
        return false;
    }
    c->selection = index;
    State(d).focus = id;
    ShowControl(d, id);
    Notification(d, Notify::SelChange, id);
    return true;
}

bool DialogAccess::OperatorMenu(Dialog& d, int id) {
    const std::string what = "menu " + std::to_string(id);
    if (!Accepting(d, what)) {
        return false;
    }
    DialogState& s = State(d);
    auto it = s.menuState.find(id);
    if (it == s.menuState.end()) {
        TranscriptAdd(Tag(d) + "refused " + what + ": no such item");
        return false;
    }
    if (!it->second.enabled) {
        TranscriptAdd(Tag(d) + "refused " + what + ": grayed");
        return false;
    }
    Command(d, id, "menu");
    return true;
}

bool DialogAccess::OperatorClose(Dialog& d) {
    if (!Accepting(d, "close")) {
        return false;
    }
    DialogState& s = State(d);
    struct Caller : Dialog {
        static void Close(Dialog& x) { (x.*(&Caller::OnClose))(); }
    };
    if (s.closeHandler) {
        Handler h = s.closeHandler;
        RunHandler(d, "run WM_CLOSE", h);
    } else {
        RunHandler(d, "run WM_CLOSE", [&d] { Caller::Close(d); });
    }
    return true;
}

void DialogAccess::CloseForTermination(Dialog& d) {
    DialogState& s = State(d);
    struct Caller : Dialog {
        static void Close(Dialog& x) { (x.*(&Caller::OnClose))(); }
    };
    if (s.closeHandler) {
        Handler h = s.closeHandler;
        RunHandler(d, "run WM_CLOSE", h, false);
    } else {
        RunHandler(
            d, "run WM_CLOSE", [&d] { Caller::Close(d); }, false);
    }
}

void DialogAccess::OperatorFocus(Dialog& d, int id) {
    ControlState* c = Find(d, id);
    if (c && c->enabled && c->visible) {
        State(d).focus = id;
    }
}

KeyOutcome DialogAccess::OperatorKey(Dialog& d, const KeyMessage& key) {
    if (!Accepting(d, "key " + Hex(key.vk))) {
        return KeyOutcome::Dropped;
    }
    struct Caller : Dialog {
        static bool Pre(Dialog& x, const KeyMessage& k) {
            return (x.*(&Caller::PreTranslateMessage))(k);
        }
    };
    bool swallowed = false;
    RunHandler(d, "", [&] { swallowed = Caller::Pre(d, key); });
    if (swallowed) {
        return KeyOutcome::Swallowed;
    }
    DialogState& s = State(d);
    if (!s.open || s.ending) {
        return KeyOutcome::Swallowed;
    }
    if (key.vk == VK_RETURN) {
        // Enter is the dialog's OK command, never a press of the focused button.
        Command(d, IDOK, "BN_CLICKED");
        return KeyOutcome::Handled;
    }
    if (key.vk == VK_ESCAPE) {
        Command(d, IDCANCEL, "BN_CLICKED");
        return KeyOutcome::Handled;
    }
    return KeyOutcome::PassOn;
}

void DialogAccess::DefaultKey(Dialog& d, const KeyMessage& key) {
    DialogState& s = State(d);
    ControlState* c = Find(d, s.focus);
    if (!c || !c->enabled || !c->visible) {
        return;
    }
    if (IsButtonKindForKey(c->tmpl.kind) && key.vk == VK_SPACE) {
        OperatorClick(d, c->tmpl.id);
        return;
    }
    if (c->tmpl.kind != ControlKind::Edit) {
        return;
    }
    if (key.vk == VK_BACK) {
        if (!c->text.empty()) {
            std::string t = c->text;
            t.pop_back();
            OperatorEdit(d, c->tmpl.id, t);
        }
        return;
    }
    if (key.ch >= 0x20 && key.ch < 0x7F) {
        if (c->readOnly) {
            TranscriptAdd(Tag(d) + "refused type " + std::to_string(c->tmpl.id) + ": read-only");
            return;
        }
        if (c->limit > 0 && c->text.size() >= static_cast<size_t>(c->limit)) {
            return; // the edit is full: the key is lost, as on every platform
        }
        OperatorEdit(d, c->tmpl.id, c->text + static_cast<char>(key.ch));
    }
}

bool DialogAccess::IsButtonKindForKey(ControlKind k) {
    return k == ControlKind::Button || k == ControlKind::CheckBox || k == ControlKind::Radio;
}

void DialogAccess::FireDueTimers(Dialog& d) {
    DialogState& s = State(d);
    if (!s.open || s.ending || s.handlerDepth > 0) {
        return;
    }
    const uint64_t now = NowMs();
    std::vector<int> due;
    for (const TimerState& t : s.timers) {
        if (t.dueMs <= now) {
            due.push_back(t.id);
        }
    }
    struct Caller : Dialog {
        static void Timer(Dialog& x, int id) { (x.*(&Caller::OnTimer))(id); }
    };
    for (int id : due) {
        if (!s.open || s.ending) {
            break;
        }
        auto it = std::find_if(s.timers.begin(), s.timers.end(),
                               [id](const TimerState& t) { return t.id == id; });
        if (it == s.timers.end() || it->dueMs > now) {
            continue; // killed or reset by an earlier timer's handler
        }
        // One firing for a timer that fell behind, not one per lost period.
        it->dueMs = now + it->period;
        RunHandler(d, "timer " + std::to_string(id) + " fired", [&] { Caller::Timer(d, id); });
    }
}

uint64_t DialogAccess::NextDue(const Dialog& d) {
    const DialogState& s = State(d);
    uint64_t next = std::numeric_limits<uint64_t>::max();
    if (!s.open || s.ending || s.handlerDepth > 0) {
        return next;
    }
    for (const TimerState& t : s.timers) {
        next = std::min(next, t.dueMs);
    }
    return next;
}

void DialogAccess::Paint(Dialog& d, PaintContext& paint) {
    struct Caller : Dialog {
        static void Paint(Dialog& x, PaintContext& p) { (x.*(&Caller::OnPaint))(p); }
    };
    RunHandler(
        d, "", [&] { Caller::Paint(d, paint); }, false);
}

bool DialogAccess::InitDialog(Dialog& d) {
    struct Caller : Dialog {
        static bool Init(Dialog& x) { return (x.*(&Caller::OnInitDialog))(); }
    };
    bool result = true;
    RunHandler(d, "", [&] { result = Caller::Init(d); });
    return result;
}

void DialogAccess::RunDialogScript(Dialog& d) {
    DialogState& s = State(d);
    if (!s.open || s.ending) {
        return;
    }
    std::optional<Script> script = TakeScript(d.TemplateId());
    if (!script) {
        TranscriptAdd(Tag(d) + "unscripted: IDCANCEL");
        d.EndDialog(IDCANCEL);
        return;
    }
    Driver driver(d);
    (*script)(driver);
    if (s.open && !s.ending) {
        TranscriptAdd(Tag(d) + "left open by its script: IDCANCEL");
        d.EndDialog(IDCANCEL);
    }
}

} // namespace ui::detail
