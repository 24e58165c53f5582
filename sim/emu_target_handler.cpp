#include "sim/emu_target_handler.h"

#include "core/identify_record.h"
#include "debugif/current_device_record.h"
#include "debugif/device_extra_record.h"
#include "debugif/device_id_table.h"
#include "debugif/device_lookup.h"

#include <algorithm>

namespace sim {

namespace {

constexpr uint32_t kVersionNewIdentify = 20109000;
constexpr uint32_t kVersionExtension = 20304000;
constexpr uint32_t kVersionExtensionEnd = 30000000;
constexpr uint32_t kSmallChunk = 128;
constexpr uint32_t kLargeChunk = 480;
constexpr uint32_t kBulkBlockSize = 512;
constexpr uint32_t kNoEdge = 0xFFFFFFFF;
constexpr uint32_t kDeviceRecordSize = 74;
constexpr uint32_t kIdentifyRecordSize = 80;
constexpr uint32_t kEemSpan = 0xB0;

constexpr uint8_t kErrorParameters = 3;

uint32_t Param(const EmuRequest& r, size_t i) {
    return i < r.params.size() ? r.params[i] : 0;
}

// The target's status as the adapter reports it: 0 passes, anything else
// is the error byte of the reply.
EmuReply Status(int32_t error) {
    return error == 0 ? EmuReply::Ok() : EmuReply::Error(static_cast<uint8_t>(error));
}

std::vector<uint8_t> Le32s(const uint32_t* values, size_t count) {
    std::vector<uint8_t> out(4 * count);
    for (size_t i = 0; i < count; ++i) {
        out[4 * i] = static_cast<uint8_t>(values[i]);
        out[4 * i + 1] = static_cast<uint8_t>(values[i] >> 8);
        out[4 * i + 2] = static_cast<uint8_t>(values[i] >> 16);
        out[4 * i + 3] = static_cast<uint8_t>(values[i] >> 24);
    }
    return out;
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
           static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}

// The record the firmware answers command 3 with: what it knows of the
// row it identified.
std::vector<uint8_t> OwnIdentifyRecord(uint16_t row) {
    debugif::CurrentDeviceRecord r;
    debugif::DeviceExtraRecord x;
    debugif::FillDeviceRecords(debugif::PropertiesOfType(debugif::DeviceIdTable[row].deviceType), r,
                               x);
    core::IdentifyRecord id;
    id.SetMarker(core::IdentifyRecord::kMarker);
    id.SetRow(row);
    id.SetName(debugif::DeviceIdTable[row].name);
    id.SetMainStart(r.MainStart());
    id.SetInfoStart(r.InfoStart());
    id.SetRamEnd(r.RamEnd());
    id.SetSupplyMinimum(r.SupplyMinimum());
    id.SetSupplyMaximum(r.SupplyMaximum());
    id.SetTestPinFlag(r.TestPinFlag());
    id.SetRamStart(r.RamStart());
    id.SetInfoEnd(r.InfoEnd());
    id.SetMainEnd(r.MainEnd());
    id.SetBslStart(x.BslStart());
    id.SetBslEnd(x.BslEnd());
    return std::vector<uint8_t>(id.Bytes().begin(), id.Bytes().end());
}

} // namespace

uint16_t EmuPsaSignature(uint32_t address, const uint8_t* bytes, uint32_t count) {
    uint16_t v = static_cast<uint16_t>(address - 2);
    for (uint32_t i = 0; i + 1 < count; i += 2) {
        if ((v & 0x8000) != 0) {
            v = static_cast<uint16_t>(((v ^ 0x0805) << 1) | 1);
        } else {
            v = static_cast<uint16_t>(v << 1);
        }
        v ^= static_cast<uint16_t>(bytes[i] | bytes[i + 1] << 8);
    }
    return v;
}

bool EmuTargetHandler::HasNewIdentify() const {
    return firmware_version >= kVersionNewIdentify;
}

bool EmuTargetHandler::InExtensionRange() const {
    return firmware_version >= kVersionExtension && firmware_version < kVersionExtensionEnd;
}

uint32_t EmuTargetHandler::ChunkLimit() const {
    return InExtensionRange() ? kLargeChunk : kSmallChunk;
}

EmuReply EmuTargetHandler::OnCommand(const EmuRequest& r) {
    SimTarget& t = target_;
    switch (r.id) {
    case 1: // connect
        return EmuReply::Params({firmware_version});
    case 2: // close: vccOff
        if (Param(r, 0) != 0) {
            t.SetAdapterSupply(0);
        }
        return EmuReply::Ok();
    case 3:
        return IdentifyOld(r);
    case 5: // configure: mode, value
        configuration[Param(r, 0)] = Param(r, 1);
        if (Param(r, 0) == 5) {
            t.SetInfoAUnlocked(Param(r, 1) != 0);
        }
        return EmuReply::Ok();
    case 6: // target supply: millivolts
        return Status(t.SetAdapterSupply(static_cast<int32_t>(Param(r, 0))));
    case 7: // reset: method, execute, releaseJTAG
        if (!t.Powered()) {
            return EmuReply::Error(static_cast<uint8_t>(kErrorReset));
        }
        t.ResetCpu(Param(r, 1) != 0 && Param(r, 2) != 0);
        return EmuReply::Ok();
    case 8: // read registers
        return EmuReply::Data(Le32s(t.registers.data(), t.registers.size()));
    case 9: { // write registers: mask; 16 values
        if (r.data.size() < 4 * t.registers.size()) {
            return EmuReply::Error(kErrorParameters);
        }
        const uint32_t mask = Param(r, 0);
        for (size_t i = 0; i < t.registers.size(); ++i) {
            if ((mask >> i & 1) != 0) {
                t.registers[i] = Le32(&r.data[4 * i]);
            }
        }
        return EmuReply::Ok();
    }
    case 12:
        return Erase(r);
    case 13:
        return ReadMemory(r);
    case 14:
        return WriteMemory(r);
    case 15:
    case 44:
        return StartBlockWrite(r);
    case 17: // run: mode, releaseJTAG
        if (Param(r, 0) < 1 || Param(r, 0) > 3) {
            return EmuReply::Error(kErrorParameters);
        }
        t.running = true;
        return EmuReply::Ok();
    case 18:
        return CpuState(r);
    case 19:
        return Status(t.BlowFuse());
    case 20:
        return Verify(r);
    case 29: // read target supply
        return EmuReply::Params({static_cast<uint32_t>(t.MeasuredSupply())});
    case 39: { // adapter data: up to length bytes
        const size_t n = std::min<size_t>(Param(r, 0), adapter_data.size());
        return EmuReply::Data(std::vector<uint8_t>(adapter_data.begin(),
                                                   adapter_data.begin() + static_cast<long>(n)));
    }
    case 40:
        return HasNewIdentify() ? Identify(r) : EmuReply::Unknown();
    case 41: // set device: index, row, type; the device record
        if (!HasNewIdentify()) {
            return EmuReply::Unknown();
        }
        if (r.data.size() != kDeviceRecordSize) {
            return EmuReply::Error(kErrorParameters);
        }
        set_device_params = r.params;
        set_device_record = r.data;
        ++set_device_count;
        return EmuReply::Ok();
    case 42:
        return Eem(r);
    case 43: // set device extension: the extension block
        if (!InExtensionRange()) {
            return EmuReply::Unknown();
        }
        if (r.data.size() != kDeviceRecordSize) {
            return EmuReply::Error(kErrorParameters);
        }
        device_extension = r.data;
        ++extension_count;
        return EmuReply::Ok();
    case 45: // announce the next command
        if (!InExtensionRange()) {
            return EmuReply::Unknown();
        }
        verify_announced_ = Param(r, 0) == 20;
        return EmuReply::Ok();
    default:
        return EmuReply::Unknown();
    }
}

EmuReply EmuTargetHandler::IdentifyOld(const EmuRequest& r) {
    if (Param(r, 0) != kIdentifyRecordSize) {
        return EmuReply::Error(kErrorParameters);
    }
    if (!target_.Powered()) {
        return EmuReply::Error(static_cast<uint8_t>(kErrorNoDevice));
    }
    if (target_.FuseBlown()) {
        // Identification names a blown fuse by its own status, as the
        // simulated library does.
        return EmuReply::Error(static_cast<uint8_t>(kErrorFuseRead));
    }
    const uint32_t forced = Param(r, 1);
    uint16_t row = 0;
    if (forced != 0) {
        if (forced >= debugif::DeviceIdTableRowCount) {
            return EmuReply::Error(kErrorParameters);
        }
        row = static_cast<uint16_t>(forced);
    } else {
        row = debugif::MatchDeviceIdRow(target_.IdentificationBlock());
    }
    return EmuReply::Data(OwnIdentifyRecord(row));
}

EmuReply EmuTargetHandler::Identify(const EmuRequest& r) {
    if (Param(r, 0) >= debugif::DeviceIdTableRowCount) {
        return EmuReply::Error(kErrorParameters);
    }
    if (!target_.Powered()) {
        return EmuReply::Error(static_cast<uint8_t>(kErrorNoDevice));
    }
    if (target_.FuseBlown()) {
        // Identification names a blown fuse by its own status, as the
        // simulated library does.
        return EmuReply::Error(static_cast<uint8_t>(kErrorFuseRead));
    }
    const auto block = target_.IdentificationBlock();
    return EmuReply::Data(std::vector<uint8_t>(block.begin(), block.end()));
}

EmuReply EmuTargetHandler::Erase(const EmuRequest& r) {
    switch (Param(r, 0)) {
    case 0: { // every segment that the range touches
        const uint64_t end =
            static_cast<uint64_t>(Param(r, 1)) + std::max<uint32_t>(Param(r, 2), 1);
        for (uint64_t a = Param(r, 1); a < end;) {
            uint32_t first = 0;
            uint32_t last = 0;
            if (!target_.Layout().SegmentOf(static_cast<uint32_t>(a), first, last)) {
                return EmuReply::Error(static_cast<uint8_t>(kErrorErase));
            }
            if (const int32_t e = target_.EraseSegment(static_cast<uint32_t>(a))) {
                return Status(e);
            }
            a = static_cast<uint64_t>(last) + 1;
        }
        return EmuReply::Ok();
    }
    case 1:
        return Status(target_.EraseMain());
    case 2:
        return Status(target_.EraseAll());
    default:
        return EmuReply::Error(kErrorParameters);
    }
}

EmuReply EmuTargetHandler::ReadMemory(const EmuRequest& r) {
    const uint32_t count = Param(r, 1);
    if (r.params.size() != 2 || count == 0 || count > ChunkLimit()) {
        return EmuReply::Error(kErrorParameters);
    }
    std::vector<uint8_t> bytes(count);
    const int32_t e = target_.Read(Param(r, 0), bytes.data(), count);
    return e == 0 ? EmuReply::Data(std::move(bytes)) : Status(e);
}

EmuReply EmuTargetHandler::WriteMemory(const EmuRequest& r) {
    if (r.params.size() != 1 || r.data.empty() || r.data.size() > ChunkLimit()) {
        return EmuReply::Error(kErrorParameters);
    }
    return Status(target_.Write(Param(r, 0), r.data.data(), static_cast<uint32_t>(r.data.size())));
}

EmuReply EmuTargetHandler::StartBlockWrite(const EmuRequest& r) {
    const bool edges = r.id == 15;
    if (r.params.size() != (edges ? 6u : 4u)) {
        return EmuReply::Error(kErrorParameters);
    }
    const uint32_t blocks = Param(r, 0);
    const uint32_t last = Param(r, 1);
    if ((blocks == 0) != (last == 0) || last > kBulkBlockSize) {
        return EmuReply::Error(kErrorParameters);
    }
    const uint64_t total =
        blocks == 0 ? 0 : static_cast<uint64_t>(blocks - 1) * kBulkBlockSize + last;
    if (!edges && total != Param(r, 3)) {
        return EmuReply::Error(kErrorParameters);
    }
    if (edges) {
        // The odd edges: a start byte at an odd address, an end byte at an
        // even one, each written on its own.
        for (size_t i : {size_t{2}, size_t{4}}) {
            if (Param(r, i) == kNoEdge) {
                continue;
            }
            const uint8_t b = static_cast<uint8_t>(Param(r, i + 1));
            if (const int32_t e = target_.Write(Param(r, i), &b, 1)) {
                return Status(e);
            }
        }
    }
    bulk_blocks_ = blocks;
    bulk_last_ = last;
    bulk_next_ = 1;
    // Where the blocks must lie: command 44 names the address; command 15
    // only through its odd edges, which the blocks must meet exactly.
    if (edges) {
        bulk_address_ = Param(r, 2) != kNoEdge ? Param(r, 2) + 1 : kNoEdge;
        bulk_end_ = Param(r, 4);
    } else {
        bulk_address_ = Param(r, 2);
        bulk_end_ = static_cast<uint32_t>(Param(r, 2) + total);
    }
    EmuReply reply = EmuReply::Ok();
    reply.bulk_blocks = blocks;
    return reply;
}

EmuBulkAck EmuTargetHandler::OnBulkBlock(const EmuBulkBlock& block) {
    EmuBulkAck ack;
    ack.block = block.number;
    const uint32_t want = block.number == bulk_blocks_ ? bulk_last_ : kBulkBlockSize;
    int32_t error = 0;
    const uint32_t end = block.address + static_cast<uint32_t>(block.data.size());
    const bool misplaced =
        (bulk_address_ != kNoEdge && block.address != bulk_address_) ||
        (block.number == bulk_blocks_ && bulk_end_ != kNoEdge && end != bulk_end_);
    if (block.number != bulk_next_ || block.number > bulk_blocks_ || block.data.size() != want ||
        misplaced) {
        error = kErrorWrite;
    } else {
        error = target_.Write(block.address, block.data.data(),
                              static_cast<uint32_t>(block.data.size()));
    }
    if (error != 0) {
        bulk_blocks_ = 0;
        ack.kind = 0;
        ack.status = 1;
        ack.error = static_cast<uint8_t>(error);
        return ack;
    }
    ++bulk_next_;
    bulk_address_ = end;
    return ack;
}

EmuReply EmuTargetHandler::CpuState(const EmuRequest& r) {
    SimTarget& t = target_;
    if (Param(r, 0) != 0) {
        t.running = false;
    }
    if (t.running) {
        t.cycles += cycles_per_query;
    }
    return EmuReply::Params({t.running ? 1u : stopped_state, t.cycles});
}

EmuReply EmuTargetHandler::Verify(const EmuRequest& r) {
    const bool announced = verify_announced_;
    verify_announced_ = false;
    uint32_t address = Param(r, 0);
    uint32_t length = Param(r, 1);
    const uint32_t check = Param(r, 2);
    const uint32_t edge = Param(r, 3);
    if (length > kMemorySize) {
        return EmuReply::Error(kErrorParameters);
    }
    std::vector<uint8_t> bytes(length);
    const int32_t e = target_.Read(address, bytes.data(), length);
    if (e != 0) {
        return Status(e);
    }
    bool same = true;
    const uint8_t* p = bytes.data();
    if ((address & 1) != 0 && length > 0) {
        same = same && p[0] == (edge & 0xFF);
        ++address;
        ++p;
        --length;
    }
    if ((length & 1) != 0) {
        same = same && p[length - 1] == (edge >> 8 & 0xFF);
        --length;
    }
    same = same && EmuPsaSignature(address, p, length) == (check & 0xFFFF);
    EmuReply reply = same ? EmuReply::Ok() : EmuReply::Error(static_cast<uint8_t>(kErrorVerify));
    if (announced) {
        for (uint32_t i = 1; i <= verify_progress_pairs; ++i) {
            reply.interim.push_back({20, static_cast<uint8_t>(i)});
        }
        reply.interim.push_back({0x00, 0xFF});
    }
    return reply;
}

EmuReply EmuTargetHandler::Eem(const EmuRequest& r) {
    if (r.params.size() < 3 || Param(r, 1) != kEemSpan) {
        return EmuReply::Error(kErrorParameters);
    }
    if (Param(r, 2) == 1) { // read all
        return EmuReply::Data(Le32s(eem_registers.data(), eem_registers.size()));
    }
    const uint32_t pairs = Param(r, 0);
    if (r.data.size() != static_cast<size_t>(pairs) * 8) {
        return EmuReply::Error(kErrorParameters);
    }
    for (uint32_t i = 0; i < pairs; ++i) {
        const uint32_t address = Le32(&r.data[8 * i]);
        if (address >= kEemSpan || (address & 1) != 0) {
            return EmuReply::Error(kErrorParameters);
        }
        eem_registers[address / 2] = Le32(&r.data[8 * i + 4]);
    }
    return EmuReply::Ok();
}

EmuBslAnswer EmuTargetHandler::OnBootloaderFrame(const EmuBslFrame&) {
    return bootloader_answer;
}

} // namespace sim
