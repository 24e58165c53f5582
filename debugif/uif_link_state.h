#pragma once
// The adapter link's process-wide blocks and buffers. The command layer
// fills RequestBlock (and may stage request data in UifFrameBuffer), runs
// the transaction and reads ResponseBlock before it lets go of the link.

#include "debugif/uif_blocks.h"
#include "debugif/uif_reply.h"
#include "debugif/uif_request.h"

#include <cstdint>

namespace debugif {

struct UifLinkState {
    UifRequest RequestBlock;
    UifResponse ResponseBlock;
    // The stuffed request frame, or a bulk block with its acknowledgement.
    uint8_t UifFrameBuffer[kUifFrameBufferSize] = {};
    // Apart from the frame, so that a retry sends the frame unchanged.
    uint8_t UifReplyBuffer[kUifReplyBufferSize] = {};
    // The unstuffed message is assembled here first, so that data staged in
    // UifFrameBuffer survives until it is copied.
    uint8_t message[kUifMessageBufferSize] = {};
    // Set while a verify is announced: serial replies may then be preceded
    // by two-byte interim pairs.
    int32_t ExpectInterimPairs = 0;

    void Reset();
};
extern UifLinkState UifLink;

} // namespace debugif
