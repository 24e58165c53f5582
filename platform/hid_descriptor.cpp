#include "platform/hid_descriptor.h"

#include <algorithm>

namespace platform {

namespace {

constexpr uint32_t kMaxReportBits = 65534u * 8u; // keeps length + id byte within 16 bits
constexpr int kMaxPushDepth = 16;

struct Globals {
    uint32_t report_size = 0;
    uint32_t report_count = 0;
    uint32_t report_id = 0;
};

} // namespace

uint16_t HidReportLayout::ReportLength(HidReportKind kind, uint8_t id) const {
    uint32_t b = bits[static_cast<size_t>(kind)][id];
    if (b == 0) {
        return 0;
    }
    return static_cast<uint16_t>((b + 7) / 8 + 1);
}

bool ParseHidReportDescriptor(const uint8_t* bytes, size_t length, HidReportLayout* layout) {
    *layout = HidReportLayout{};
    HidReportLayout out;
    // The largest bit count of each kind so far, among numbered reports and
    // of report 0 apart (which does not count once reports are numbered).
    uint32_t most_numbered[3] = {0, 0, 0};
    uint32_t most_unnumbered[3] = {0, 0, 0};
    Globals g;
    Globals stack[kMaxPushDepth];
    int depth = 0;
    size_t pos = 0;
    while (pos < length) {
        uint8_t prefix = bytes[pos];
        if (prefix == 0xFE) { // long item: size, tag, data; carries nothing we use
            if (length - pos < 3 || length - pos - 3 < bytes[pos + 1]) {
                return false;
            }
            pos += 3 + bytes[pos + 1];
            continue;
        }
        size_t size = prefix & 3u;
        if (size == 3) {
            size = 4;
        }
        if (length - pos - 1 < size) {
            return false;
        }
        uint32_t value = 0;
        for (size_t i = 0; i < size; ++i) {
            value |= static_cast<uint32_t>(bytes[pos + 1 + i]) << (8 * i);
        }
        pos += 1 + size;
        const uint8_t type = (prefix >> 2) & 3u;
        const uint8_t tag = prefix >> 4;
        if (type == 1) { // global
            switch (tag) {
            case 0x7:
                g.report_size = value;
                break;
            case 0x8:
                if (value == 0 || value > 255) {
                    return false;
                }
                g.report_id = value;
                out.uses_report_ids = true;
                break;
            case 0x9:
                g.report_count = value;
                break;
            case 0xA:
                if (depth == kMaxPushDepth) {
                    return false;
                }
                stack[depth++] = g;
                break;
            case 0xB:
                if (depth == 0) {
                    return false;
                }
                g = stack[--depth];
                break;
            default:
                break;
            }
        } else if (type == 0) { // main
            int kind = -1;
            if (tag == 0x8) {
                kind = static_cast<int>(HidReportKind::kInput);
            } else if (tag == 0x9) {
                kind = static_cast<int>(HidReportKind::kOutput);
            } else if (tag == 0xB) {
                kind = static_cast<int>(HidReportKind::kFeature);
            }
            if (kind >= 0) {
                uint64_t added = static_cast<uint64_t>(g.report_size) * g.report_count;
                uint32_t& b = out.bits[kind][g.report_id];
                if (added > kMaxReportBits - b) {
                    return false;
                }
                b += static_cast<uint32_t>(added);
                uint32_t& most = g.report_id != 0 ? most_numbered[kind] : most_unnumbered[kind];
                most = std::max(most, b);
            }
        }
    }
    if (out.uses_report_ids) {
        // Items before the first report id belong to no report the device
        // can send or take once it numbers its reports.
        for (auto& per_kind : out.bits) {
            per_kind[0] = 0;
        }
    }
    // The longest report of each kind: a report's length grows with its
    // bits, so it is the one with the most bits.
    for (size_t k = 0; k < 3; ++k) {
        const uint32_t most =
            std::max(most_numbered[k], out.uses_report_ids ? 0u : most_unnumbered[k]);
        const uint16_t longest = most == 0 ? 0 : static_cast<uint16_t>((most + 7) / 8 + 1);
        (k == 0 ? out.input_report_length
                : (k == 1 ? out.output_report_length : out.feature_report_length)) = longest;
    }
    *layout = out;
    return true;
}

} // namespace platform
