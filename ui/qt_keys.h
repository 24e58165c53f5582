#pragma once
// Virtual-key codes to Qt keys and back, and the application's file
// filters as Qt name filters. Used by the Qt back end only.

#include <cstdint>
#include <string>
#include <vector>

namespace ui::qt {

// Qt::Key value for a virtual-key code (0 when there is none).
int QtKeyFromVk(uint32_t vk);
// Virtual-key code for a Qt::Key value (0 when there is none).
uint32_t VkFromQtKey(int qtKey);
// "Text|*.txt;*.TX|All|*.*||" as Qt name filters matching case-blind:
// "Text (*.[tT][xX][tT] *.[tT][xX])", "All (*)".
std::vector<std::string> QtNameFilters(const std::string& filter);

} // namespace ui::qt
