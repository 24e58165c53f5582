#include "debugif/uif_fcs.h"

#include "core/le_block.h"

#include <array>

namespace debugif {

namespace {

constexpr std::array<uint16_t, 256> MakeFcsTable() {
    std::array<uint16_t, 256> table{};
    for (uint32_t b = 0; b < 256; ++b) {
        uint32_t v = b;
        for (int bit = 0; bit < 8; ++bit) {
            v = (v & 1) != 0 ? (v >> 1) ^ 0x8408 : v >> 1;
        }
        table[b] = static_cast<uint16_t>(v);
    }
    return table;
}

constexpr std::array<uint16_t, 256> kFcsTable = MakeFcsTable();

} // namespace

uint16_t ComputeFcs16(uint16_t start, const uint8_t* bytes, uint16_t count) {
    uint16_t fcs = start;
    for (uint16_t i = 0; i < count; ++i) {
        fcs = static_cast<uint16_t>((fcs >> 8) ^ kFcsTable[(fcs ^ bytes[i]) & 0xFF]);
    }
    return fcs;
}

uint16_t ReadLe16(const uint8_t* bytes) {
    return core::LoadU16(bytes);
}

uint32_t ReadLe32(const uint8_t* bytes) {
    return core::LoadU32(bytes);
}

} // namespace debugif
