#include "debugif/bsl_link.h"

#include "core/le_block.h"
#include "debugif/serial_transport.h"
#include "debugif/transport_ops.h"

#include <algorithm>
#include <cstring>

namespace debugif {

BslLinkState BslLink;

namespace {

constexpr int kSyncTries = 3;
constexpr int32_t kSyncWaitMs = 100;

bool WriteAll(const uint8_t* bytes, uint32_t count) {
    uint32_t done = 0;
    return SerialWrite(bytes, count, &done) && done == count;
}

bool ReadAll(uint8_t* buffer, uint32_t count) {
    uint32_t done = 0;
    return SerialRead(buffer, count, &done) && done == count;
}

// The reply after the first byte 0x8x: 0x00, L1, L2 = L1, the data and its
// checksum over the rebuilt header and the data.
int32_t ReadDataFrame() {
    uint8_t* r = BslLink.reply;
    uint8_t head[3];
    if (!ReadAll(head, 3)) {
        return kBslBadReply;
    }
    r[0] = kBslHeader;
    r[1] = head[0];
    r[2] = head[1];
    r[3] = head[2];
    if (head[0] != 0x00 || head[1] != head[2]) {
        return kBslBadReply;
    }
    const uint32_t l1 = head[1];
    if (!ReadAll(r + 4, l1 + 2)) {
        return kBslBadReply;
    }
    const uint16_t sent = core::LoadU16(r + 4 + l1);
    if (BslChecksum(r, 4 + l1) != sent) {
        return kBslBadReply;
    }
    BslLink.data_valid = true;
    return kBslOk;
}

} // namespace

uint16_t BslChecksum(const uint8_t* bytes, uint32_t count) {
    uint16_t x = 0;
    for (uint32_t i = 0; i + 1 < count; i += 2) {
        x ^= core::LoadU16(bytes + i);
    }
    return static_cast<uint16_t>(x ^ 0xFFFF);
}

int32_t BslSync() {
    for (int i = 0; i < kSyncTries; ++i) {
        SerialPurge(platform::kPurgeRxClear);
        const bool written = WriteAll(&kBslHeader, 1);
        const int32_t waiting = Transport.TransportOps.wait_input(1, kSyncWaitMs);
        if (waiting >= 1 && written) {
            uint8_t answer = 0;
            if (ReadAll(&answer, 1) && answer == kBslAck) {
                return kBslOk;
            }
        }
    }
    return kBslSyncFailed;
}

int32_t SendBootloaderFrame(uint8_t command, const uint8_t* payload, uint32_t length) {
    BslLink.reply[2] = BslLink.reply[3] = 0;
    BslLink.data_valid = false;
    const uint32_t n = length + (length & 1);
    if (n > kBslMaxPayload || (length > 0 && payload == nullptr)) {
        return kBslBadReply;
    }
    uint8_t frame[4 + kBslMaxPayload + 2];
    frame[0] = kBslHeader;
    frame[1] = command;
    frame[2] = static_cast<uint8_t>(n);
    frame[3] = static_cast<uint8_t>(n);
    if (length > 0) {
        std::memcpy(frame + 4, payload, length);
    }
    if (n != length) {
        frame[4 + length] = 0xFF;
    }
    core::StoreU16(frame + 4 + n, BslChecksum(frame, 4 + n));
    // A failed write shows as a missing or wrong reply.
    WriteAll(frame, 6 + n);

    uint8_t first = 0;
    if (!ReadAll(&first, 1)) {
        return kBslNoReply;
    }
    switch (first & 0xF0) {
    case 0x90:
        return kBslOk;
    case 0xA0:
    case 0x70:
        return kBslRefused;
    case 0x80:
        return ReadDataFrame();
    default:
        return kBslBadReply;
    }
}

int32_t BslCommand(uint8_t command, uint16_t address, uint16_t length, const uint8_t* data,
                   uint8_t* reply_out, uint32_t reply_capacity, uint32_t* reply_count) {
    if (reply_count != nullptr) {
        *reply_count = 0;
    }
    const uint32_t data_count = data != nullptr ? length : 0;
    if (4 + data_count > kBslMaxPayload) {
        return kBslBadReply; // more than one frame carries; nothing is sent
    }
    if (BslSync() != kBslOk) {
        return kBslSyncFailed;
    }
    uint8_t payload[kBslMaxPayload];
    core::StoreU16(payload, address);
    core::StoreU16(payload + 2, length);
    if (data_count > 0) {
        std::memcpy(payload + 4, data, data_count);
    }
    const uint32_t n = 4 + data_count;
    const int32_t result = SendBootloaderFrame(command, payload, n);
    if (BslLink.data_valid && reply_out != nullptr) {
        const uint32_t copy = std::min<uint32_t>(BslLink.L1(), reply_capacity);
        std::memcpy(reply_out, BslLink.reply + 4, copy);
        if (reply_count != nullptr) {
            *reply_count = copy;
        }
    }
    return result;
}

} // namespace debugif
