#pragma once

#include <array>
#include <cstdint>

namespace ubrof {

// The body length rule of each record tag, as declared by version records.
// Codes 0..127: the body has that many bytes; 128..251: illegal; 252: a
// LEB128 length follows; 253: a one-byte length; 254: a 16-bit length;
// 255: a 32-bit length; 256: the tag was never declared.
struct UbrofSkipTable {
    static constexpr uint16_t kUndeclared = 256;
    static constexpr uint16_t kLeb128Length = 252;
    static constexpr uint16_t kByteLength = 253;
    static constexpr uint16_t kU16Length = 254;
    static constexpr uint16_t kU32Length = 255;
    static constexpr uint16_t kFirstIllegal = 128;

    UbrofSkipTable() { Reset(); }
    void Reset() { code.fill(kUndeclared); }

    std::array<uint16_t, 256> code;
};

} // namespace ubrof
