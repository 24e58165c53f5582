#pragma once
// CPU control of the 0x89 routine family (JTAG ids 0x89 and 0x8D): the
// control register, synchronising and releasing the CPU, power-on reset,
// injected instructions, CPU registers and the saved context.

#include <cstdint>

namespace debugif {

bool WriteControl(uint16_t value);
bool WriteControlHigh(uint16_t value);
bool WriteControlLow(uint16_t value);
bool SyncTest();
bool WaitSync();
bool SyncCpu();
bool ExecutePor();
// The address bus: 16 bits, 20 on CPUX; 0xFFFFFFFF when the shift failed.
uint32_t ReadAddressBus();
bool HoldWatchdog();
bool SetPc(uint32_t address);
bool FetchInstruction(uint16_t word);
bool ReleaseFetch();
bool ReleaseCpu();
bool ReleaseAt(uint32_t address);
// 0xFFFF when the CPU could not be reached.
uint32_t ReadRegister(int32_t n);
bool WriteRegister(int32_t n, uint32_t value);
// Into Api.RegisterCache; withExtras also fetches the EEM-context words.
bool SaveContext(bool withExtras);
bool RestoreContext();

} // namespace debugif
