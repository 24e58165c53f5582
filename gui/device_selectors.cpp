#include "gui/device_selectors.h"

#include "core/device_select.h"
#include "core/device_table.h"
#include "core/settings.h"
#include "gui/action_state.h"
#include "gui/main_dialog.h"
#include "gui/main_ids.h"
#include "gui/main_window_state.h"
#include "gui/procedure_frame.h"
#include "gui/window_facts.h"

#include <vector>

namespace gui {
namespace {

std::string Trimmed(const char* text) {
    std::string s = text;
    while (!s.empty() && s.back() == ' ') {
        s.pop_back();
    }
    return s;
}

// The operator chooses among rows that name a device of their own.
bool RowListed(int32_t row) {
    return Trimmed(core::DeviceInfoTable.records[row].name).size() > 2 &&
           core::DeviceIsSecondIdRow(row) == 0;
}

std::string PaddedTo8(std::string text) {
    text.resize(8, ' ');
    return text;
}

} // namespace

void DeviceComboFill(const std::string& group) {
    MainDialog* w = MainWindow.TheMainDialog;
    if (w == nullptr) {
        return;
    }
    w->ResetContent(kMainDeviceCombo);
    for (int32_t row = 1; row <= core::DeviceInfoTable.count; ++row) {
        const core::DeviceInfo& d = core::DeviceInfoTable.records[row];
        if (RowListed(row) && (group.empty() || Trimmed(d.group) == group)) {
            w->AddString(kMainDeviceCombo, Trimmed(d.name));
        }
    }
}

void DeviceComboSelect(int32_t row) {
    MainDialog* w = MainWindow.TheMainDialog;
    if (w == nullptr) {
        return;
    }
    int index = -1;
    if (row > 0 && core::DeviceRowValid(row)) {
        const std::string name = PaddedTo8(core::DeviceInfoTable.records[row].name);
        const std::vector<std::string> items = w->GetItems(kMainDeviceCombo);
        for (size_t i = 0; i < items.size() && index < 0; ++i) {
            if (PaddedTo8(items[i]).compare(0, 8, name, 0, 8) == 0) {
                index = static_cast<int>(i);
            }
        }
    }
    w->SetCurSel(kMainDeviceCombo, index);
}

void DeviceCombosUpdate() {
    MainDialog* w = MainWindow.TheMainDialog;
    if (w == nullptr) {
        return;
    }
    w->ResetContent(kMainGroupCombo);
    std::vector<std::string> groups;
    for (int32_t row = 1; row <= core::DeviceInfoTable.count; ++row) {
        const std::string group = Trimmed(core::DeviceInfoTable.records[row].group);
        if (!RowListed(row) || group.empty()) {
            continue;
        }
        bool seen = false;
        for (const std::string& g : groups) {
            seen = seen || g == group;
        }
        if (!seen) {
            groups.push_back(group);
            w->AddString(kMainGroupCombo, group);
        }
    }
    const int32_t selected = core::Settings.SelectedProcessorIndex;
    std::string group;
    if (selected > 0 && core::DeviceRowValid(selected)) {
        group = Trimmed(core::DeviceInfoTable.records[selected].group);
    }
    int groupIndex = -1;
    for (size_t i = 0; i < groups.size(); ++i) {
        if (groups[i] == group) {
            groupIndex = static_cast<int>(i);
        }
    }
    w->SetCurSel(kMainGroupCombo, groupIndex);
    DeviceComboFill(group);
    DeviceComboSelect(selected);
}

void OnGroupSelect() {
    MainDialog* w = MainWindow.TheMainDialog;
    if (w == nullptr) {
        return;
    }
    DeviceComboFill(w->GetItemText(kMainGroupCombo));
    DeviceComboSelect(core::Settings.SelectedProcessorIndex);
}

void OnDeviceSelect() {
    MainDialog* w = MainWindow.TheMainDialog;
    if (w == nullptr) {
        return;
    }
    const std::string text = w->GetItemText(kMainDeviceCombo);
    const size_t end = text.find_first_of(" \t");
    const std::string token = text.substr(0, end);
    int32_t index = 0;
    for (int32_t row = 1; row <= core::DeviceInfoTable.count && index == 0; ++row) {
        if (!token.empty() && Trimmed(core::DeviceInfoTable.records[row].name) == token) {
            index = row;
        }
    }
    if (index != core::Settings.SelectedProcessorIndex) {
        // Kept data of a board is no board's of another type.
        Actions.retained.Reset();
    }
    core::Settings.SelectedProcessorIndex = index;
    SelectedDeviceApply();
}

void SelectedDeviceApply() {
    core::DeviceSelectByIndex();
    DeviceInfoShow();
    // What was identified was identified for the device selected before.
    WindowFactsShow(kDeviceChanged);
}

} // namespace gui
