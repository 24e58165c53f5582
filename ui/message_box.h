#pragma once
// Message boxes are the platform prompt service: platform::ShowMessageBox
// shows one on whichever back end is installed.

#include "platform/prompt.h"

#include <cstdint>
#include <string>

namespace ui {

// Shows a box owned by the top window; MB_ flags in, ID answer out.
inline int MessageBox(const std::string& text, const std::string& caption, uint32_t flags) {
    return platform::ShowMessageBox(text, caption, flags);
}

// The answer of a box that nobody answers (closed, Escape, unscripted):
// Cancel where it has one, else No, else its first button.
inline int UnattendedAnswer(uint32_t flags) {
    return platform::UnattendedAnswer(flags);
}

} // namespace ui
