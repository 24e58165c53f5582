#include "debugif/uif_reply.h"

#include "core/le_block.h"
#include "debugif/uif_fcs.h"

namespace debugif {

bool UifReplyLengthValid(uint32_t length) {
    return length >= kUifMinReplyLength && length <= kUifMaxReplyLength;
}

UifReplyCheck ParseUifReply(const uint8_t* reply, uint32_t length, UifResponse* response) {
    *response = UifResponse{};
    if (!UifReplyLengthValid(length)) {
        return UifReplyCheck::kBadLength;
    }
    if (ComputeFcs16(kFcsStart, reply, static_cast<uint16_t>(length)) != kFcsGoodResidue) {
        return UifReplyCheck::kBadFcs;
    }
    // Everything the reply announces must lie before its FCS.
    const uint32_t end = length - 2;
    UifResponse r;
    r.command_id = reply[0];
    r.message_type = reply[1];
    r.status = reply[2];
    r.error_number = reply[3];
    uint32_t at = 4;
    if (r.status == 0) {
        if (UifTypeHasParams(r.message_type)) {
            if (end - at < 2) {
                return UifReplyCheck::kCorrupt;
            }
            const uint16_t n = core::LoadU16(reply + at);
            at += 2;
            if (n > kUifMaxParameters || end - at < 4u * n) {
                return UifReplyCheck::kCorrupt;
            }
            r.parameter_count = n;
            for (uint16_t i = 0; i < n; ++i) {
                r.parameters[i] = core::LoadU32(reply + at);
                at += 4;
            }
        }
        if (UifTypeHasData(r.message_type)) {
            if (end - at < 4) {
                return UifReplyCheck::kCorrupt;
            }
            const uint32_t n = core::LoadU32(reply + at);
            at += 4;
            if (n > end - at) {
                return UifReplyCheck::kCorrupt;
            }
            r.data_length = n;
            r.data = reply + at;
        }
    }
    *response = r;
    return UifReplyCheck::kOk;
}

} // namespace debugif
