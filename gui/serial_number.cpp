#include "gui/serial_number.h"

namespace gui {

SerialNumberState SerialNumber;

int32_t SnTextLength() {
    return 10;
}

void SerialNumberPrepareNext() {}

void SerialNumberComputeNext() {}

std::string SerialNumberTextClean(const std::string& text) {
    return text;
}

int32_t SnListFileRead(const std::string&) {
    return 0;
}

void SnListLoad() {}

int32_t SnListCount() {
    return 0;
}

} // namespace gui
