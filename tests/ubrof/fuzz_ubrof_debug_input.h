#pragma once

// The input of fuzz_ubrof_debug: a list of records of a version-10 file.
// Each starts with a byte s:
//   s < 0x80, bit 0 set:  an address record, offset = the next u16;
//   s < 0x80, bit 0 clear: a data record of (s >> 1) bytes that follow;
//   s >= 0x80: a debug record of tag 0xD4, 0xD5, 0xD6 or 0xD9 (s & 3), a u16
//              body length and the body.
// Whatever the input cuts short is taken as far as it goes.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "tests/ubrof/ubrof_builder.h"

namespace ubrof_test {

inline constexpr uint8_t kFuzzDebugTags[4] = {0xD4, 0xD5, 0xD6, 0xD9};

struct FuzzDebugRecord {
    // 0x51 address, 0x39 data, or a debug tag.
    uint8_t tag;
    Bytes bytes;         // data bytes or debug body
    uint16_t offset = 0; // address records
};

inline Bytes EncodeFuzzDebugInput(const std::vector<FuzzDebugRecord>& records) {
    Bytes out;
    for (const FuzzDebugRecord& r : records) {
        if (r.tag == 0x51) {
            out.insert(out.end(),
                       {0x01, static_cast<uint8_t>(r.offset >> 8), static_cast<uint8_t>(r.offset)});
        } else if (r.tag == 0x39) {
            out.push_back(static_cast<uint8_t>(r.bytes.size() << 1)); // at most 63 bytes
            out.insert(out.end(), r.bytes.begin(), r.bytes.end());
        } else {
            uint8_t s = 0x80;
            for (uint8_t i = 0; i < 4; ++i) {
                if (kFuzzDebugTags[i] == r.tag) {
                    s |= i;
                }
            }
            out.insert(out.end(), {s, static_cast<uint8_t>(r.bytes.size() >> 8),
                                   static_cast<uint8_t>(r.bytes.size())});
            out.insert(out.end(), r.bytes.begin(), r.bytes.end());
        }
    }
    return out;
}

// The file with every record, and the same file with its code records only.
inline void DecodeFuzzDebugInput(const uint8_t* data, size_t size, UbrofBuilder& all,
                                 UbrofBuilder& code) {
    all.Version(10);
    code.Version(10);
    size_t at = 0;
    const auto take = [&](size_t n) {
        const size_t count = n < size - at ? n : size - at;
        Bytes bytes(data + at, data + at + count);
        at += count;
        return bytes;
    };
    while (at < size) {
        const uint8_t s = data[at++];
        if (s < 0x80 && (s & 1) != 0) {
            const Bytes b = take(2);
            const uint32_t offset = b.size() == 2 ? (b[0] << 8 | b[1]) : 0;
            all.Address(offset);
            code.Address(offset);
        } else if (s < 0x80) {
            const Bytes b = take(s >> 1);
            all.Data(b);
            code.Data(b);
        } else {
            const Bytes length = take(2);
            const size_t n = length.size() == 2 ? (length[0] << 8 | length[1]) : 0;
            all.DebugRecord(kFuzzDebugTags[s & 3], take(n));
        }
    }
    all.Close();
    code.Close();
}

} // namespace ubrof_test
