#include "debugif/uif_bulk.h"

#include "core/le_block.h"
#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/uif_command_state.h"
#include "debugif/uif_connect.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_reply.h"
#include "debugif/uif_serial_read.h"

#include <algorithm>
#include <cstring>

namespace debugif {

namespace {

constexpr uint8_t kAckStatus = 0; // kind 0: a status and an error byte
constexpr uint8_t kAckBlock = 6;  // kind 6: the number of the block taken
// A block write's own answer (length, id, type, status, error, FCS) is as
// long as an acknowledgement.
constexpr uint16_t kCommandReplyLength = 6;
// Reads of an answer that bring nothing before it counts as missing: as
// many as a transaction's tries, so that an adapter that stalls gets the
// same time here as there.
constexpr int kAnswerWaits = 3;

int32_t Fail(int32_t error) {
    Api.LastErrorNumber = error;
    return -1;
}

// How one block went.
enum class BlockEnd {
    kTaken,    // acknowledged
    kRefused,  // the adapter refused it (another block named, or its error)
    kUnsent,   // nothing of it went out
    kCut,      // only part of it went out
    kNoAnswer, // it went out whole; nothing came back
    kGarbage,  // it went out whole; what came back is no acknowledgement
};

struct BlockOutcome {
    BlockEnd end = BlockEnd::kUnsent;
    uint32_t written = 0; // bytes of header and data that went out
};

// Puts block n's header and data into UifFrameBuffer; its length on the wire.
uint32_t StageBlock(const UifBulkWrite& w, uint32_t n) {
    const uint32_t offset = (n - 1) * kUifBulkBlockSize;
    const uint32_t count = n == w.Blocks() ? w.LastSize() : kUifBulkBlockSize;
    uint8_t* block = UifLink.UifFrameBuffer;
    core::StoreU16(block, static_cast<uint16_t>(n));
    core::StoreU32(block + 2, w.address + offset);
    core::StoreU32(block + 6, count);
    std::memcpy(block + kUifBulkHeaderSize, w.bytes + offset, count);
    return static_cast<uint32_t>(kUifBulkHeaderSize) + count;
}

// Writes bytes [from, length) of the block staged in UifFrameBuffer; how
// many of them went out.
uint32_t WriteStaged(uint32_t from, uint32_t length) {
    uint32_t done = 0;
    SerialWrite(UifLink.UifFrameBuffer + from, length - from, &done);
    return done;
}

// What an 8-byte acknowledgement of block `number` says, with the error
// number to go with it.
BlockEnd Judge(const uint8_t* ack, uint32_t number) {
    switch (ack[3]) {
    case kAckStatus:
        if (ack[4] != 0) {
            Fail(ack[5] != kErrorNone ? ack[5] : kErrorCommunication);
            return BlockEnd::kRefused;
        }
        return BlockEnd::kTaken;
    case kAckBlock:
        if (core::LoadU32(ack + 4) != number) {
            Fail(kErrorWriteMemory);
            return BlockEnd::kRefused;
        }
        Api.LastErrorNumber = kErrorNone;
        return BlockEnd::kTaken;
    default:
        // Not an acknowledgement (the bytes of a stray reply, or a damaged
        // kind byte): nothing says that the block was written.
        Fail(kErrorCommunication);
        return BlockEnd::kGarbage;
    }
}

// One block of the write, staged and sent whole, its answer read.
BlockOutcome SendBlock(uint32_t number, uint32_t length) {
    BlockOutcome out;
    // A reply still owed would come ahead of the acknowledgement, and an
    // answer read now could not show that this block was written.
    if (UifLink.late_reply_count != 0) {
        Fail(kErrorCommunication);
        return out;
    }
    UifSerialFlushInput();
    out.written = WriteStaged(0, length);
    if (out.written != length) {
        Fail(kErrorCommunication);
        out.end = out.written == 0 ? BlockEnd::kUnsent : BlockEnd::kCut;
        return out;
    }
    uint8_t* ack = UifLink.UifFrameBuffer + length;
    uint32_t got = 0;
    if (!UifSerialRead(ack, kUifBulkAckSize, &got) || got != kUifBulkAckSize) {
        Fail(kErrorCommunication);
        out.end = got == 0 ? BlockEnd::kNoAnswer : BlockEnd::kGarbage;
        return out;
    }
    out.end = Judge(ack, number);
    return out;
}

// --- Bringing the adapter back to frames --------------------------------
//
// The adapter may be anywhere in the write's byte stream when its host
// lost track: it took the command or not, took some blocks, holds input it
// will carry out later (a stall), or is gone. The host sends the rest of
// the stream from where its own sending stopped, block by block, and
// nothing else until the last block is answered: an adapter that took the
// command then sees exactly the bytes of an undisturbed write, whatever it
// was doing meanwhile, and writes this write's own data at this write's own
// addresses and nothing more. A block is never sent twice and never sent
// after an answer that shows the adapter back at frames (a refusal, or the
// command's own answer refusing it); one that goes unanswered ends the
// stream too (an adapter that never took the command would read block
// bytes as frames: one block at most is all it gets).

// Where the host's sending of the stream stopped, and what it still owes.
struct StreamPoint {
    uint32_t block = 1;  // the block whose bytes go next
    uint32_t offset = 0; // bytes of it sent already
    uint32_t unread = 0; // blocks sent whole whose answer was not read
};

// The owed-reply entry of the block-write command, or -1.
int32_t OwedCommandEntry(uint8_t command_id) {
    for (size_t i = 0; i < UifLink.late_reply_count; ++i) {
        if (UifLink.LateReplies[i].command_id == command_id) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

// 8 bytes that are the block-write command's own reply.
bool IsCommandReply(const uint8_t* b, uint8_t command_id) {
    UifResponse r;
    return core::LoadU16(b) == kCommandReplyLength &&
           ParseUifReply(b + 2, kCommandReplyLength, &r) == UifReplyCheck::kOk &&
           r.command_id == command_id;
}

// What one read of an answer during the bring-back gave.
enum class Heard {
    kAck,     // an acknowledgement, in ack
    kRefusal, // the adapter is back at frames (a refusing acknowledgement or reply)
    kNothing, // nothing, after every wait
    kGarbage, // bytes that are neither
};

Heard Listen(const UifBulkWrite& w, uint8_t* ack, bool* alive) {
    for (;;) {
        uint32_t got = 0;
        for (int wait = 0; wait < kAnswerWaits && got == 0; ++wait) {
            if (!UifSerialRead(ack, kUifBulkAckSize, &got)) {
                return got == 0 ? Heard::kNothing : Heard::kGarbage;
            }
        }
        if (got == 0) {
            return Heard::kNothing;
        }
        *alive = true;
        if (got != kUifBulkAckSize) {
            return Heard::kGarbage;
        }
        const int32_t owed = OwedCommandEntry(w.command_id);
        if (owed >= 0 && IsCommandReply(ack, w.command_id)) {
            // The command's late answer, ahead of the acknowledgements: the
            // adapter answers in order, so what was owed before it is lost.
            const size_t n = static_cast<size_t>(owed) + 1;
            std::move(UifLink.LateReplies + n, UifLink.LateReplies + UifLink.late_reply_count,
                      UifLink.LateReplies);
            UifLink.late_reply_count -= n;
            if (ack[4] != 0) {
                return Heard::kRefusal; // it refused the write: no bulk phase
            }
            continue;
        }
        if (ack[3] == kAckBlock || (ack[3] == kAckStatus && ack[4] == 0)) {
            return Heard::kAck;
        }
        return ack[3] == kAckStatus ? Heard::kRefusal : Heard::kGarbage;
    }
}

// Reads the answers owed for the blocks sent up to `last`: true when every
// one came and took its block.
bool ReadOwedAnswers(const UifBulkWrite& w, StreamPoint& p, uint32_t last, bool* alive) {
    while (p.unread > 0) {
        uint8_t ack[kUifBulkAckSize];
        if (Listen(w, ack, alive) != Heard::kAck) {
            return false;
        }
        if (ack[3] == kAckStatus) {
            --p.unread; // no number: the oldest block owed
            continue;
        }
        // Answers come in order: one naming a later block owed tells that
        // the earlier answers were lost, not that their blocks were.
        const uint32_t number = core::LoadU32(ack + 4);
        const uint32_t first = last + 1 - p.unread;
        if (number < first || number > last) {
            return false;
        }
        p.unread = last - number;
    }
    return true;
}

// Sends the rest of the stream from p, reading each block's answer (and
// any owed before it) before the next goes out; true when the adapter
// answered anything meanwhile.
bool SendRest(const UifBulkWrite& w, StreamPoint p) {
    bool alive = false;
    for (; p.block <= w.Blocks(); ++p.block, p.offset = 0) {
        const uint32_t length = StageBlock(w, p.block);
        if (WriteStaged(p.offset, length) != length - p.offset) {
            return alive;
        }
        ++p.unread;
        if (!ReadOwedAnswers(w, p, p.block, &alive)) {
            return alive;
        }
    }
    // The last block's answer still owed: an adapter that holds the block
    // answers it before it takes the close.
    ReadOwedAnswers(w, p, w.Blocks(), &alive);
    return alive;
}

// The bring-back, then the close with the supply off; the first error stays.
int32_t BringBack(const UifBulkWrite& w, const StreamPoint& from) {
    const int32_t error = Api.LastErrorNumber;
    const bool alive = SendRest(w, from);
    // The library lets the link go as after every try spent; the close
    // switches the supply off. An adapter that answered gets the link's
    // own wait for it, a silent one only a short one.
    UifLink.gave_up = 1;
    UifLink.supply_off_confirmed = 0;
    Api.InterfaceOpen = 0;
    Api.InterfaceKind = kInterfaceNone;
    UifReleaseLostLink(alive ? 0 : kUifLostLinkCloseMs);
    Api.LastErrorNumber = error != kErrorNone ? error : kErrorCommunication;
    return -1;
}

} // namespace

uint32_t UifBulkWrite::Blocks() const {
    return (count + kUifBulkBlockSize - 1) / kUifBulkBlockSize;
}

uint32_t UifBulkWrite::LastSize() const {
    const uint32_t last = count % kUifBulkBlockSize;
    return last == 0 && count > 0 ? kUifBulkBlockSize : last;
}

int32_t UifSendBulkBlock(uint16_t block_number, uint32_t address, uint32_t count) {
    if (Transport.kind != kTransportSerial) {
        return Fail(kErrorNotSupported);
    }
    if (count > kUifBulkMaxCount) {
        return Fail(kErrorInvalidParameter);
    }
    uint8_t* block = UifLink.UifFrameBuffer;
    core::StoreU16(block, block_number);
    core::StoreU32(block + 2, address);
    core::StoreU32(block + 6, count);
    const BlockOutcome o =
        SendBlock(block_number, static_cast<uint32_t>(kUifBulkHeaderSize) + count);
    return o.end == BlockEnd::kTaken ? 0 : -1;
}

int32_t UifBulkPhase(const UifBulkWrite& w) {
    if (Transport.kind != kTransportSerial) {
        return Fail(kErrorNotSupported);
    }
    for (uint32_t n = 1; n <= w.Blocks(); ++n) {
        const uint32_t length = StageBlock(w, n);
        const BlockOutcome o = SendBlock(n, length);
        StreamPoint p;
        switch (o.end) {
        case BlockEnd::kTaken:
            continue;
        case BlockEnd::kRefused:
            // The adapter ended the write itself and takes frames again.
            return -1;
        case BlockEnd::kUnsent:
        case BlockEnd::kCut:
            p.block = n;
            p.offset = o.written;
            break;
        case BlockEnd::kNoAnswer:
            p.block = n + 1;
            p.unread = 1;
            break;
        case BlockEnd::kGarbage:
            p.block = n + 1;
            break;
        }
        return BringBack(w, p);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

int32_t UifBulkCommandFailed(const UifBulkWrite& w) {
    if (Transport.kind != kTransportSerial || UifLink.sent == 0 || UifLink.refused != 0 ||
        w.Blocks() == 0) {
        return -1;
    }
    return BringBack(w, StreamPoint{});
}

} // namespace debugif
