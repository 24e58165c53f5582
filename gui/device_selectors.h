#pragma once
// The device-group (1021) and device-type (1014) selectors of the main window.

#include <cstdint>
#include <string>

namespace gui {

// Fills 1014 with the rows of group (every group when it is empty), leaving
// out hidden rows (names of 2 characters or less) and second-ID rows.
void DeviceComboFill(const std::string& group);
// Selects the entry of 1014 whose first 8 characters match row n's name.
void DeviceComboSelect(int32_t row);
// Both combos anew: the groups, the selected device's group and its entry.
void DeviceCombosUpdate();

void OnGroupSelect();  // CBN_SELCHANGE 1021
void OnDeviceSelect(); // CBN_SELCHANGE 1014
// DeviceSelectByIndex and the information line for SelectedProcessorIndex.
void SelectedDeviceApply();

} // namespace gui
