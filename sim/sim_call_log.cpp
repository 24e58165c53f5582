#include "sim/sim_call_log.h"

#include <cstdio>

namespace sim {

void SimCallLog::Add(std::string_view entry, std::vector<int32_t> args, uint32_t hexMask,
                     std::string_view detail, int32_t result, int32_t error) {
    if (calls_.size() >= kCapacity) {
        calls_.erase(calls_.begin(), calls_.begin() + kCapacity / 2);
    }
    SimCall c;
    c.entry = entry;
    c.detail = detail;
    c.result = result;
    c.error = error;
    std::string text(entry);
    text += '(';
    bool first = true;
    if (!detail.empty()) {
        text += '"';
        text += detail;
        text += '"';
        first = false;
    }
    for (size_t i = 0; i < args.size(); ++i) {
        char buf[24];
        if (i < 32 && (hexMask >> i & 1u) != 0) {
            std::snprintf(buf, sizeof buf, "0x%05X", static_cast<unsigned>(args[i]));
        } else {
            std::snprintf(buf, sizeof buf, "%d", static_cast<int>(args[i]));
        }
        if (!first) {
            text += ", ";
        }
        text += buf;
        first = false;
    }
    char tail[40];
    if (result != 0 && error != 0) {
        std::snprintf(tail, sizeof tail, ") = %d (error %d)", static_cast<int>(result),
                      static_cast<int>(error));
    } else {
        std::snprintf(tail, sizeof tail, ") = %d", static_cast<int>(result));
    }
    text += tail;
    c.text = std::move(text);
    c.args = std::move(args);
    calls_.push_back(std::move(c));
}

size_t SimCallLog::Count(std::string_view entry) const {
    size_t n = 0;
    for (const SimCall& c : calls_) {
        n += c.entry == entry ? 1 : 0;
    }
    return n;
}

std::vector<SimCall> SimCallLog::Of(std::string_view entry) const {
    std::vector<SimCall> out;
    for (const SimCall& c : calls_) {
        if (c.entry == entry) {
            out.push_back(c);
        }
    }
    return out;
}

} // namespace sim
