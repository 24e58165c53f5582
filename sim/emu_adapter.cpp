#include "sim/emu_adapter.h"

#include <algorithm>

namespace sim {

namespace {

using Clock = std::chrono::steady_clock;

constexpr uint8_t kPresendMarker = 0x83;
constexpr uint8_t kUnknown = 0x3F; // '?'
constexpr size_t kBulkHeader = 10;
constexpr uint32_t kBulkMaxCount = 2038;
// A bootloader frame that stops coming for this long is forgotten.
constexpr auto kBslFrameGap = std::chrono::milliseconds(500);

uint32_t Le(const uint8_t* p, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | p[i];
    }
    return v;
}

// The requests whose data the host sends ahead of the message on HID, by
// id and their first count parameters.
bool PresendCommand(uint8_t id, const std::vector<uint32_t>& params, size_t count) {
    switch (id) {
    case 41:
    case 14:
    case 9:
        return true;
    case 42:
        return count >= 3 && params[2] == 0;
    default:
        return false;
    }
}

// True when a spoil is due but the faults' skip lets this one pass.
bool SkipSpoil(EmuFaults& f, bool due) {
    if (!due || f.skip == 0) {
        return false;
    }
    --f.skip;
    return true;
}

bool ReplySpoilDue(const EmuFaults& f) {
    return (f.drop | f.cut | f.corrupt | f.wrong_id | f.unknown_status | f.wrong_length | f.late) !=
           0;
}

bool Take(uint32_t& counter) {
    if (counter == 0) {
        return false;
    }
    --counter;
    return true;
}

} // namespace

EmuReply EmuReply::Params(std::vector<uint32_t> params) {
    EmuReply r;
    r.type = 2;
    r.params = std::move(params);
    return r;
}

EmuReply EmuReply::Data(std::vector<uint8_t> data) {
    EmuReply r;
    r.type = 3;
    r.data = std::move(data);
    return r;
}

EmuReply EmuReply::Error(uint8_t error) {
    EmuReply r;
    r.status = 1;
    r.error = error;
    return r;
}

EmuReply EmuReply::Unknown() {
    EmuReply r;
    r.type = 5;
    r.status = kUnknown;
    r.error = kUnknown;
    return r;
}

EmuBulkAck EmuCommandHandler::OnBulkBlock(const EmuBulkBlock& block) {
    EmuBulkAck ack;
    ack.block = block.number;
    return ack;
}

EmuBslAnswer EmuCommandHandler::OnBootloaderFrame(const EmuBslFrame&) {
    return {};
}

EmuAdapter::EmuAdapter(EmuCommandHandler& handler, EmuLink link) : handler_(handler), link_(link) {}

void EmuAdapter::SetFaults(const EmuFaults& faults) {
    std::lock_guard<std::mutex> lock(mutex_);
    faults_ = faults;
}

EmuFaults EmuAdapter::faults() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return faults_;
}

EmuTrace EmuAdapter::trace() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return trace_;
}

size_t EmuAdapter::RequestCount() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return trace_.requests.size();
}

void EmuAdapter::ClearTrace() {
    std::lock_guard<std::mutex> lock(mutex_);
    trace_ = EmuTrace{};
}

std::vector<EmuOutput> EmuAdapter::Receive(const uint8_t* bytes, size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    return TakeBytes(bytes, count);
}

std::vector<EmuOutput> EmuAdapter::TakeBytes(const uint8_t* bytes, size_t count) {
    std::vector<EmuOutput> out;
    trace_.bytes_in += count;
    // Frames and bulk blocks go in by runs; whatever a completed one
    // changes (a stall, a bulk phase) holds from the next byte on.
    for (size_t i = 0; i < count;) {
        if (stalled_) {
            held_.push_back({false, std::vector<uint8_t>(bytes + i, bytes + count)});
            break;
        }
        if (faults_.bootloader) {
            BootloaderByte(bytes[i++], out);
        } else if (bulk_left_ > 0) {
            i += BulkBytes(bytes + i, count - i, out);
        } else {
            const uint32_t aborted = unframer_.aborted();
            bool done = false;
            i += unframer_.Push(bytes + i, count - i, done);
            if (done) {
                Frame(out);
            }
            trace_.bad_frames += unframer_.aborted() - aborted;
        }
    }
    return out;
}

std::vector<EmuOutput> EmuAdapter::ReceiveReport(const uint8_t* payload, size_t count) {
    std::lock_guard<std::mutex> lock(mutex_);
    return TakeReport(payload, count);
}

std::vector<EmuOutput> EmuAdapter::TakeReport(const uint8_t* payload, size_t count) {
    if (stalled_) {
        trace_.bytes_in += count;
        held_.push_back({true, std::vector<uint8_t>(payload, payload + count)});
        return {};
    }
    if (count > 0 && payload[0] == kPresendMarker && unframer_.Idle() && bulk_left_ == 0 &&
        !faults_.bootloader) {
        trace_.bytes_in += count;
        trace_.presend_blocks.emplace_back(payload, payload + count);
        const uint32_t offset = count >= 4 ? Le(payload + 1, 2) : 0;
        const size_t length = count >= 4 ? payload[3] : 0;
        if (count < 4 || 4 + length > count || offset != presend_.size()) {
            presend_broken_ = true;
        } else {
            presend_.insert(presend_.end(), payload + 4, payload + 4 + length);
        }
        return {};
    }
    return TakeBytes(payload, count);
}

uint32_t EmuAdapter::StallMs() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return stalled_ ? std::max<uint32_t>(faults_.stall_ms, 1) : 0;
}

std::vector<EmuOutput> EmuAdapter::EndStall() {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<EmuOutput> out;
    if (!stalled_) {
        return out;
    }
    stalled_ = false;
    faults_.stall_ms = 0;
    std::vector<HeldInput> held = std::move(held_);
    held_.clear();
    for (size_t i = 0; i < held.size(); ++i) {
        const HeldInput& h = held[i];
        // Counted once already, when it arrived.
        trace_.bytes_in -= h.bytes.size();
        std::vector<EmuOutput> o = h.report ? TakeReport(h.bytes.data(), h.bytes.size())
                                            : TakeBytes(h.bytes.data(), h.bytes.size());
        for (EmuOutput& e : o) {
            // The stall was the delay; each later answer takes its turn.
            e.delay_ms = out.empty() ? 0 : faults_.stall_spacing_ms;
            out.push_back(std::move(e));
        }
    }
    return out;
}

void EmuAdapter::Send(std::vector<uint8_t> bytes, std::vector<EmuOutput>& out) {
    if (bytes.empty()) {
        return;
    }
    trace_.bytes_out += bytes.size();
    out.push_back({std::move(bytes), faults_.delay_ms});
}

bool EmuAdapter::FaultApplies(uint8_t id) const {
    return faults_.only_command < 0 || faults_.only_command == id;
}

void EmuAdapter::Frame(std::vector<EmuOutput>& out) {
    if (faults_.stall_ms > 0) {
        if (faults_.stall_at > 0) {
            --faults_.stall_at;
        } else {
            // This frame and all that follows wait for the stall's end.
            stalled_ = true;
            held_.push_back({false, unframer_.raw()});
            return;
        }
    }
    trace_.frames.push_back(unframer_.raw());
    EmuRequest request;
    if (!EmuParseRequest(unframer_.frame(), &request)) {
        ++trace_.bad_frames; // a real adapter ignores what it cannot read
        return;
    }
    bool presend_ok = true;
    if (link_ == EmuLink::kHid && request.type == 2 && !request.params.empty() &&
        PresendCommand(request.id, request.params, request.params.size() - 1)) {
        // The last parameter is the length of the data sent ahead.
        presend_ok = !presend_broken_ && request.params.back() == presend_.size();
        request.params.pop_back();
        request.data = std::move(presend_);
        request.type = request.params.empty() ? 3 : 4;
        request.presend = true;
    }
    presend_.clear();
    presend_broken_ = false;
    trace_.requests.push_back(std::move(request));
    // The trace keeps it; nothing below adds to the trace before the handler
    // has answered.
    const EmuRequest& taken = trace_.requests.back();
    if (faults_.silent) {
        return;
    }
    EmuReply reply = presend_ok ? handler_.OnCommand(taken) : EmuReply::Error(3);
    if (!reply.answer) {
        return;
    }
    uint8_t id = taken.id;
    uint8_t status = reply.status;
    uint8_t error = reply.error;
    enum class Spoil { kNone, kDrop, kCut, kCorrupt, kLength, kLate } spoil = Spoil::kNone;
    if (FaultApplies(taken.id) && !SkipSpoil(faults_, ReplySpoilDue(faults_))) {
        if (Take(faults_.drop)) {
            spoil = Spoil::kDrop;
        } else if (Take(faults_.cut)) {
            spoil = Spoil::kCut;
        } else if (Take(faults_.corrupt)) {
            spoil = Spoil::kCorrupt;
        } else if (Take(faults_.wrong_id)) {
            id = static_cast<uint8_t>(id + 1);
        } else if (Take(faults_.unknown_status)) {
            status = kUnknown;
            error = 5;
        } else if (Take(faults_.wrong_length)) {
            spoil = Spoil::kLength;
        } else if (Take(faults_.late)) {
            spoil = Spoil::kLate;
        }
    }
    // A block write the adapter carried out opens its bulk phase whatever
    // becomes of the answer on the way: lost, cut, damaged, late, under
    // another id. Only an adapter that says it did not know the request
    // takes no blocks.
    if (reply.status == 0 && status == 0 && reply.bulk_blocks > 0) {
        bulk_left_ = reply.bulk_blocks;
        bulk_.clear();
    }
    if (spoil == Spoil::kDrop) {
        return;
    }
    std::vector<uint8_t> bytes;
    if (link_ == EmuLink::kSerial) {
        for (const auto& pair : reply.interim) {
            bytes.insert(bytes.end(), pair.begin(), pair.end());
        }
    }
    std::vector<uint8_t> encoded =
        EmuEncodeReply(id, reply.type, status, error, reply.params, reply.data);
    switch (spoil) {
    case Spoil::kCut:
        encoded.resize(encoded.size() - 3);
        break;
    case Spoil::kCorrupt:
        encoded[2 + (encoded.size() - 2) / 2] ^= 0x01;
        break;
    case Spoil::kLength:
        encoded[0] = static_cast<uint8_t>(faults_.wrong_length_value & 0xFF);
        encoded[1] = static_cast<uint8_t>(faults_.wrong_length_value >> 8);
        break;
    default:
        break;
    }
    bytes.insert(bytes.end(), encoded.begin(), encoded.end());
    if (spoil == Spoil::kLate) {
        trace_.bytes_out += bytes.size();
        out.push_back({std::move(bytes), faults_.late_ms});
    } else {
        Send(std::move(bytes), out);
    }
}

size_t EmuAdapter::BulkBytes(const uint8_t* bytes, size_t available, std::vector<EmuOutput>& out) {
    // Up to the end of the header, then up to the end of the block (a
    // header whose count is too large is refused as soon as it is whole).
    const size_t want = bulk_.size() < kBulkHeader
                            ? kBulkHeader - bulk_.size()
                            : kBulkHeader + Le(bulk_.data() + 6, 4) - bulk_.size();
    const size_t n = std::min(want, available);
    bulk_.insert(bulk_.end(), bytes, bytes + n);
    BulkTaken(out);
    return n;
}

void EmuAdapter::BulkTaken(std::vector<EmuOutput>& out) {
    if (bulk_.size() < kBulkHeader) {
        return;
    }
    const uint32_t count = Le(bulk_.data() + 6, 4);
    std::vector<uint8_t> ack(8, 0);
    if (count > kBulkMaxCount) {
        // A header no host sends: refuse the write and go back to frames.
        ack[3] = 0;
        ack[4] = 1;
        ack[5] = 7;
        bulk_left_ = 0;
        bulk_.clear();
        Send(std::move(ack), out);
        return;
    }
    if (bulk_.size() < kBulkHeader + count) {
        return;
    }
    EmuBulkBlock block;
    block.number = static_cast<uint16_t>(Le(bulk_.data(), 2));
    block.address = Le(bulk_.data() + 2, 4);
    block.data.assign(bulk_.begin() + kBulkHeader, bulk_.end());
    bulk_.clear();
    trace_.bulk_blocks.push_back(block);
    EmuBulkAck a = handler_.OnBulkBlock(block);
    const bool untouched =
        SkipSpoil(faults_, (faults_.bulk_wrong_block | faults_.bulk_error | faults_.bulk_drop |
                            faults_.bulk_cut | faults_.bulk_corrupt | faults_.bulk_late) != 0);
    if (untouched) {
        // passes as the adapter would send it
    } else if (Take(faults_.bulk_wrong_block)) {
        a = EmuBulkAck{};
        a.block = block.number + 1u;
    } else if (Take(faults_.bulk_error)) {
        a = EmuBulkAck{0, 1, faults_.bulk_error_byte, 0};
    }
    ack[3] = a.kind;
    if (a.kind == 6) {
        for (int i = 0; i < 4; ++i) {
            ack[4 + static_cast<size_t>(i)] = static_cast<uint8_t>(a.block >> (8 * i));
        }
    } else {
        ack[4] = a.status;
        ack[5] = a.error;
    }
    // A block refused ends the write: the host gives up on the rest.
    const bool refused = (a.kind == 6 && a.block != block.number) || (a.kind == 0 && a.status != 0);
    bulk_left_ = refused ? 0 : bulk_left_ - 1;
    if (!faults_.silent) {
        if (untouched) {
            Send(std::move(ack), out);
        } else {
            SendBulkAck(std::move(ack), out);
        }
    }
}

void EmuAdapter::SendBulkAck(std::vector<uint8_t> ack, std::vector<EmuOutput>& out) {
    if (Take(faults_.bulk_drop)) {
        return;
    }
    if (Take(faults_.bulk_cut)) {
        ack.resize(ack.size() - 3);
    } else if (Take(faults_.bulk_corrupt)) {
        ack[3] ^= 0x01;
    } else if (Take(faults_.bulk_late)) {
        trace_.bytes_out += ack.size();
        out.push_back({std::move(ack), faults_.late_ms});
        return;
    }
    Send(std::move(ack), out);
}

void EmuAdapter::BootloaderByte(uint8_t b, std::vector<EmuOutput>& out) {
    const Clock::time_point now = Clock::now();
    if (bsl_state_ == BslState::kFrame && now - bsl_last_byte_ > kBslFrameGap) {
        bsl_state_ = BslState::kIdle;
    }
    bsl_last_byte_ = now;
    switch (bsl_state_) {
    case BslState::kIdle:
        if (b == 0x80) {
            trace_.sync_times.push_back(now);
            if (!faults_.silent && !faults_.bsl_sync_silent) {
                Send({0x90}, out);
                bsl_state_ = BslState::kSynced;
            }
        }
        return;
    case BslState::kSynced:
        if (b == 0x80) {
            bsl_frame_.assign(1, b);
            bsl_state_ = BslState::kFrame;
        }
        return;
    case BslState::kFrame:
        bsl_frame_.push_back(b);
        if (bsl_frame_.size() >= 4 && bsl_frame_.size() == 4u + bsl_frame_[2] + 2u) {
            BootloaderFrame(out);
            bsl_state_ = BslState::kIdle;
        }
        return;
    }
}

void EmuAdapter::BootloaderFrame(std::vector<EmuOutput>& out) {
    trace_.bsl_frames.push_back(bsl_frame_);
    if (faults_.silent) {
        return;
    }
    const size_t n = bsl_frame_[2];
    const uint16_t sum = static_cast<uint16_t>(Le(bsl_frame_.data() + 4 + n, 2));
    EmuBslAnswer answer;
    if (bsl_frame_[3] != n || EmuBslChecksum(bsl_frame_.data(), 4 + n) != sum) {
        answer.kind = EmuBslAnswer::Kind::kRefuse;
    } else {
        EmuBslFrame frame;
        frame.command = bsl_frame_[1];
        frame.payload.assign(bsl_frame_.begin() + 4, bsl_frame_.begin() + 4 + static_cast<long>(n));
        answer = handler_.OnBootloaderFrame(frame);
    }
    const uint8_t first = faults_.bsl_first_byte;
    std::vector<uint8_t> bytes;
    switch (answer.kind) {
    case EmuBslAnswer::Kind::kAck:
        bytes = {first != 0 ? first : uint8_t{0x90}};
        break;
    case EmuBslAnswer::Kind::kRefuse:
        bytes = {first != 0 ? first : uint8_t{0xA0}};
        break;
    case EmuBslAnswer::Kind::kData: {
        const uint8_t l1 = static_cast<uint8_t>(answer.data.size());
        bytes = {first != 0 ? first : uint8_t{0x80}, 0x00, l1,
                 static_cast<uint8_t>(l1 + faults_.bsl_l2_delta)};
        bytes.insert(bytes.end(), answer.data.begin(), answer.data.begin() + l1);
        uint16_t c = EmuBslChecksum(bytes.data(), bytes.size());
        if (faults_.bsl_bad_checksum) {
            c ^= 0x0100;
        }
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
        break;
    }
    case EmuBslAnswer::Kind::kNone:
        break;
    }
    Send(std::move(bytes), out);
}

} // namespace sim
