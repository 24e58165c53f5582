#pragma once
// Code-file records: TI-TXT, Motorola S-records and Intel HEX, written line
// by line through ProjectLineWrite, from the code image or any memory block.

#include <cstdint>
#include <cstdio>

namespace core {

// Format flags of the record writers: the format in the low bits (1 TI-TXT,
// 2 Motorola, 3 Intel HEX; any other value writes TI-TXT) and, for
// Motorola, 24-bit addresses (S2 records, S8 end record).
inline constexpr int32_t kWriteWideAddress = 0x10;
inline constexpr int32_t kRecordMaxBytes = 16;

struct CodeWriterState {
    // Bits 16-23 of the last Intel HEX extended address written; 0 at the
    // start of each file.
    int32_t IntelUpperByte = 0;

    void Reset() { *this = CodeWriterState{}; }
};

extern CodeWriterState CodeWriter;

// A run of target memory to write: the byte at address start + i is data[i]
// and is written when its used entry is non-zero. used may be one entry per
// byte (used[i]) or, with usedPerWord 1, one per 16-bit word, the words
// aligned to even addresses (the entry of start + i is
// used[((start & 1) + i) / 2]). A null used writes every byte.
struct ImageBlock {
    int32_t start = 0;
    int32_t size = 0;
    const uint8_t* data = nullptr;
    const uint8_t* used = nullptr;
    int32_t usedPerWord = 0;

    bool Used(int32_t i) const {
        if (used == nullptr) {
            return true;
        }
        return (usedPerWord ? used[((start & 1) + i) / 2] : used[i]) != 0;
    }
};

// One record of count bytes (1..251) at address (below 2^24). Intel HEX
// first writes an extended address record when bits 16-23 of address differ
// from CodeWriter.IntelUpperByte; TI-TXT writes an "@" address line unless
// continuation is set and address is not a multiple of 0x80. Returns 1 when
// every line was written, 0 for a failed write or arguments out of range
// (nothing is written then).
int32_t CodeFileWriteRecord(int32_t formatFlags, std::FILE* file, int32_t count, uint32_t address,
                            int32_t continuation, const uint8_t* bytes);

// The end record of the format. Returns 1 when written.
int32_t CodeFileWriteEnd(int32_t formatFlags, std::FILE* file);

// Writes the used bytes of block as records of at most 16 bytes, each ending
// at the latest on an address ending in 0xF, then the end record. A record
// that follows the previous one without a gap is a continuation. The format
// gets kWriteWideAddress when a used byte lies at 0x10000 or above. Returns
// 1 when every line was written, 0 for a write failure or a block outside
// 0..0xFFFFFF.
int32_t CodeFileWriteBlock(int32_t format, std::FILE* file, const ImageBlock& block);

// CodeFileWriteBlock over the whole code image.
int32_t CodeFileWriteImage(int32_t format, std::FILE* file);

} // namespace core
