#include "debugif/jtag_shift.h"

#include "debugif/api_state.h"
#include "debugif/lpt_primitives.h"

namespace debugif {

namespace {

bool Shift(uint32_t value, int32_t bits, uint32_t mask, uint32_t* capture) {
    uint32_t c = 0;
    if (Lpt().ShiftDr(value & mask, bits, &c) != 0) {
        return false;
    }
    if (capture != nullptr) {
        *capture = c & mask;
    }
    return true;
}

} // namespace

bool Ir(uint8_t instruction, uint32_t* capture) {
    uint32_t c = 0;
    if (Lpt().ShiftIr(instruction, &c) != 0) {
        return false;
    }
    if (capture != nullptr) {
        *capture = c & 0xFF;
    }
    return true;
}

bool Dr8(uint32_t value, uint32_t* capture) {
    return Shift(value, 8, 0xFF, capture);
}
bool Dr16(uint32_t value, uint32_t* capture) {
    return Shift(value, 16, 0xFFFF, capture);
}
bool Dr20(uint32_t value, uint32_t* capture) {
    return Shift(value, 20, 0xFFFFF, capture);
}
bool Dr32(uint32_t value, uint32_t* capture) {
    return Shift(value, 32, 0xFFFFFFFF, capture);
}

void Step(int32_t n) {
    Lpt().Step(n);
}

int32_t LptFail(int32_t error) {
    Api.LastErrorNumber = error;
    return -1;
}

} // namespace debugif
