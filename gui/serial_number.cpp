#include "gui/serial_number.h"

#include "core/settings.h"
#include "gui/sn_history.h"

#include <algorithm>

namespace gui {

SerialNumberState SerialNumber;

void SerialNumberTextLength() {
    int32_t n = 10;
    switch (core::Settings.SNDispFormatIndex) {
    case kSnTypeCounter:
        n = 5;
        break;
    case kSnTypeYearDay:
        n = 10;
        break;
    case kSnTypeDate:
        n = 11;
        break;
    case kSnTypeCustom:
    case kSnTypeFromFile:
        n = core::Settings.Custom_SN_size;
        break;
    default:
        break;
    }
    SerialNumber.SnTextLength = std::clamp(n, 0, 256);
}

int32_t SnTextLength() {
    SerialNumberTextLength();
    return SerialNumber.SnTextLength;
}

void SerialNumberPrepareNext() {
    SerialNumber.SnHistoryText.clear();
    SerialNumber.SnHistoryPos = 0;
    SerialNumberComputeNext();
    SerialNumberPackNext();
}

} // namespace gui
