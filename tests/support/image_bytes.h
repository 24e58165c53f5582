#pragma once
// An image's defined bytes as an address map, so tests compare what was
// loaded or written with what they expect, address by address.

#include "core/code_image.h"

#include <cstdint>
#include <map>

namespace testsupport {

using ByteMap = std::map<uint32_t, uint8_t>;

inline ByteMap Defined(const core::ImageBytes& image) {
    ByteMap m;
    for (int32_t i = 0; i < core::kImageSize; ++i) {
        if (image.used[i]) {
            m[static_cast<uint32_t>(core::kImageStart + i)] = image.data[i];
        }
    }
    return m;
}

} // namespace testsupport
