#include "core/serial_data.h"

#include "core/settings.h"

#include <cstring>

namespace core {

SerialDataState SerialData = [] {
    SerialDataState s{};
    s.Reset();
    return s;
}();

void SerialDataState::Reset() {
    *this = SerialDataState{};
    // Blank bytes are 0xFF, which no initialiser of an array writes.
    std::memset(SerialNumberBytes, 0xFF, sizeof SerialNumberBytes);
    std::memset(ModelTextBytes, 0xFF, sizeof ModelTextBytes);
}

namespace {
int32_t Clamp(int32_t v, int32_t max) {
    return v < 0 ? 0 : (v > max ? max : v);
}
} // namespace

int32_t SerialNumberPlacedCount() {
    return Clamp(SerialData.SerialNumberCount, kSerialNumberMax);
}

int32_t ModelTextPlacedCount() {
    return Clamp(Settings.ModelTextSize, kModelTextMax);
}

} // namespace core
