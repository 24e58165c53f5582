#pragma once
// The emulated adapter's own view of the wire, written apart from the
// host's codec so that each side checks the other: an FCS-16 worked out bit
// by bit (once per low-byte value), the request unframer, the request
// parser and the reply encoder, and the bootloader's checksum.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace sim {

inline constexpr uint16_t kEmuFcsGood = 0xF0B8;

// The RFC 1662 FCS from start (0xFFFF for a sender).
uint16_t EmuFcs16(const uint8_t* bytes, size_t count, uint16_t start = 0xFFFF);

// Takes the host's byte stream apart into frames: a frame runs from one
// 0x7E to the next, 0x7D escapes the byte after it (XOR 0x20). Between
// frames everything up to the next 0x7E is ignored (HID pads its reports
// with 0xFF after the closing flag); two flags in a row make no frame.
class EmuUnframer {
public:
    static constexpr size_t kMaxFrame = 4096; // unstuffed bytes; longer frames are dropped

    // True when b completed a frame: frame() holds its unstuffed bytes,
    // raw() the wire bytes from flag to flag.
    bool Push(uint8_t b);
    // The same for bytes[0 .. count-1], up to the byte that completes a
    // frame: returns how many bytes it took, done true when the last of
    // them completed one. Runs of plain bytes go in whole.
    size_t Push(const uint8_t* bytes, size_t count, bool& done);
    // Not inside a frame.
    bool Idle() const { return state_ == State::kIdle || state_ == State::kDone; }
    void Clear();

    const std::vector<uint8_t>& frame() const { return frame_; }
    const std::vector<uint8_t>& raw() const { return raw_; }
    // Frames given up: an escape followed by a flag, or too long.
    uint32_t aborted() const { return aborted_; }

private:
    enum class State : uint8_t { kIdle, kInFrame, kEscaped, kDone };
    State state_ = State::kIdle;
    std::vector<uint8_t> frame_;
    std::vector<uint8_t> raw_;
    uint32_t aborted_ = 0;
};

struct EmuRequest {
    uint8_t id = 0;
    uint8_t type = 0;
    std::vector<uint32_t> params;
    std::vector<uint8_t> data;
    bool presend = false; // the data came ahead of the message (HID)

    bool operator==(const EmuRequest&) const = default;
};

// Reads an unstuffed frame: FCS residue, then id, type and what the type
// announces, which must end exactly at the FCS. False when anything fails.
bool EmuParseRequest(const std::vector<uint8_t>& frame, EmuRequest* request);

// A reply as the adapter sends it: a 16-bit length R (low byte first) and R
// bytes: id, type, status, error byte, then on status 0 the parameters
// (types 2 and 4) and data (types 3 and 4), then the complemented FCS.
std::vector<uint8_t> EmuEncodeReply(uint8_t id, uint8_t type, uint8_t status, uint8_t error,
                                    const std::vector<uint32_t>& params,
                                    const std::vector<uint8_t>& data);

// The bootloader's checksum: XOR of the little-endian words, inverted.
uint16_t EmuBslChecksum(const uint8_t* bytes, size_t count);

} // namespace sim
