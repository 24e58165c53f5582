#pragma once
// Target memory through the 0x89 family: word and byte access by the
// memory-access cycle, and the slot operation over it, which keeps the
// watchdog byte, the SFR masks and the saved context on the host and sends
// flash ranges to the flash routines.

#include <cstdint>

namespace debugif {

bool WriteWords(uint32_t address, uint32_t count, const uint16_t* words);
bool ReadWords(uint32_t address, uint32_t count, uint16_t* words);
// The word that holds address.
bool ReadWord(uint32_t address, uint16_t* word);
bool WriteBytes(uint32_t address, uint32_t count, const uint8_t* bytes);
bool ReadBytes(uint32_t address, uint32_t count, uint8_t* bytes);
// Bytes below 0x0100 byte by byte (unless the device has its own flash
// timing), the rest as words; address and count even from 0x0100 up.
bool WriteMemory(uint32_t address, uint32_t count, const uint8_t* bytes);
// Injects op #0, &address and takes the word from the data bus.
bool FetchWordByInjection(uint16_t op, uint32_t address, uint16_t* out);

// Slot 2 of the 0x89 family. rw 0 writes, 1 reads.
int32_t JtagMemory89(int32_t address, uint8_t* buffer, int32_t count, int32_t rw);

} // namespace debugif
