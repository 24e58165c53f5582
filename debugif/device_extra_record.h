#pragma once
// The device extension record (the data of the "set device extension"
// command): 74 bytes, little-endian, of which the first ten carry values and
// the rest stay zero.

#include <cstdint>

#include "core/le_block.h"

namespace debugif {

class DeviceExtraRecord : public core::LeBlock<74> {
public:
    uint16_t BslStart() const { return U16<0x00>(); }
    uint16_t BslEnd() const { return U16<0x02>(); }
    uint16_t LayoutWord1() const { return U16<0x04>(); }
    uint16_t Emulation1() const { return U16<0x06>(); }
    uint16_t Emulation2() const { return U16<0x08>(); }

    void SetBslStart(uint16_t v) { SetU16<0x00>(v); }
    void SetBslEnd(uint16_t v) { SetU16<0x02>(v); }
    void SetLayoutWord1(uint16_t v) { SetU16<0x04>(v); }
    void SetEmulation1(uint16_t v) { SetU16<0x06>(v); }
    void SetEmulation2(uint16_t v) { SetU16<0x08>(v); }
};

} // namespace debugif
