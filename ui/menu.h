#pragma once
// Menus as data. An id may stand in several places (File and Tools menu):
// it is one command, and enabling, checking or renaming it changes every
// place at once.

#include <string>
#include <vector>

namespace ui {

struct MenuItem {
    enum class Kind { Command, Popup, Separator };
    Kind kind = Kind::Command;
    int id = 0;
    std::string caption;
    std::vector<MenuItem> items; // Popup only

    static MenuItem Command(int id, std::string caption) {
        return MenuItem{Kind::Command, id, std::move(caption), {}};
    }
    static MenuItem Popup(std::string caption, std::vector<MenuItem> items) {
        return MenuItem{Kind::Popup, 0, std::move(caption), std::move(items)};
    }
    static MenuItem Separator() { return MenuItem{Kind::Separator, 0, {}, {}}; }
};

// The menu bar: top-level popups.
struct MenuTemplate {
    int id = 0;
    std::vector<MenuItem> popups;
};

} // namespace ui
