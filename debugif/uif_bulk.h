#pragma once
// The bulk phase of a block write on the serial link. After a block-write
// command (15 or 44) the adapter takes the blocks the command announced,
// unframed: each a 10-byte header (u16 block number from 1, u32 address,
// u32 byte count) and its data, answered by 8 bytes. Until it has taken
// the last one it reads whatever comes as block bytes, a frame too. So
// when anything fails between the command and the last acknowledgement,
// the adapter is brought back to framed requests before any frame goes
// out: it gets the rest of this write's own byte stream, exactly as an
// undisturbed write would have sent it, and then the connection is closed
// with the target supply off. All of it under the caller's hold of
// DebugLock.

#include <cstddef>
#include <cstdint>

namespace debugif {

inline constexpr size_t kUifBulkHeaderSize = 10;
inline constexpr size_t kUifBulkAckSize = 8;
// Largest bulk block that fits UifFrameBuffer with its acknowledgement.
inline constexpr uint32_t kUifBulkMaxCount = 2048 - kUifBulkHeaderSize - kUifBulkAckSize;

// Serial only, after a block-write command: sends the header (block number,
// address, count) and the count data bytes the caller placed at offset 10
// of UifFrameBuffer, unframed, and checks the 8-byte acknowledgement. 0
// success; -1 with 35 when the block could not be written, the answer is
// short or of a kind other than 0 and 6, or a reply is still owed (nothing
// is sent then), 7 when the adapter acknowledged another block, its error
// byte when it reports a failure (35 when that byte is 0), 34 on the HID
// transport, 3 for a count above kUifBulkMaxCount. Brings nothing back:
// the block writes below do.
int32_t UifSendBulkBlock(uint16_t block_number, uint32_t address, uint32_t count);

// A block write as its command announced it: count bytes at address, in
// blocks of kUifBulkBlockSize with a shorter last one, numbered from 1.
// bytes stay the caller's and valid for the call.
struct UifBulkWrite {
    uint8_t command_id = 0; // 15 or 44
    uint32_t address = 0;
    const uint8_t* bytes = nullptr;
    uint32_t count = 0;

    uint32_t Blocks() const;
    uint32_t LastSize() const; // kUifBulkBlockSize for a whole last block, 0 for none
};

// After the block-write command succeeded: every block in order. 0, or -1
// with the error of the first failure. A refused block (another block
// acknowledged, or the adapter's error) ends the write with the adapter
// back at frames; any other failure brings the adapter back and closes
// the connection, keeping the error.
int32_t UifBulkPhase(const UifBulkWrite& write);

// After the block-write command failed: unless nothing of it went out or
// its own intact answer refused it, the adapter may have opened the bulk
// phase, and is brought back and the connection closed. LastErrorNumber
// stays as the command left it; returns -1.
int32_t UifBulkCommandFailed(const UifBulkWrite& write);

} // namespace debugif
