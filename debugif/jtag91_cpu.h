#pragma once
// CPU control of the 0x91 routine family (JTAG id 0x91, 20-bit CPU):
// synchronising under a power-on reset, word access by the memory cycle,
// setting the PC, block reads, releasing the CPU, the saved context, the
// JTAG mailbox and the RAM routines that report through it.

#include <cstdint>
#include <functional>
#include <span>

namespace debugif {

bool CaptureTest(uint16_t mask);
// Takes the CPU over with a power-on reset; pc and sr receive where it
// stands. The watchdog is held, the module clocks set from
// moduleClockControl. Without por the CPU is taken over where it stopped
// (the state query's stop: a reset there would throw away the very
// registers the stop is for), and sr is read from the CPU.
bool SyncCpuX(uint32_t* pc, uint32_t* sr, bool por = true);
bool WriteWordX(uint32_t address, uint16_t value);
bool ReadWordX(uint32_t address, uint16_t* value);
bool WriteWordsX(uint32_t address, std::span<const uint16_t> words);
bool SetPcX(uint32_t address);
bool ReadBlockX(uint32_t address, uint32_t words, uint16_t* out);
// Lets the CPU run from address: plain; with runTo, from that address
// instead; or armed for a single step (the EEM stops it after one).
enum class ReleaseForm { kPlain, kRunTo, kStep };
bool ReleaseX(uint32_t address, ReleaseForm form, uint32_t runTo = 0);
// Registers R1, R4 .. R15 into Api.RegisterCache, then a mailbox read.
bool SaveContextX();
// The cached registers back into the CPU (R0 is where ReleaseX starts),
// then the watchdog from its shadow; false when a register failed, and
// watchdogFailed tells the watchdog apart.
bool RestoreContextX(bool* watchdogFailed);

// A 32-bit message when one is waiting, else the mailbox status.
uint32_t MailboxRead();
// Waits (at most 3000 reads) for the mailbox to take a word; 0, or -1
// with error 7.
int32_t MailboxWrite(uint16_t word);
// Waits for the 32-bit message want (at most 3000 reads); any other
// message, or none, is failure.
bool MailboxWait(uint32_t want);

inline constexpr uint32_t kMailboxDone = 0xCAFEBABE;
inline constexpr uint32_t kMailboxReady = 0xABADBABE;

// Loads a routine at the RAM start (keeping the RAM it covers when
// configuration mode 10 asks), starts it at its entry offset (word 0),
// lets during feed it (when given) and waits for its done message; then
// stops and synchronises the CPU again and puts the RAM back. 0; 12 when
// the RAM could not be kept; -1 for any other failure (the caller names
// it).
int32_t RunRoutineX(std::span<const uint16_t> routine, const std::function<bool()>& during);

} // namespace debugif
