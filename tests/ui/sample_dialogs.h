#pragma once
// Small dialogs the dialog-layer tests drive on either back end.

#include "ui/canvas.h"
#include "ui/data_exchange.h"
#include "ui/dialog.h"
#include "ui/message_box.h"

#include <functional>
#include <string>
#include <vector>

namespace uitest {

inline constexpr int kButtonA = 1001;
inline constexpr int kButtonB = 1002;
inline constexpr int kCheck = 1033;
inline constexpr int kRadio1 = 1057;
inline constexpr int kRadio2 = 1058;
inline constexpr int kRadio3 = 1059;
inline constexpr int kEdit = 1051;
inline constexpr int kCombo = 1014;
inline constexpr int kList = 1194;
inline constexpr int kReport = 1026;
inline constexpr int kProgress = 1024;
inline constexpr int kStatic = 1184;
inline constexpr int kGroup = 149;
inline constexpr int kPicture = 1124;
inline constexpr int kMenuOpen = 23;
inline constexpr int kMenuList = 21; // in two menus
inline constexpr int kMenuExit = 128;
inline constexpr int kLamp = 111;

inline ui::DialogTemplate SampleTemplate(int id = 300) {
    using K = ui::ControlKind;
    return ui::DialogTemplate{
        id,
        "Sample",
        240,
        176,
        {
            {kGroup, K::Group, "Selected Device Information", {4, 4, 232, 52}},
            {kButtonA, K::Button, "AUTO PROG.", {10, 16, 60, 14}},
            {kButtonB, K::Button, "ERASE FLASH", {76, 16, 60, 14}},
            {kCheck, K::CheckBox, "Reload Code File", {142, 16, 88, 12}},
            {kRadio1, K::Radio, "HEX", {10, 36, 40, 12}, ui::STYLE_GROUP},
            {kRadio2, K::Radio, "BCD", {54, 36, 40, 12}},
            {kRadio3, K::Radio, "Ascii", {98, 36, 40, 12}},
            {kStatic, K::Static, "Port:", {142, 38, 30, 10}},
            {kEdit, K::Edit, "", {10, 62, 80, 14}},
            {kCombo, K::Combo, "", {96, 62, 70, 60}},
            {kList, K::ListBox, "", {172, 62, 60, 40}},
            {kReport, K::Edit, "", {10, 82, 156, 50}, ui::STYLE_MULTILINE | ui::STYLE_READONLY},
            {kProgress, K::Progress, "", {10, 138, 156, 10}},
            {kPicture, K::Picture, "", {172, 108, 60, 24}, 0, 157},
            {ui::IDOK, K::Button, "OK", {126, 156, 50, 14}},
            {ui::IDCANCEL, K::Button, "Cancel", {182, 156, 50, 14}},
        }};
}

inline ui::MenuTemplate SampleMenu() {
    using ui::MenuItem;
    return ui::MenuTemplate{
        117,
        {MenuItem::Popup("File", {MenuItem::Command(kMenuOpen, "Open Project"),
                                  MenuItem::Separator(), MenuItem::Command(kMenuExit, "Exit")}),
         MenuItem::Popup("View", {MenuItem::Command(kMenuList, "View pending SN list")}),
         MenuItem::Popup("Serialization", {MenuItem::Command(kMenuList, "View pending SN list")})}};
}

// Bitmaps of our own: a green lamp and a picture with a word.
inline void RegisterSampleBitmaps() {
    ui::RegisterBitmap(kLamp, 15, 16, [](ui::Canvas& c) {
        c.FillEllipse({1, 1, 13, 14}, ui::Color::Rgb(0, 200, 0));
        c.DrawEllipse({1, 1, 13, 14}, ui::Color::Rgb(0, 80, 0));
    });
    ui::RegisterBitmap(157, 98, 31, [](ui::Canvas& c) {
        c.FillRect({0, 0, 98, 31}, ui::Color::Rgb(0, 160, 0));
        c.DrawText({0, 0, 98, 31}, "Pass", ui::Color::Rgb(255, 255, 255), 20, true);
    });
}

// A dialog whose handlers the test supplies; counts what ran.
class SampleDialog : public ui::Dialog {
public:
    explicit SampleDialog(int id = 300) : ui::Dialog(SampleTemplate(id)) {
        Map(ui::BN_CLICKED, kButtonA, [this] {
            Ran("A");
            if (onA)
                onA(*this);
        });
        Map(ui::BN_CLICKED, kButtonB, [this] {
            Ran("B");
            if (onB)
                onB(*this);
        });
        Map(ui::BN_CLICKED, kCheck, [this] { Ran("check"); });
        Map(ui::BN_CLICKED, kRadio2, [this] { Ran("radio2"); });
        Map(ui::EN_CHANGE, kEdit, [this] { Ran("edit"); });
        Map(ui::CBN_SELCHANGE, kCombo, [this] { Ran("combo"); });
        Map(ui::LBN_SELCHANGE, kList, [this] { Ran("list"); });
        OnCommand(kMenuOpen, [this] { Ran("open"); });
        OnCommand(kMenuList, [this] { Ran("snlist"); });
        SetMenu(SampleMenu());
    }

    std::vector<std::string> ran;
    std::vector<ui::KeyMessage> keys;
    int timers = 0;
    bool swallowF5 = true;
    std::function<void(SampleDialog&)> onA;
    std::function<void(SampleDialog&)> onB;
    std::function<void(SampleDialog&)> onInit;
    std::function<void(SampleDialog&, int)> onTimer;
    std::vector<ui::PaintedBitmap> lamps; // drawn by OnPaint

    int count(const std::string& what) const {
        int n = 0;
        for (const auto& r : ran) {
            n += r == what;
        }
        return n;
    }

protected:
    bool OnInitDialog() override {
        ui::Dialog::OnInitDialog();
        AddString(kCombo, "2.2 V");
        AddString(kCombo, "2.4 V");
        AddString(kCombo, "2.6 V");
        AddString(kList, "Automatic");
        AddString(kList, "HID0001");
        SetFocus(kButtonA);
        if (onInit) {
            onInit(*this);
        }
        return true;
    }
    void OnTimer(int id) override {
        ++timers;
        if (onTimer) {
            onTimer(*this, id);
        }
    }
    void OnPaint(ui::PaintContext& p) override {
        for (const auto& l : lamps) {
            p.DrawBitmap(l.bitmap, l.x, l.y);
        }
    }
    bool PreTranslateMessage(const ui::KeyMessage& k) override {
        keys.push_back(k);
        return swallowF5 && k.vk == ui::VK_F5;
    }
    void OnOK() override { Ran("ok"); }
    void OnCancel() override {
        Ran("cancel");
        ui::Dialog::OnCancel();
    }

private:
    void Ran(const std::string& what) { ran.push_back(what); }
};

} // namespace uitest
