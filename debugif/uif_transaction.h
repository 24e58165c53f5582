#pragma once
// One exchange with the adapter: the request in UifLink.RequestBlock goes
// out framed, with up to three tries, and the verified reply lands in
// UifLink.ResponseBlock. The caller holds the debug lock throughout.

#include <cstddef>
#include <cstdint>

namespace debugif {

// 0 success (LastErrorNumber 0); -1 failure with LastErrorNumber set: 35
// when the interface is not open, no valid reply came in three tries (the
// connection is then closed in the library's view), the reply came for
// another command, or a lost reply to command 17 (run, never sent twice);
// the adapter's error byte when its status is not 0 (63 for status '?',
// 35 when the byte is 0);
// 3 when the request cannot be framed at all (nothing is sent). A reply
// that an earlier request's unanswered try may still bring (an adapter
// that stalled answers everything in order once it goes on) is read past,
// never taken as this request's answer; pending input is flushed before a
// try only while no such reply is owed. A block-write command (15, 44)
// goes out once on serial: a second copy could land in the bulk phase the
// first one opened. Its later tries only wait for the first copy's answer,
// and an answer that came damaged ends the transaction as if every try
// were spent.
// tries: how many tries at most (a lost link's last close makes one).
inline constexpr int32_t kUifTries = 3;
int32_t UifTransaction(int32_t tries = kUifTries);

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
// transport, 3 for a count above kUifBulkMaxCount.
int32_t UifSendBulkBlock(uint16_t block_number, uint32_t address, uint32_t count);

} // namespace debugif
