#pragma once
// The adapter link's process-wide blocks and buffers. The command layer
// fills RequestBlock (and may stage request data in UifFrameBuffer), runs
// the transaction and reads ResponseBlock before it lets go of the link.

#include "debugif/uif_blocks.h"
#include "debugif/uif_reply.h"
#include "debugif/uif_request.h"

#include <cstdint>

namespace debugif {

// A reply the adapter may still send for a frame already written: one
// entry per try that went out without its reply being read.
struct UifLateReply {
    uint8_t command_id = 0;
    // Data bytes the reply will carry, when the request says (a memory
    // read); kUifAnyLength otherwise.
    uint32_t data_length = 0;
    uint32_t request = 0; // the serial number of the request it answers
};
inline constexpr uint32_t kUifAnyLength = 0xFFFFFFFF;
inline constexpr size_t kUifLateRepliesMax = 16;

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
    // Replies still owed by the adapter, oldest first. It answers in order,
    // so a reply that is surely a later one proves every older entry
    // answered or lost. Entries outlive a failed transaction and a new
    // connect: a stalled adapter answers long after.
    UifLateReply LateReplies[kUifLateRepliesMax] = {};
    size_t late_reply_count = 0;
    uint32_t request_serial = 0; // counts the transactions
    // Set when a transaction spent every try: the library then counts the
    // interface as closed, but the port stays held until it is released.
    int32_t gave_up = 0;
    // How the last transaction ended, for a caller that must know whether
    // the adapter may have taken its request: some of the frame went out,
    // and the request's own intact reply refused it (status not 0).
    int32_t sent = 0;
    int32_t refused = 0;
    // Set when a lost link was let go after its close with the target
    // supply off was answered: the supply is known to be off. Cleared by
    // the next connect and by every link given up.
    int32_t supply_off_confirmed = 0;

    void Reset();
};
extern UifLinkState UifLink;

} // namespace debugif
