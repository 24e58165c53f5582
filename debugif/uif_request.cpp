#include "debugif/uif_request.h"

#include "core/le_block.h"
#include "debugif/uif_fcs.h"

#include <cstring>

namespace debugif {

size_t BuildUifMessage(const UifRequest& request, uint8_t* out, size_t capacity) {
    const bool params = UifTypeHasParams(request.message_type);
    const bool data = UifTypeHasData(request.message_type);
    if (params && request.parameter_count > kUifMaxParameters) {
        return 0;
    }
    size_t length = 2 + 2; // id and type; the FCS
    if (params) {
        length += 2 + 4u * request.parameter_count;
    }
    if (data) {
        if (request.data_length > 0 && request.data == nullptr) {
            return 0;
        }
        length += 4 + static_cast<size_t>(request.data_length);
    }
    if (length > capacity) {
        return 0;
    }
    size_t at = 0;
    out[at++] = request.command_id;
    out[at++] = request.message_type;
    if (params) {
        core::StoreU16(out + at, request.parameter_count);
        at += 2;
        for (uint16_t i = 0; i < request.parameter_count; ++i) {
            core::StoreU32(out + at, request.parameters[i]);
            at += 4;
        }
    }
    if (data) {
        core::StoreU32(out + at, request.data_length);
        at += 4;
        if (request.data_length > 0) {
            // memmove: nothing stops a caller from handing in bytes that
            // overlap the buffer the message is built in.
            std::memmove(out + at, request.data, request.data_length);
            at += request.data_length;
        }
    }
    const uint16_t fcs =
        static_cast<uint16_t>(~ComputeFcs16(kFcsStart, out, static_cast<uint16_t>(at)));
    out[at++] = static_cast<uint8_t>(fcs);
    out[at++] = static_cast<uint8_t>(fcs >> 8);
    return at;
}

size_t FrameUifMessage(const uint8_t* message, size_t length, uint8_t* out, size_t capacity) {
    size_t at = 0;
    auto put = [&](uint8_t b) {
        if (at < capacity) {
            out[at] = b;
        }
        ++at;
    };
    put(kUifFlag);
    for (size_t i = 0; i < length; ++i) {
        const uint8_t b = message[i];
        if (b == kUifFlag || b == kUifEscape) {
            put(kUifEscape);
            put(static_cast<uint8_t>(b ^ kUifEscapeXor));
        } else {
            put(b);
        }
    }
    put(kUifFlag);
    return at <= capacity ? at : 0;
}

size_t HidPaddedFrameLength(size_t frame_length) {
    if (frame_length >= 18 && frame_length <= 32) {
        return 32;
    }
    if (frame_length >= 33 && frame_length <= 62) {
        return 63;
    }
    return frame_length;
}

size_t PadHidFrame(uint8_t* frame, size_t frame_length, size_t capacity) {
    const size_t padded = HidPaddedFrameLength(frame_length);
    if (padded > capacity) {
        return frame_length;
    }
    std::memset(frame + frame_length, 0xFF, padded - frame_length);
    return padded;
}

bool UifNeedsHidPresend(const UifRequest& request) {
    switch (request.command_id) {
    case 41:
    case 14:
    case 9:
        return true;
    case 42:
        return request.parameter_count >= 3 && request.parameters[2] == 0;
    default:
        return false;
    }
}

size_t CutHidPresendBlock(const uint8_t* data, uint32_t remaining, uint16_t offset, uint8_t* block,
                          uint32_t* chunk) {
    uint32_t take = 0;
    uint32_t padded = 0;
    if (remaining >= 251) {
        take = padded = 251;
    } else if (remaining >= 59) {
        take = padded = 59;
    } else {
        take = remaining;
        padded = remaining >= 29 ? 59 : (remaining >= 14 ? 28 : remaining);
    }
    block[0] = kHidPresendMarker;
    core::StoreU16(block + 1, offset);
    block[3] = static_cast<uint8_t>(take);
    if (take > 0) {
        std::memcpy(block + 4, data, take);
    }
    std::memset(block + 4 + take, 0xFF, padded - take);
    *chunk = take;
    return 4 + padded;
}

} // namespace debugif
