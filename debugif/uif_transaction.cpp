#include "debugif/uif_transaction.h"

#include "debugif/api_state.h"
#include "debugif/error_numbers.h"
#include "debugif/hid_device.h"
#include "debugif/hid_features.h"
#include "debugif/hid_reports.h"
#include "debugif/le_block.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"
#include "debugif/transport_status.h"
#include "debugif/uif_link_state.h"

namespace debugif {

namespace {

constexpr uint8_t kCommandRun = 17;
constexpr uint8_t kStatusUnknown = 0x3F; // '?': the adapter did not know the request
constexpr int kTries = 3;
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

// The reply bytes in UifReplyBuffer passed their length and FCS checks and
// parse into ResponseBlock, or the try failed.
bool TakeReply(uint32_t length) {
    return ParseUifReply(UifLink.UifReplyBuffer, length, &UifLink.ResponseBlock) ==
           UifReplyCheck::kOk;
}

bool SerialReadExactly(uint8_t* buffer, uint32_t count) {
    uint32_t done = 0;
    return SerialRead(buffer, count, &done) && done == count;
}

TryEnd SerialTry(size_t frame_length) {
    // Reads and writes complete within their call under the port time-outs:
    // a write that did not take every byte has run out of time.
    uint32_t done = 0;
    if (!SerialWrite(UifLink.UifFrameBuffer, static_cast<uint32_t>(frame_length), &done) ||
        done != frame_length) {
        return TryEnd::kNextTry;
    }
    uint8_t pair[2];
    if (UifLink.ExpectInterimPairs != 0) {
        // Progress pairs (the command id and a count) until one that is not;
        // that one goes too.
        do {
            if (!SerialReadExactly(pair, 2)) {
                return TryEnd::kNextTry;
            }
        } while (pair[0] == UifLink.RequestBlock.command_id && pair[1] != 0xFF);
    }
    if (!SerialReadExactly(pair, 2)) {
        return TryEnd::kNextTry;
    }
    const uint16_t length = LoadU16(pair);
    if (!UifReplyLengthValid(length) || !SerialReadExactly(UifLink.UifReplyBuffer, length) ||
        !TakeReply(length)) {
        return TryEnd::kNextTry;
    }
    return TryEnd::kReply;
}

TryEnd HidTry(size_t send_length) {
    HidDevice& device = HidTransport.device;
    // A lost write shows as a missing reply.
    WriteHidReports(device, UifLink.UifFrameBuffer, static_cast<uint32_t>(send_length));
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
        return TryEnd::kLastTry;
    }
    const uint16_t length = LoadU16(pair);
    if (!UifReplyLengthValid(length)) {
        return TryEnd::kLastTry;
    }
    if (ReadHidReports(device, UifLink.UifReplyBuffer, length, &got) != kHidOk || got != length ||
        !TakeReply(length)) {
        return TryEnd::kLastTry;
    }
    return TryEnd::kReply;
}

int32_t Accept() {
    UifResponse& reply = UifLink.ResponseBlock;
    if (reply.command_id != UifLink.RequestBlock.command_id) {
        return Fail(kErrorCommunication);
    }
    if (reply.status != 0) {
        if (reply.status == kStatusUnknown) {
            reply.error_number = kErrorInvalidErrorNumber;
        }
        return Fail(reply.error_number);
    }
    Api.LastErrorNumber = kErrorNone;
    return 0;
}

// Every try spent: the library no longer counts the interface as open.
int32_t GiveUp() {
    Api.InterfaceOpen = 0;
    Api.InterfaceKind = kInterfaceNone;
    if (Transport.kind == kTransportHid) {
        FlushHidDevice(HidTransport.device);
    } else {
        SerialPurge(platform::kPurgeTxAbort | platform::kPurgeTxClear);
        SerialPurge(platform::kPurgeRxAbort | platform::kPurgeRxClear);
    }
    return Fail(kErrorCommunication);
}

} // namespace

int32_t UifTransaction() {
    UifLink.ResponseBlock = UifResponse{};
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

    for (int attempt = 0; attempt < kTries; ++attempt) {
        if (attempt > 0 && request.command_id == kCommandRun) {
            // A run whose reply went missing may have started the target:
            // never start it twice.
            return Fail(kErrorCommunication);
        }
        Transport.TransportOps.flush();
        const TryEnd end = hid ? HidTry(send_length) : SerialTry(frame_length);
        if (end == TryEnd::kReply) {
            return Accept();
        }
        if (end == TryEnd::kLastTry) {
            break;
        }
    }
    return GiveUp();
}

int32_t UifSendBulkBlock(uint16_t block_number, uint32_t address, uint32_t count) {
    if (Transport.kind != kTransportSerial) {
        return Fail(kErrorNotSupported);
    }
    if (count > kUifBulkMaxCount) {
        return Fail(kErrorInvalidParameter);
    }
    uint8_t* block = UifLink.UifFrameBuffer;
    StoreU16(block, block_number);
    StoreU32(block + 2, address);
    StoreU32(block + 6, count);
    Transport.TransportOps.flush();
    const uint32_t length = static_cast<uint32_t>(kUifBulkHeaderSize) + count;
    uint32_t done = 0;
    if (!SerialWrite(block, length, &done) || done != length) {
        return Fail(kErrorCommunication);
    }
    uint8_t* ack = block + length;
    if (!SerialReadExactly(ack, kUifBulkAckSize)) {
        return Fail(kErrorCommunication);
    }
    switch (ack[3]) {
    case 0:
        if (ack[4] != 0) {
            return Fail(ack[5]);
        }
        return 0;
    case 6:
        if (LoadU32(ack + 4) != block_number) {
            return Fail(kErrorWriteMemory);
        }
        Api.LastErrorNumber = kErrorNone;
        return 0;
    default:
        return 0;
    }
}

} // namespace debugif
