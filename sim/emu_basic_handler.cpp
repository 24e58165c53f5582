#include "sim/emu_basic_handler.h"

#include <algorithm>

namespace sim {

namespace {

constexpr uint8_t kErrorReadMemory = 6;
constexpr uint8_t kErrorWriteMemory = 7;
constexpr uint8_t kErrorParameters = 3;

uint32_t Param(const EmuRequest& r, size_t i) {
    return i < r.params.size() ? r.params[i] : 0;
}

} // namespace

EmuReply EmuBasicHandler::OnCommand(const EmuRequest& request) {
    switch (request.id) {
    case 1: // connect
        return EmuReply::Params({firmware_version});
    case 2: // close
        return EmuReply::Ok();
    case 13: { // read memory: address, count
        const uint64_t address = Param(request, 0);
        const uint64_t count = Param(request, 1);
        if (request.params.size() != 2 || address + count > memory.size()) {
            return EmuReply::Error(kErrorReadMemory);
        }
        return EmuReply::Data(
            std::vector<uint8_t>(memory.begin() + static_cast<long>(address),
                                 memory.begin() + static_cast<long>(address + count)));
    }
    case 14: { // write memory: address; data
        const uint64_t address = Param(request, 0);
        if (request.params.size() != 1 || address + request.data.size() > memory.size()) {
            return EmuReply::Error(kErrorWriteMemory);
        }
        std::copy(request.data.begin(), request.data.end(),
                  memory.begin() + static_cast<long>(address));
        return EmuReply::Ok();
    }
    case 15: // block writes: block count first; the blocks follow unframed
    case 44:
        if (request.params.empty() || request.params[0] == 0) {
            return EmuReply::Error(kErrorParameters);
        }
        {
            EmuReply reply = EmuReply::Ok();
            reply.bulk_blocks = request.params[0];
            return reply;
        }
    case 17: // run
        ++runs;
        return EmuReply::Ok();
    case 20: { // verify
        EmuReply reply = EmuReply::Ok();
        if (verify_announced_) {
            for (uint32_t i = 1; i <= verify_progress_pairs; ++i) {
                reply.interim.push_back({request.id, static_cast<uint8_t>(i)});
            }
            reply.interim.push_back({0x00, 0xFF});
        }
        verify_announced_ = false;
        return reply;
    }
    case 39: { // adapter data: up to length bytes
        const size_t n = std::min<size_t>(Param(request, 0), adapter_data.size());
        return EmuReply::Data(std::vector<uint8_t>(adapter_data.begin(),
                                                   adapter_data.begin() + static_cast<long>(n)));
    }
    case 41: // set device
        device_record = request.data;
        return EmuReply::Ok();
    case 45: // announce the next command
        verify_announced_ = Param(request, 0) == 20;
        return EmuReply::Ok();
    default:
        return EmuReply::Unknown();
    }
}

EmuBulkAck EmuBasicHandler::OnBulkBlock(const EmuBulkBlock& block) {
    EmuBulkAck ack;
    ack.kind = bulk_ack_kind;
    ack.block = block.number;
    if (static_cast<uint64_t>(block.address) + block.data.size() > memory.size()) {
        ack.kind = 0;
        ack.status = 1;
        ack.error = kErrorWriteMemory;
        return ack;
    }
    std::copy(block.data.begin(), block.data.end(),
              memory.begin() + static_cast<long>(block.address));
    return ack;
}

EmuBslAnswer EmuBasicHandler::OnBootloaderFrame(const EmuBslFrame&) {
    return bootloader_answer;
}

} // namespace sim
