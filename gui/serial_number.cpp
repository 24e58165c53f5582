#include "gui/serial_number.h"

namespace gui {

SerialNumberState SerialNumber;

int32_t SnTextLength() {
    return 10;
}

void SerialNumberPrepareNext() {}

void SerialNumberDisplayUpdate(int32_t) {}

} // namespace gui
