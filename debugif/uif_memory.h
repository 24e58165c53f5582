#pragma once
// Target memory through the adapter: chunked reads and writes, the block
// writes that stream large flash writes over the serial port in unframed
// 512-byte blocks, and the HID read cache. Each returns 0, or -1 with
// LastErrorNumber set.

#include <cstdint>

namespace debugif {

// Command 13 per chunk (480 or 128 bytes, see UifMemoryChunkSize) in
// address order; the first failure ends the read.
int32_t UifReadMemory(int32_t address, uint8_t* buffer, int32_t count);

// Serial only (34 on HID, nothing sent). Command 15 names the odd edge
// bytes apart (odd start address and its byte, odd end address and its
// byte, -1 where there is none), the number of 512-byte blocks and the
// size of the last; the blocks follow unframed, numbered from 1. All under
// one hold of DebugLock.
int32_t UifBlockWrite89(int32_t address, const uint8_t* bytes, int32_t count);
// The same for the 0x91 family without the edge step: command 44 with the
// block count, the last block size, the address and the count.
int32_t UifBlockWrite91(int32_t address, const uint8_t* bytes, int32_t count);

// The memory core of the debug API: read (read_flag not 0) or write count
// bytes at address.
// - A range outside 0 .. the flash end of core::IdentifyRecord, or no buffer: 3.
// - A read while the CPU runs: 6, nothing sent.
// - Reads on HID above 0x1FF go through the read cache below 0x10000: a
//   byte not cached starts a read-ahead of one chunk there (cut at the
//   memory top of CurrentDeviceRecord and at 0xFFFF).
// - A write invalidates its range in the cache before anything is sent.
//   On serial a write longer than one chunk outside the direct ranges
//   (0 .. the record's field at 0x0A, and its RAM range) goes by block
//   write as DeviceJtagId says; every other write goes as command 14 per
//   chunk.
int32_t UifMemory(int32_t address, uint8_t* buffer, int32_t count, int32_t read_flag);

} // namespace debugif
