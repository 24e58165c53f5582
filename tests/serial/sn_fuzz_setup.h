#pragma once
// What the serialization fuzzers start each input with: a fresh engine with
// serialization on, the byte mode and SN size from the first byte (the
// display format is the fuzzer's own choice), and the other bytes as a file.

#include "core/core_state.h"
#include "core/settings.h"
#include "gui/serial_number.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

namespace sn_fuzz {

inline void Settings(uint8_t first, int32_t displayFormat) {
    core::CoreStateReset();
    gui::SerialNumber.Reset();
    core::Settings.Reset();
    core::Settings.SerializationEnable = 1;
    core::Settings.SNDispFormatIndex = displayFormat;
    core::Settings.SNMemFormatIndex = (first >> 3) % 5;
    core::Settings.Custom_SN_size = 4 + 2 * ((first >> 6) & 3);
}

// False when the file cannot be made.
inline bool FileWrite(const std::string& path, const uint8_t* data, size_t size) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (f == nullptr) {
        return false;
    }
    std::fwrite(data, 1, size, f);
    std::fclose(f);
    return true;
}

} // namespace sn_fuzz
