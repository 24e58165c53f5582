#pragma once
// The frame check sequence of the adapter messages: the 16-bit FCS of
// RFC 1662 (reflected polynomial 0x8408). A sender starts at kFcsStart and
// appends the complement of the result, low byte first; a receiver running
// over the message and those two bytes ends at kFcsGoodResidue.

#include <cstdint>

namespace debugif {

inline constexpr uint16_t kFcsStart = 0xFFFF;
inline constexpr uint16_t kFcsGoodResidue = 0xF0B8;

uint16_t ComputeFcs16(uint16_t start, const uint8_t* bytes, uint16_t count);

// Little-endian reads from any position, as every field on the adapter
// link is laid out.
uint16_t ReadLe16(const uint8_t* bytes);
uint32_t ReadLe32(const uint8_t* bytes);

} // namespace debugif
