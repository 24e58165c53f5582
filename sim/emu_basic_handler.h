#pragma once
// A small command set for the emulated adapter, enough to carry the link
// end to end: connect, close, memory read and write on a plain byte array,
// adapter data, set device, the verify announcement with its progress
// pairs, the two block writes with their bulk phase, run. Anything else is
// answered as unknown. The bootloader answers with a configurable reply.

#include "sim/emu_adapter.h"

#include <cstdint>
#include <vector>

namespace sim {

class EmuBasicHandler : public EmuCommandHandler {
public:
    uint32_t firmware_version = 20304000;
    std::vector<uint8_t> memory = std::vector<uint8_t>(0x10000, 0xFF);
    std::vector<uint8_t> adapter_data = {'U', 'I', 'F', 0x00};
    // Progress pairs (verify id, 1, 2, ...) and the closing 00 FF ahead of
    // the verify reply, when a verify was announced.
    uint32_t verify_progress_pairs = 2;
    uint8_t bulk_ack_kind = 6;
    EmuBslAnswer bootloader_answer; // what the bootloader says to a valid frame

    // What the host sent.
    std::vector<uint8_t> device_record; // data of the last set-device command (41)
    uint32_t runs = 0;                  // run commands (17)

    EmuReply OnCommand(const EmuRequest& request) override;
    EmuBulkAck OnBulkBlock(const EmuBulkBlock& block) override;
    EmuBslAnswer OnBootloaderFrame(const EmuBslFrame& frame) override;

private:
    bool verify_announced_ = false;
};

} // namespace sim
