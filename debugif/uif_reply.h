#pragma once
// Reply side of the adapter message codec, free of any I/O. A reply comes
// as a 16-bit length R and R bytes: id, type, status, error byte, then (on
// status 0) the parameters and data its type announces, then the FCS.

#include "debugif/uif_blocks.h"

#include <cstddef>
#include <cstdint>

namespace debugif {

inline constexpr size_t kUifReplyBufferSize = 2048;
inline constexpr uint16_t kUifMinReplyLength = 6; // id, type, status, error and the FCS
inline constexpr uint16_t kUifMaxReplyLength = kUifReplyBufferSize;

enum class UifReplyCheck : uint8_t {
    kOk,
    kBadLength, // R below 6 or above the reply buffer
    kBadFcs,
    kCorrupt, // more than 6 parameters, or parameters or data running into the FCS
};

// A length announced by the adapter that a reply can have at all.
bool UifReplyLengthValid(uint32_t length);

// Checks the R reply bytes and fills *response from them: id, type, status
// and error byte always, parameters and data on status 0 (the data pointer
// into reply). On anything but kOk the response is all zeros.
UifReplyCheck ParseUifReply(const uint8_t* reply, uint32_t length, UifResponse* response);

} // namespace debugif
