#pragma once
// The emulated adapter's full command set, carried out on a simulated
// target: connect, close, identify (command 3, or 40 with 41 and 43),
// configure, supply, reset, registers, erase, memory reads and writes,
// both block writes with their bulk phase, run, state with cycle counts,
// fuse, verify by signature, supply reading, adapter data, EEM registers.
// The commands a firmware version does not have are answered as unknown:
// 40 and 41 from 20109000 on, 43 and 45 within 20304000 .. 29999999; memory
// commands take 480 bytes within that range, else 128.
//
// The handler runs under its EmuAdapter's lock: tests read and change it
// (and its target) through EmuAdapter::Locked while a server thread runs.

#include "sim/emu_adapter.h"
#include "sim/sim_target.h"

#include <array>
#include <cstdint>
#include <map>
#include <vector>

namespace sim {

inline constexpr size_t kEmuEemRegisterCount = 88;

class EmuTargetHandler : public EmuCommandHandler {
public:
    explicit EmuTargetHandler(SimTarget& target) : target_(target) {}

    SimTarget& target() { return target_; }

    // --- Configuration
    uint32_t firmware_version = 20304000;
    // What command 39 answers; an 'E' first marks an adapter whose
    // firmware runs in its bootloader.
    std::vector<uint8_t> adapter_data = {'U', 'I', 'F', 0x00};
    // Progress pairs (verify id, 1, 2, ...) and the closing 00 FF ahead of
    // an announced verify's reply (serial only).
    uint32_t verify_progress_pairs = 2;
    // The state a query reports for a stopped CPU (0, 2 or 3).
    uint32_t stopped_state = 0;
    // Cycles a running CPU adds per state query.
    uint32_t cycles_per_query = 1000;
    EmuBslAnswer bootloader_answer; // what the bootloader says to a valid frame
    std::array<uint32_t, kEmuEemRegisterCount> eem_registers{};

    // --- What the host sent
    std::vector<uint32_t> set_device_params; // command 41: device index, row, type
    std::vector<uint8_t> set_device_record;  // command 41: the 74-byte device record
    std::vector<uint8_t> device_extension;   // command 43: the 74-byte extension block
    uint32_t set_device_count = 0;
    uint32_t extension_count = 0;
    std::map<uint32_t, uint32_t> configuration; // command 5: the last value of each mode

    EmuReply OnCommand(const EmuRequest& request) override;
    EmuBulkAck OnBulkBlock(const EmuBulkBlock& block) override;
    EmuBslAnswer OnBootloaderFrame(const EmuBslFrame& frame) override;

private:
    bool HasNewIdentify() const;
    bool InExtensionRange() const;
    uint32_t ChunkLimit() const;

    EmuReply IdentifyOld(const EmuRequest& r);
    EmuReply Identify(const EmuRequest& r);
    EmuReply Erase(const EmuRequest& r);
    EmuReply ReadMemory(const EmuRequest& r);
    EmuReply WriteMemory(const EmuRequest& r);
    EmuReply StartBlockWrite(const EmuRequest& r);
    EmuReply CpuState(const EmuRequest& r);
    EmuReply Verify(const EmuRequest& r);
    EmuReply Eem(const EmuRequest& r);

    SimTarget& target_;
    bool verify_announced_ = false;
    // The block write under way: blocks announced, size of the last one,
    // number of the block expected next, the address it must start at and
    // the address the last block must end before (0xFFFFFFFF: not known).
    uint32_t bulk_blocks_ = 0;
    uint32_t bulk_last_ = 0;
    uint32_t bulk_next_ = 0;
    uint32_t bulk_address_ = 0;
    uint32_t bulk_end_ = 0;
};

// The signature a verify compares: over the 16-bit words (low byte first)
// of bytes, from the start value address - 2, each step shifting the value
// left by one (feeding back 0x0805 and a 1 when bit 15 was set) and then
// XORing the word.
uint16_t EmuPsaSignature(uint32_t address, const uint8_t* bytes, uint32_t count);

} // namespace sim
