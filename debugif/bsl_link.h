#pragma once
// The adapter's bootloader link over the serial port that the connect has
// just opened: a one-byte synchronisation, then frames of header 0x80,
// command, a repeated length, payload and a word-wise XOR checksum,
// answered by an acknowledge byte, a refusal byte or a data frame.

#include <cstddef>
#include <cstdint>

namespace debugif {

inline constexpr uint8_t kBslHeader = 0x80; // also the synchronisation byte
inline constexpr uint8_t kBslAck = 0x90;

// Results.
inline constexpr int32_t kBslOk = 0;
inline constexpr int32_t kBslBadReply = 1; // unknown reply byte, or a data frame failing its checks
inline constexpr int32_t kBslSyncFailed = 5;
inline constexpr int32_t kBslNoReply = 6;
inline constexpr int32_t kBslRefused = 8;

// Largest payload of one frame: its length, padded to even, must fit the
// one-byte length field.
inline constexpr uint32_t kBslMaxPayload = 254;

// Header of a data frame (0x80, 0x00, L1, L2), up to 255 data bytes and the
// two checksum bytes.
inline constexpr size_t kBslReplyBufferSize = 261;

struct BslLinkState {
    uint8_t reply[kBslReplyBufferSize] = {};
    // The last frame's reply was a data frame that passed every check; only
    // then does reply hold data worth handing out.
    bool data_valid = false;

    uint8_t L1() const { return reply[2]; }
    void Reset() { *this = BslLinkState{}; }
};
extern BslLinkState BslLink;

// XOR of the count / 2 little-endian words (an odd last byte is left out),
// inverted; it goes out low byte first.
uint16_t BslChecksum(const uint8_t* bytes, uint32_t count);

// Up to three times: drop what the port received, send 0x80, wait 100 ms
// for one byte; 0x90 gives kBslOk. kBslSyncFailed after the third try.
int32_t BslSync();

// Sends one frame (an odd payload padded with 0xFF) and evaluates the
// reply: kBslOk for an acknowledge (0x9x) or a valid data frame,
// kBslRefused for 0xAx or 0x7x, kBslNoReply when nothing came, kBslBadReply
// otherwise and for a payload above kBslMaxPayload (nothing is sent then).
// Sent once, whatever the result.
int32_t SendBootloaderFrame(uint8_t command, const uint8_t* payload, uint32_t length);

// Synchronises, then sends the frame for command with the payload address
// and length (16 bits each, low byte first) and, when data is not null,
// `length` data bytes. kBslSyncFailed when the synchronisation failed
// (nothing sent), else the frame's result; kBslBadReply, with no I/O at
// all, when the data would not fit one frame. The data of a reply frame that
// passed its checks goes to reply_out, at most reply_capacity bytes;
// *reply_count (when not null) tells how many, 0 when none.
int32_t BslCommand(uint8_t command, uint16_t address, uint16_t length, const uint8_t* data,
                   uint8_t* reply_out, uint32_t reply_capacity, uint32_t* reply_count = nullptr);

} // namespace debugif
