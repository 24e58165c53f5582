#pragma once

#include <cstdint>

#include "ubrof/fatal.h"

namespace ubrof {

// The reader's one unsigned LEB128 decoder, over any byte source (the file
// stream or a record body in memory): 7-bit groups, least significant first,
// bit 7 set on every byte but the last. Values are 32 bits, so a number of
// more than five bytes, or a fifth byte with bits above bit 31, is a format
// error: cut to 32 bits, a length would read short and the reader would take
// the rest of a body for records.
template <class NextByte> uint32_t UbrofDecodeUleb(NextByte next) {
    uint32_t value = 0;
    for (int shift = 0; shift < 28; shift += 7) {
        const uint8_t b = next();
        value |= static_cast<uint32_t>(b & 0x7F) << shift;
        if ((b & 0x80) == 0) {
            return value;
        }
    }
    const uint8_t last = next();
    if (last > 0x0F) {
        UbrofFatal(kUbrofIllegalLeb128);
    }
    return value | (static_cast<uint32_t>(last) << 28);
}

} // namespace ubrof
