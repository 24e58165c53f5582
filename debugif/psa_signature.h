#pragma once
// The signature a verify compares target memory by: the JTAG PSA over the
// 16-bit words of a range.

#include <cstdint>

namespace debugif {

// Over count bytes (count / 2 words, low byte first) starting at address:
// the value starts at address - 2; per word it shifts left by one, feeding
// back 0x0805 and a 1 when bit 15 was set, and takes the word in by XOR.
// Without bytes every word is taken as 0xFFFF, the erased state.
uint16_t PsaSignature(uint32_t address, const uint8_t* bytes, uint32_t count);

} // namespace debugif
