#pragma once
// The two message blocks through which the command layer talks to the
// adapter link: the request it fills and the reply the transaction leaves.

#include <cstdint>

namespace debugif {

// Message types, the same coding for requests and replies.
inline constexpr uint8_t kUifTypeBare = 1;       // no parameters, no data
inline constexpr uint8_t kUifTypeParams = 2;     // parameters
inline constexpr uint8_t kUifTypeData = 3;       // data
inline constexpr uint8_t kUifTypeParamsData = 4; // parameters and data

inline constexpr uint16_t kUifMaxParameters = 6;

inline constexpr bool UifTypeHasParams(uint8_t type) {
    return type == kUifTypeParams || type == kUifTypeParamsData;
}
inline constexpr bool UifTypeHasData(uint8_t type) {
    return type == kUifTypeData || type == kUifTypeParamsData;
}

struct UifRequest {
    uint8_t command_id = 0;
    uint8_t message_type = kUifTypeBare;
    uint16_t parameter_count = 0;
    uint32_t parameters[kUifMaxParameters] = {};
    uint32_t data_length = 0;
    const uint8_t* data = nullptr; // the caller's bytes, only read
};

struct UifResponse {
    uint8_t command_id = 0;
    uint8_t message_type = 0;
    uint8_t status = 0;       // 0 success
    uint8_t error_number = 0; // the adapter's error byte when status is not 0
    uint16_t parameter_count = 0;
    uint32_t parameters[kUifMaxParameters] = {};
    uint32_t data_length = 0;
    // Into UifReplyBuffer; valid until the next transaction.
    const uint8_t* data = nullptr;
};

} // namespace debugif
