#include "ui/qt_keys.h"
#include "platform/ascii.h"

#include "ui/file_dialog.h"
#include "ui/types.h"

#include <Qt>
#include <cctype>

namespace ui::qt {

int QtKeyFromVk(uint32_t vk) {
    if (vk >= VK_F1 && vk < VK_F1 + 24) {
        return Qt::Key_F1 + static_cast<int>(vk - VK_F1);
    }
    switch (vk) {
    case VK_RETURN:
        return Qt::Key_Return;
    case VK_ESCAPE:
        return Qt::Key_Escape;
    case VK_TAB:
        return Qt::Key_Tab;
    case VK_SPACE:
        return Qt::Key_Space;
    case VK_END:
        return Qt::Key_End;
    case VK_BACK:
        return Qt::Key_Backspace;
    default:
        break;
    }
    if ((vk >= 'A' && vk <= 'Z') || (vk >= '0' && vk <= '9')) {
        return static_cast<int>(vk); // Qt::Key_A == 'A', Qt::Key_0 == '0'
    }
    if (vk > 0x20 && vk < 0x7F) {
        return static_cast<int>(vk); // punctuation keys carry their Latin-1 code in Qt
    }
    return 0;
}

uint32_t VkFromQtKey(int key) {
    if (key >= Qt::Key_F1 && key <= Qt::Key_F24) {
        return VK_F1 + static_cast<uint32_t>(key - Qt::Key_F1);
    }
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_End:
        return VK_END;
    case Qt::Key_Backspace:
        return VK_BACK;
    default:
        break;
    }
    if (key > 0x20 && key < 0x7F) {
        return static_cast<uint32_t>(key);
    }
    return 0;
}

std::vector<std::string> QtNameFilters(const std::string& filter) {
    std::vector<std::string> out;
    for (const FileFilter& f : ParseFileFilter(filter)) {
        std::string patterns;
        for (const std::string& p : f.patterns) {
            std::string q;
            if (p == "*.*" || p == "*") {
                q = "*";
            } else {
                for (char c : p) {
                    const auto u = static_cast<unsigned char>(c);
                    if (platform::AsciiIsAlpha(u)) {
                        q += '[';
                        q += static_cast<char>(platform::AsciiLower(u));
                        q += static_cast<char>(platform::AsciiUpper(u));
                        q += ']';
                    } else {
                        q += c;
                    }
                }
            }
            if (!patterns.empty()) {
                patterns += ' ';
            }
            patterns += q;
        }
        out.push_back(f.description + " (" + patterns + ")");
    }
    return out;
}

} // namespace ui::qt
