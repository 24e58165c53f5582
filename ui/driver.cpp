#include "ui/driver.h"

#include "ui/backend.h"
#include "ui/dialog.h"
#include "ui/dialog_state.h"
#include "ui/transcript.h"

#include "platform/clock.h"

#include <limits>

namespace ui {

void Driver::Click(int id) {
    CurrentBackend().Click(dialog_, id);
}

void Driver::Type(int id, const std::string& text) {
    CurrentBackend().Type(dialog_, id, text);
}

void Driver::Select(int id, int index) {
    CurrentBackend().Select(dialog_, id, index);
}

void Driver::Menu(int id) {
    CurrentBackend().Menu(dialog_, id);
}

void Driver::Key(uint32_t vk, uint32_t ch, bool repeat) {
    if (ch == 0 &&
        (vk == VK_RETURN || vk == VK_ESCAPE || vk == VK_TAB || vk == VK_BACK || vk == VK_SPACE)) {
        ch = vk; // these keys always yield their character
    }
    CurrentBackend().Key(dialog_, KeyMessage{vk, ch, repeat});
}

void Driver::KeyText(const std::string& text) {
    for (char c : text) {
        const auto ch = static_cast<unsigned char>(c);
        uint32_t vk = ch;
        if (ch >= 'a' && ch <= 'z') {
            vk = ch - 'a' + 'A';
        } else if (ch == '\r' || ch == '\n') {
            vk = VK_RETURN;
        }
        Key(vk, ch == '\n' ? '\r' : ch, false);
    }
}

void Driver::Focus(int id) {
    CurrentBackend().Focus(dialog_, id);
}

void Driver::Close() {
    CurrentBackend().Close(dialog_);
}

void Driver::Advance(uint32_t ms) {
    const uint64_t target = detail::NowMs() + ms;
    // Time passing is the dialog layer idle: a signal that came is acted on.
    detail::TerminationDispatch();
    for (;;) {
        Dialog* next = nullptr;
        uint64_t due = std::numeric_limits<uint64_t>::max();
        for (Dialog* d : detail::OpenDialogs()) {
            const uint64_t t = detail::DialogAccess::NextDue(*d);
            if (t < due) {
                due = t;
                next = d;
            }
        }
        if (!next || due > target) {
            break;
        }
        const uint64_t now = detail::NowMs();
        if (due > now) {
            platform::SleepMilliseconds(static_cast<uint32_t>(due - now));
        }
        detail::DialogAccess::FireDueTimers(*next);
        detail::TerminationDispatch();
    }
    const uint64_t now = detail::NowMs();
    if (target > now) {
        platform::SleepMilliseconds(static_cast<uint32_t>(target - now));
    }
}

std::vector<PaintedBitmap> Driver::Paint() {
    auto& s = detail::DialogAccess::State(dialog_);
    if (!s.view) {
        return {};
    }
    return s.view->PaintNow();
}

void Driver::Note(const std::string& text) {
    ui::Note(text);
}

} // namespace ui
