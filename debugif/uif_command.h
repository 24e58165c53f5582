#pragma once
// One adapter command: fill the request block, run the transaction, check
// the reply's shape. Callers that read the reply hold DebugLock across the
// command and the reading (the lock is recursive).

#include <cstdint>
#include <initializer_list>

namespace debugif {

// Adapter command ids.
inline constexpr uint8_t kUifConnect = 1;
inline constexpr uint8_t kUifClose = 2;
inline constexpr uint8_t kUifIdentifyOld = 3;
inline constexpr uint8_t kUifConfigure = 5;
inline constexpr uint8_t kUifSetVcc = 6;
inline constexpr uint8_t kUifReset = 7;
inline constexpr uint8_t kUifReadRegisters = 8;
inline constexpr uint8_t kUifWriteRegisters = 9;
inline constexpr uint8_t kUifErase = 12;
inline constexpr uint8_t kUifReadMemory = 13;
inline constexpr uint8_t kUifWriteMemory = 14;
inline constexpr uint8_t kUifBlockWrite89 = 15;
inline constexpr uint8_t kUifRun = 17;
inline constexpr uint8_t kUifCpuState = 18;
inline constexpr uint8_t kUifSecure = 19;
inline constexpr uint8_t kUifVerify = 20;
inline constexpr uint8_t kUifReadVcc = 29;
inline constexpr uint8_t kUifAdapterData = 39;
inline constexpr uint8_t kUifIdentify = 40;
inline constexpr uint8_t kUifSetDevice = 41;
inline constexpr uint8_t kUifEemRegisters = 42;
inline constexpr uint8_t kUifSetDeviceExtension = 43;
inline constexpr uint8_t kUifBlockWrite91 = 44;
inline constexpr uint8_t kUifAnnounce = 45;

// Sets LastErrorNumber and returns -1.
int32_t UifFail(int32_t error);

// Sends one command of the given message type under DebugLock: 0, or -1
// with LastErrorNumber set by the transaction. data (length bytes) must
// stay valid until the call returns.
int32_t UifCommand(uint8_t id, uint8_t type, std::initializer_list<uint32_t> params = {},
                   const uint8_t* data = nullptr, uint32_t length = 0);

// The last reply carries at least count parameters, or count data bytes.
// False, with LastErrorNumber 35, when it does not: a reply too short for
// what the caller reads from it is a broken exchange, not a result.
bool UifReplyHasParams(uint16_t count);
bool UifReplyHasData(uint32_t count);
// The last reply carries exactly count data bytes, as the request asked
// for: a reply of another length answers another request. False with
// LastErrorNumber 35 otherwise.
bool UifReplyHasExactData(uint32_t count);

} // namespace debugif
