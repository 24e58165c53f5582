#pragma once
// Request side of the adapter message codec, free of any I/O: the message
// layout with its FCS, the 0x7E/0x7D framing, the padding of HID frames and
// the HID pre-send blocks that carry a request's data ahead of it.

#include "debugif/uif_blocks.h"

#include <cstddef>
#include <cstdint>

namespace debugif {

inline constexpr size_t kUifFrameBufferSize = 2048;
inline constexpr size_t kUifMessageBufferSize = 1916; // the unstuffed message, FCS included

inline constexpr uint8_t kUifFlag = 0x7E;
inline constexpr uint8_t kUifEscape = 0x7D;
inline constexpr uint8_t kUifEscapeXor = 0x20;

// Writes the message (id, type, parameters and data as the type says, then
// the complemented FCS low byte first) into out. Returns its length; 0 when
// the request names more than 6 parameters or the message would not fit in
// capacity bytes.
size_t BuildUifMessage(const UifRequest& request, uint8_t* out, size_t capacity);

// Writes 0x7E, the message with every 0x7E and 0x7D sent as 0x7D and the
// byte XOR 0x20, and 0x7E. Returns the frame length; 0 when it would not fit.
size_t FrameUifMessage(const uint8_t* message, size_t length, uint8_t* out, size_t capacity);

// On HID a frame of 18 to 32 bytes goes out padded with 0xFF to 32, one of
// 33 to 62 bytes to 63, so that it fills one output report; others as they
// are. Pads in place and returns the length to send (the frame length when
// capacity has no room for the padding).
size_t HidPaddedFrameLength(size_t frame_length);
size_t PadHidFrame(uint8_t* frame, size_t frame_length, size_t capacity);

// Requests whose data goes ahead of the message on HID: commands 41, 14 and
// 9, and 42 when its third parameter is 0.
bool UifNeedsHidPresend(const UifRequest& request);

inline constexpr uint8_t kHidPresendMarker = 0x83;
inline constexpr size_t kHidPresendBlockMax = 255;

// Cuts the next pre-send block from `remaining` data bytes that start at
// `offset` within the request's data: marker, offset (16 bits, low byte
// first), chunk length, chunk, pad bytes 0xFF. Chunks are 251 bytes while
// that many remain, else 59, else the rest, padded to 59 when 29 to 58
// remain and to 28 when 14 to 28 remain. Returns the block length (255, 63,
// 32 or at most 17) and the chunk length in *chunk; block holds at least
// kHidPresendBlockMax bytes.
size_t CutHidPresendBlock(const uint8_t* data, uint32_t remaining, uint16_t offset, uint8_t* block,
                          uint32_t* chunk);

} // namespace debugif
