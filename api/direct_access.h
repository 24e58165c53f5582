#pragma once
// What a host does to an open target directly: segment erase, blank check,
// flash data written and read in blocks, RAM, words and bytes, the program
// counter and run, the CPU brought back under JTAG, supply and reset, and
// the close. Ranges are refused with 0 and no report line; every other
// operation reports one line with one verdict for the whole range.

#include <cstdint>

namespace api {

// Block sizes of the loops.
inline constexpr int32_t kWriteDataBlock = 256;
inline constexpr int32_t kReadDataBlock = 512;
inline constexpr int32_t kBlankCheckBlock = 512;
inline constexpr int32_t kRamBlock = 256;

struct DirectState {
    int32_t CpuRunning = 0; // 1 after a run, 0 after a synchronisation

    void Reset() { *this = DirectState{}; }
};

extern DirectState Direct;

// Flash operations: the target must be active (after a successful open).
int32_t SegmentErase(int32_t address);
int32_t RangeBlankCheck(int32_t start, int32_t stop); // 0x1000..0x45BFF
int32_t WriteData(int32_t address, int32_t size, const uint8_t* data);
int32_t ReadData(int32_t address, int32_t size, uint8_t* out); // 0x1000..0x45BFF

// RAM copies: address >= 0, size >= 1, end <= 0x45C00.
int32_t RamWrite(int32_t address, const uint8_t* data, int32_t size);
int32_t RamRead(int32_t address, uint8_t* out, int32_t size);

int32_t WriteWord(int32_t address, int32_t word);
int32_t ReadWord(int32_t address); // the word, 0 on failure
int32_t WriteByte(int32_t address, uint8_t byte);
int32_t ReadByte(int32_t address); // the byte, 0 on failure

int32_t SetPcAndRun(int32_t pc);
int32_t SynchCpu();

// Supply on (1) or off, and target reset: 1/0 with their report lines.
int32_t PowerTarget(int32_t on);
int32_t ResetTarget();

// Ends the direct access: the target inactive, its supply off when the
// adapter powers it, the identification forgotten. Returns 1.
int32_t CloseTarget();

} // namespace api
