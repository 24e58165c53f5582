#include "debugif/uif_transaction.h"

#include "core/le_block.h"
#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/hid_device.h"
#include "debugif/hid_features.h"
#include "debugif/hid_reports.h"
#include "debugif/link_timing.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "debugif/uif_command.h"
#include "debugif/uif_link_state.h"
#include "debugif/uif_serial_read.h"
#include "platform/clock.h"

#include <algorithm>

namespace debugif {

namespace {

constexpr uint8_t kCommandRun = 17;
constexpr uint8_t kStatusUnknown = 0x3F; // '?': the adapter did not know the request
constexpr int kHidLengthRereads = 3;

// How one try ended.
enum class TryEnd {
    kReply,   // a reply that passed every check is in ResponseBlock
    kNextTry, // nothing usable came; another try may follow
    kLastTry, // nothing usable came; no further try
};

int32_t Fail(int32_t error) {
    Api.LastErrorNumber = error;
    return -1;
}

// A failure the adapter reports with error byte 0 still failed: it must
// not read "No error".
int32_t FailByAdapter(uint8_t error) {
    return Fail(error != kErrorNone ? error : kErrorCommunication);
}

// Carries the request's data ahead of the message in pre-send blocks; the
// message then announces the data length as one more parameter and carries
// no data itself.
bool PresendHidData(UifRequest& request) {
    if (request.parameter_count >= kUifMaxParameters || request.data_length > 0xFFFF ||
        (request.data_length > 0 && request.data == nullptr)) {
        return false;
    }
    request.parameters[request.parameter_count++] = request.data_length;
    request.message_type = kUifTypeParams;
    uint8_t block[kHidPresendBlockMax];
    uint16_t offset = 0;
    while (request.data_length > 0) {
        uint32_t chunk = 0;
        const size_t n =
            CutHidPresendBlock(request.data, request.data_length, offset, block, &chunk);
        if (WriteHidReports(HidTransport.device, block, static_cast<uint32_t>(n)) != kHidOk) {
            return false;
        }
        offset = static_cast<uint16_t>(offset + chunk);
        request.data += chunk;
        request.data_length -= chunk;
    }
    return true;
}

// What reading one reply gave.
enum class ReplyRead {
    kReply,   // a reply that passed its length and FCS checks is in ResponseBlock
    kNothing, // too little came in time, or the read failed
    kGarbage, // bytes came that are no reply: the line is out of step
};

// The reply bytes in UifReplyBuffer passed their length and FCS checks and
// parse into ResponseBlock, or they are garbage.
ReplyRead TakeReply(uint32_t length) {
    return ParseUifReply(UifLink.UifReplyBuffer, length, &UifLink.ResponseBlock) ==
                   UifReplyCheck::kOk
               ? ReplyRead::kReply
               : ReplyRead::kGarbage;
}

// Serial bytes read ahead to tell what comes next (an owed reply, or this
// request's interim pairs) and not yet taken; every read takes them first.
// Whose: the link's, for the process; emptied with the input they came
// from.
struct SerialAhead {
    uint8_t bytes[3] = {};
    uint32_t count = 0;
    uint32_t at = 0;
};
SerialAhead Ahead;

bool SerialReadExactly(uint8_t* buffer, uint32_t count) {
    uint32_t done = 0;
    return UifSerialRead(buffer, count, &done) && done == count;
}

// The next count bytes (at most 3) without taking them; false when fewer
// came in time (what came stays ahead).
bool SerialPeek(uint32_t count) {
    std::copy(Ahead.bytes + Ahead.at, Ahead.bytes + Ahead.count, Ahead.bytes);
    Ahead.count -= Ahead.at;
    Ahead.at = 0;
    if (Ahead.count >= count) {
        return true;
    }
    uint32_t more = 0;
    const bool ok = SerialRead(Ahead.bytes + Ahead.count, count - Ahead.count, &more);
    Ahead.count += more;
    return ok && Ahead.count >= count;
}

// --- Replies the adapter still owes -----------------------------------
//
// A try that times out may still be answered: an adapter that stalls
// answers every frame it got once it goes on, in order. Such a late reply
// must never pass for the answer to a later request. Every try that went
// out is noted as owed until a reply is read for it; a reply that one of
// an earlier request's owed entries could account for is taken as that
// late reply and read past. Replies to earlier tries of the same request
// are the same answer and may be taken. When in doubt a reply counts as
// late: the worst that does is one more try.

uint32_t LateLengthOf(const UifRequest& request) {
    return request.command_id == kUifReadMemory && request.parameter_count >= 2
               ? request.parameters[1]
               : kUifAnyLength;
}

void LateDropFront(size_t n) {
    UifLinkState& l = UifLink;
    n = std::min(n, l.late_reply_count);
    std::move(l.LateReplies + n, l.LateReplies + l.late_reply_count, l.LateReplies);
    l.late_reply_count -= n;
}

void LateNoteTry(const UifRequest& request) {
    UifLinkState& l = UifLink;
    if (l.late_reply_count == kUifLateRepliesMax) {
        LateDropFront(1);
    }
    l.LateReplies[l.late_reply_count++] =
        UifLateReply{request.command_id, LateLengthOf(request), l.request_serial};
}

// The oldest entry of an earlier request that the reply in ResponseBlock
// could be, or -1.
int32_t LateEntryFor(const UifResponse& reply) {
    const UifLinkState& l = UifLink;
    for (size_t i = 0; i < l.late_reply_count; ++i) {
        const UifLateReply& e = l.LateReplies[i];
        if (e.request != l.request_serial && e.command_id == reply.command_id &&
            (e.data_length == kUifAnyLength || reply.status != 0 ||
             e.data_length == reply.data_length)) {
            return static_cast<int32_t>(i);
        }
    }
    return -1;
}

// An entry of an earlier request still owed.
bool LateOwedByEarlier() {
    const UifLinkState& l = UifLink;
    for (size_t i = 0; i < l.late_reply_count; ++i) {
        if (l.LateReplies[i].request != l.request_serial) {
            return true;
        }
    }
    return false;
}

// One of this request's own tries is still owed its reply.
bool LateOwnOwed() {
    const UifLinkState& l = UifLink;
    for (size_t i = 0; i < l.late_reply_count; ++i) {
        if (l.LateReplies[i].request == l.request_serial) {
            return true;
        }
    }
    return false;
}

// Bytes that begin with a reply length and the id of a reply an earlier
// request still owes.
bool LateReplyAhead(const uint8_t* b) {
    if (!UifReplyLengthValid(core::LoadU16(b))) {
        return false;
    }
    const UifLinkState& l = UifLink;
    for (size_t i = 0; i < l.late_reply_count; ++i) {
        const UifLateReply& e = l.LateReplies[i];
        if (e.request != l.request_serial && e.command_id == b[2]) {
            return true;
        }
    }
    return false;
}

// Two bytes that are a reply's length, not one of this request's interim
// pairs (its id first) nor the pair that ends them (0x00 0xFF, no valid
// length). Two bytes only: the pairs come as the adapter works, and a
// read of more could end in the gap between two of them.
bool ReplyLengthAhead(const uint8_t* b) {
    return b[0] != UifLink.RequestBlock.command_id && UifReplyLengthValid(core::LoadU16(b));
}

// This request's own answer has begun (its interim pairs): the adapter
// answers in order, so whatever an earlier request still owed was lost.
void LateDropEarlier() {
    UifLinkState& l = UifLink;
    size_t kept = 0;
    for (size_t i = 0; i < l.late_reply_count; ++i) {
        if (l.LateReplies[i].request == l.request_serial) {
            l.LateReplies[kept++] = l.LateReplies[i];
        }
    }
    l.late_reply_count = kept;
}

// The reply in ResponseBlock is this request's: every older entry was
// answered or lost, and one of this request's own tries is answered.
void LateTakeOwn() {
    UifLinkState& l = UifLink;
    size_t kept = 0;
    bool own_taken = false;
    for (size_t i = 0; i < l.late_reply_count; ++i) {
        const UifLateReply& e = l.LateReplies[i];
        if (e.request != l.request_serial) {
            continue;
        }
        if (!own_taken) {
            own_taken = true;
            continue;
        }
        l.LateReplies[kept++] = e;
    }
    l.late_reply_count = kept;
}

// After garbage: discards input until the line has been quiet for the gap.
// The owed entries stay: what was discarded may not have been theirs.
void SerialSettle() {
    const uint32_t start = platform::TickCountMs();
    while (SerialWaitInput(1, static_cast<int32_t>(LinkTiming.quiet_gap_ms)) > 0 &&
           platform::ElapsedMilliseconds(start) < LinkTiming.quiet_limit_ms) {
        SerialPurge(platform::kPurgeRxAbort | platform::kPurgeRxClear);
    }
    SerialPurge(platform::kPurgeRxAbort | platform::kPurgeRxClear);
    Ahead = SerialAhead{};
}

ReplyRead SerialReadReply() {
    uint8_t pair[2];
    if (!SerialReadExactly(pair, 2)) {
        return ReplyRead::kNothing;
    }
    const uint16_t length = core::LoadU16(pair);
    if (!UifReplyLengthValid(length)) {
        return ReplyRead::kGarbage;
    }
    uint32_t done = 0;
    if (!UifSerialRead(UifLink.UifReplyBuffer, length, &done)) {
        return ReplyRead::kNothing;
    }
    if (done != length) {
        return done == 0 ? ReplyRead::kNothing : ReplyRead::kGarbage;
    }
    return TakeReply(length);
}

ReplyRead HidReadReply() {
    HidDevice& device = HidTransport.device;
    uint8_t pair[2];
    uint32_t got = 0;
    int32_t status = ReadHidReports(device, pair, 2, &got);
    // A length split across reports: the re-reads ask only for what is
    // still missing.
    for (int i = 0; i < kHidLengthRereads && status == kHidTimeout; ++i) {
        uint32_t more = 0;
        status = ReadHidReports(device, pair + got, 2 - got, &more);
        got += more;
    }
    if (status != kHidOk || got != 2) {
        return ReplyRead::kNothing;
    }
    const uint16_t length = core::LoadU16(pair);
    if (!UifReplyLengthValid(length)) {
        return ReplyRead::kGarbage;
    }
    if (ReadHidReports(device, UifLink.UifReplyBuffer, length, &got) != kHidOk || got != length) {
        return ReplyRead::kGarbage;
    }
    return TakeReply(length);
}

// Reads one reply: kOwn when it is this request's, kLate when it was a
// late reply of an earlier request (read past); else *end says how the try
// ends.
enum class OneReply { kOwn, kLate, kTryEnds };
OneReply ReadOneReply(bool hid, TryEnd* end) {
    const ReplyRead r = hid ? HidReadReply() : SerialReadReply();
    if (r == ReplyRead::kGarbage) {
        // A damaged reply still answered the oldest frame owed.
        LateDropFront(1);
        if (!hid) {
            SerialSettle();
        }
    }
    if (r != ReplyRead::kReply) {
        // On HID a try that brought nothing usable is the last one.
        *end = hid ? TryEnd::kLastTry : TryEnd::kNextTry;
        return OneReply::kTryEnds;
    }
    const int32_t late = LateEntryFor(UifLink.ResponseBlock);
    if (late < 0) {
        LateTakeOwn();
        *end = TryEnd::kReply;
        return OneReply::kOwn;
    }
    LateDropFront(static_cast<size_t>(late) + 1);
    return OneReply::kLate;
}

// Reads replies until one is not a late reply of an earlier request.
TryEnd ReadOwnReply(bool hid) {
    TryEnd end = TryEnd::kNextTry;
    while (ReadOneReply(hid, &end) == OneReply::kLate) {
    }
    return end;
}

// Serial, a verify announced: the replies an earlier request still owes
// come ahead of this request's interim pairs and are read past first;
// then the pairs (the command id and a count) until one that is not, and
// that one goes too.
TryEnd SerialReadInterimPairs() {
    while (LateOwedByEarlier()) {
        if (!SerialPeek(3)) {
            return TryEnd::kNextTry;
        }
        if (!LateReplyAhead(Ahead.bytes)) {
            LateDropEarlier();
            break;
        }
        TryEnd end = TryEnd::kNextTry;
        const OneReply r = ReadOneReply(false, &end);
        if (r != OneReply::kLate) {
            // A reply of this request without pairs ahead of it, or
            // nothing usable.
            return end;
        }
    }
    // A retried verify goes out without its announcement, and the adapter
    // answers it without pairs: a reply that begins where a pair would is
    // read for what it is, not taken apart as pairs.
    if (!SerialPeek(2)) {
        return TryEnd::kNextTry;
    }
    if (ReplyLengthAhead(Ahead.bytes)) {
        return ReadOwnReply(false);
    }
    uint8_t pair[2];
    do {
        if (!SerialReadExactly(pair, 2)) {
            return TryEnd::kNextTry;
        }
    } while (pair[0] == UifLink.RequestBlock.command_id && pair[1] != 0xFF);
    return ReadOwnReply(false);
}

// send: the frame goes out, else the try only waits for the answer to a
// copy sent before. *went_out: some of the frame went out.
TryEnd SerialTry(size_t frame_length, bool send, bool* went_out) {
    if (send) {
        // Reads and writes complete within their call under the port
        // time-outs: a write that did not take every byte has run out of
        // time.
        uint32_t done = 0;
        const bool written =
            SerialWrite(UifLink.UifFrameBuffer, static_cast<uint32_t>(frame_length), &done);
        if (done > 0) {
            *went_out = true;
            UifLink.sent = 1;
            LateNoteTry(UifLink.RequestBlock);
        }
        if (!written || done != frame_length) {
            return TryEnd::kNextTry;
        }
    }
    return UifLink.ExpectInterimPairs != 0 ? SerialReadInterimPairs() : ReadOwnReply(false);
}

// A block-write command: the adapter that carried it out takes the bytes
// that follow it as the blocks of its bulk phase, so a second copy could
// land there as block bytes. On serial it goes out once; its later tries
// only wait for that copy's answer.
bool OpensBulkPhase(uint8_t command_id) {
    return command_id == kUifBlockWrite89 || command_id == kUifBlockWrite91;
}

TryEnd HidTry(size_t send_length) {
    // A lost write shows as a missing reply.
    WriteHidReports(HidTransport.device, UifLink.UifFrameBuffer,
                    static_cast<uint32_t>(send_length));
    UifLink.sent = 1;
    LateNoteTry(UifLink.RequestBlock);
    return ReadOwnReply(true);
}

int32_t Accept() {
    UifResponse& reply = UifLink.ResponseBlock;
    if (reply.command_id != UifLink.RequestBlock.command_id) {
        return Fail(kErrorCommunication);
    }
    if (reply.status != 0) {
        UifLink.refused = 1;
        if (reply.status == kStatusUnknown) {
            reply.error_number = kErrorInvalidErrorNumber;
        }
        return FailByAdapter(reply.error_number);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

// Every try spent: the library no longer counts the interface as open.
int32_t GiveUp() {
    UifLink.gave_up = 1;
    UifLink.supply_off_confirmed = 0;
    Api.InterfaceOpen = 0;
    Api.InterfaceKind = kInterfaceNone;
    if (Transport.kind == kTransportHid) {
        FlushHidDevice(HidTransport.device);
    } else {
        SerialPurge(platform::kPurgeTxAbort | platform::kPurgeTxClear);
        SerialPurge(platform::kPurgeRxAbort | platform::kPurgeRxClear);
        Ahead = SerialAhead{};
    }
    return Fail(kErrorCommunication);
}

} // namespace

bool UifSerialRead(uint8_t* buffer, uint32_t count, uint32_t* done) {
    const uint32_t n = std::min(count, Ahead.count - Ahead.at);
    std::copy_n(Ahead.bytes + Ahead.at, n, buffer);
    Ahead.at += n;
    *done = n;
    if (n == count) {
        return true;
    }
    uint32_t more = 0;
    const bool ok = SerialRead(buffer + n, count - n, &more);
    *done += more;
    return ok;
}

void UifSerialFlushInput() {
    Transport.TransportOps.flush();
    Ahead = SerialAhead{};
}

int32_t UifTransaction(int32_t tries) {
    UifLink.ResponseBlock = UifResponse{};
    UifLink.sent = 0;
    UifLink.refused = 0;
    ++UifLink.request_serial;
    if (Api.InterfaceOpen == 0) {
        return Fail(kErrorCommunication);
    }
    UifRequest& request = UifLink.RequestBlock;
    const bool hid = Transport.kind == kTransportHid;
    if (hid && UifNeedsHidPresend(request) && !PresendHidData(request)) {
        return Fail(kErrorCommunication);
    }
    const size_t message_length = BuildUifMessage(request, UifLink.message, kUifMessageBufferSize);
    if (message_length == 0) {
        return Fail(kErrorInvalidParameter);
    }
    const size_t frame_length = FrameUifMessage(UifLink.message, message_length,
                                                UifLink.UifFrameBuffer, kUifFrameBufferSize);
    if (frame_length == 0) {
        return Fail(kErrorInvalidParameter);
    }
    const size_t send_length =
        hid ? PadHidFrame(UifLink.UifFrameBuffer, frame_length, kUifFrameBufferSize) : frame_length;

    const bool send_once = !hid && OpensBulkPhase(request.command_id);
    bool went_out = false;
    for (int32_t attempt = 0; attempt < tries; ++attempt) {
        if (attempt > 0 && request.command_id == kCommandRun) {
            // A run whose reply went missing may have started the target:
            // never start it twice.
            return Fail(kErrorCommunication);
        }
        const bool send = !(send_once && went_out);
        // Pending input is thrown away only while nothing is owed: a late
        // reply thrown away unseen would leave its entry to cost a try.
        if (send && UifLink.late_reply_count == 0) {
            Transport.TransportOps.flush();
            Ahead = SerialAhead{};
        }
        const TryEnd end = hid ? HidTry(send_length) : SerialTry(frame_length, send, &went_out);
        if (end == TryEnd::kReply) {
            return Accept();
        }
        if (end == TryEnd::kLastTry) {
            break;
        }
        if (send_once && went_out && !LateOwnOwed()) {
            // Its one copy was answered, but the answer came damaged: the
            // adapter may be in the bulk phase, and nothing more will come.
            break;
        }
    }
    return GiveUp();
}

} // namespace debugif
