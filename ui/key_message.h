#pragma once
// A key press as the key pre-filter sees it.

#include <cstdint>

namespace ui {

struct KeyMessage {
    uint32_t vk = 0; // virtual-key code (VK_F5, 'A', '0', VK_RETURN ...)
    // The character the key yields, 0 for none (F5, End ...). Tab, Enter,
    // Escape and Backspace yield 9, 13, 27 and 8, as on the platform.
    uint32_t ch = 0;
    bool repeat = false; // auto-repeat of a held key
};

} // namespace ui
