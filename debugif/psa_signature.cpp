#include "debugif/psa_signature.h"

namespace debugif {

uint16_t PsaSignature(uint32_t address, const uint8_t* bytes, uint32_t count) {
    uint32_t value = (address - 2) & 0xFFFF;
    for (uint32_t i = 0; i + 1 < count; i += 2) {
        value = (value & 0x8000) != 0 ? (((value ^ 0x0805) << 1) | 1) : (value << 1);
        const uint32_t word =
            bytes != nullptr ? static_cast<uint32_t>(bytes[i] | (bytes[i + 1] << 8)) : 0xFFFF;
        value = (value ^ word) & 0xFFFF;
    }
    return static_cast<uint16_t>(value);
}

} // namespace debugif
