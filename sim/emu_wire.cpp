#include "sim/emu_wire.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace sim {

namespace {

void PutLe16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v & 0xFF));
    out.push_back(static_cast<uint8_t>((v >> 8) & 0xFF));
}

void PutLe32(std::vector<uint8_t>& out, uint32_t v) {
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

uint32_t GetLe(const std::vector<uint8_t>& in, size_t at, int bytes) {
    uint32_t v = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        v = (v << 8) | in[at + static_cast<size_t>(i)];
    }
    return v;
}

} // namespace

uint16_t EmuFcs16(const uint8_t* bytes, size_t count, uint16_t start) {
    // Eight steps of one bit each, done once for every value of the low
    // byte: after them the low byte's part is a value of its own, XORed
    // into the high byte shifted down.
    static const std::array<uint16_t, 256> kSteps = [] {
        std::array<uint16_t, 256> steps{};
        for (uint32_t low = 0; low < 256; ++low) {
            uint16_t fcs = static_cast<uint16_t>(low);
            for (int bit = 0; bit < 8; ++bit) {
                fcs = (fcs & 1) != 0 ? static_cast<uint16_t>((fcs >> 1) ^ 0x8408)
                                     : static_cast<uint16_t>(fcs >> 1);
            }
            steps[low] = fcs;
        }
        return steps;
    }();
    uint16_t fcs = start;
    for (size_t i = 0; i < count; ++i) {
        fcs = static_cast<uint16_t>((fcs >> 8) ^ kSteps[(fcs ^ bytes[i]) & 0xFF]);
    }
    return fcs;
}

void EmuUnframer::Clear() {
    state_ = State::kIdle;
    frame_.clear();
    raw_.clear();
}

bool EmuUnframer::Push(uint8_t b) {
    if (state_ == State::kDone) {
        Clear();
    }
    if (state_ == State::kIdle) {
        if (b == 0x7E) {
            state_ = State::kInFrame;
            frame_.clear();
            raw_.assign(1, b);
        }
        return false;
    }
    raw_.push_back(b);
    if (b == 0x7E) {
        if (state_ == State::kEscaped) {
            // An escape right before a flag abandons the frame; the flag
            // opens the next one.
            ++aborted_;
            state_ = State::kInFrame;
            frame_.clear();
            raw_.assign(1, b);
            return false;
        }
        if (frame_.empty()) {
            raw_.assign(1, b); // flag after flag: still waiting for a frame
            return false;
        }
        state_ = State::kDone;
        return true;
    }
    if (state_ == State::kEscaped) {
        frame_.push_back(static_cast<uint8_t>(b ^ 0x20));
        state_ = State::kInFrame;
    } else if (b == 0x7D) {
        state_ = State::kEscaped;
    } else {
        frame_.push_back(b);
    }
    if (frame_.size() > kMaxFrame) {
        ++aborted_;
        Clear();
    }
    return false;
}

size_t EmuUnframer::Push(const uint8_t* bytes, size_t count, bool& done) {
    done = false;
    size_t i = 0;
    while (i < count) {
        const uint8_t* p = bytes + i;
        size_t n = 0;
        if (state_ == State::kIdle) {
            // Everything up to the next flag is ignored.
            const void* flag = std::memchr(p, 0x7E, count - i);
            n = flag != nullptr ? static_cast<size_t>(static_cast<const uint8_t*>(flag) - p)
                                : count - i;
            i += n;
        } else if (state_ == State::kInFrame) {
            // Plain bytes up to the next flag or escape, as long as the
            // frame stays within its limit.
            n = std::min(count - i, kMaxFrame - std::min(frame_.size(), kMaxFrame));
            if (const void* flag = std::memchr(p, 0x7E, n)) {
                n = static_cast<size_t>(static_cast<const uint8_t*>(flag) - p);
            }
            if (const void* escape = std::memchr(p, 0x7D, n)) {
                n = static_cast<size_t>(static_cast<const uint8_t*>(escape) - p);
            }
            frame_.insert(frame_.end(), p, p + n);
            raw_.insert(raw_.end(), p, p + n);
            i += n;
        }
        if (n == 0 && i < count) {
            // A flag, an escape, the byte after one, or the one too many.
            if (Push(bytes[i++])) {
                done = true;
                return i;
            }
        }
    }
    return i;
}

bool EmuParseRequest(const std::vector<uint8_t>& frame, EmuRequest* request) {
    *request = EmuRequest{};
    if (frame.size() < 4 || EmuFcs16(frame.data(), frame.size()) != kEmuFcsGood) {
        return false;
    }
    const size_t end = frame.size() - 2;
    EmuRequest r;
    r.id = frame[0];
    r.type = frame[1];
    size_t at = 2;
    if (r.type < 1 || r.type > 4) {
        return false;
    }
    if (r.type == 2 || r.type == 4) {
        if (end - at < 2) {
            return false;
        }
        const uint32_t n = GetLe(frame, at, 2);
        at += 2;
        if (n > 6 || end - at < 4 * n) {
            return false;
        }
        r.params.reserve(n);
        for (uint32_t i = 0; i < n; ++i, at += 4) {
            r.params.push_back(GetLe(frame, at, 4));
        }
    }
    if (r.type == 3 || r.type == 4) {
        if (end - at < 4) {
            return false;
        }
        const uint32_t n = GetLe(frame, at, 4);
        at += 4;
        if (n != end - at) {
            return false;
        }
        r.data.assign(frame.begin() + static_cast<std::ptrdiff_t>(at),
                      frame.begin() + static_cast<std::ptrdiff_t>(end));
        at = end;
    }
    if (at != end) {
        return false;
    }
    *request = std::move(r);
    return true;
}

std::vector<uint8_t> EmuEncodeReply(uint8_t id, uint8_t type, uint8_t status, uint8_t error,
                                    const std::vector<uint32_t>& params,
                                    const std::vector<uint8_t>& data) {
    const bool withParams = status == 0 && (type == 2 || type == 4);
    const bool withData = status == 0 && (type == 3 || type == 4);
    const size_t size =
        4 + (withParams ? 2 + 4 * params.size() : 0) + (withData ? 4 + data.size() : 0) + 2;
    // The length first, then the body it counts, in one buffer.
    std::vector<uint8_t> out;
    out.reserve(2 + size);
    PutLe16(out, static_cast<uint32_t>(size));
    out.insert(out.end(), {id, type, status, error});
    if (withParams) {
        PutLe16(out, static_cast<uint32_t>(params.size()));
        for (uint32_t p : params) {
            PutLe32(out, p);
        }
    }
    if (withData) {
        PutLe32(out, static_cast<uint32_t>(data.size()));
        out.insert(out.end(), data.begin(), data.end());
    }
    const uint16_t fcs = static_cast<uint16_t>(~EmuFcs16(out.data() + 2, out.size() - 2));
    PutLe16(out, fcs);
    return out;
}

uint16_t EmuBslChecksum(const uint8_t* bytes, size_t count) {
    uint16_t lo = 0;
    uint16_t hi = 0;
    for (size_t i = 0; i + 1 < count; i += 2) {
        lo ^= bytes[i];
        hi ^= bytes[i + 1];
    }
    return static_cast<uint16_t>(~((hi << 8) | lo));
}

} // namespace sim
