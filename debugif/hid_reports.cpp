#include "debugif/hid_reports.h"

#include "debugif/transport_status.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace debugif {

namespace {

constexpr size_t kSmallReport = 320;

uint32_t ReportPayloadSize(uint32_t remaining) {
    if (remaining >= 255) {
        return 255;
    }
    if (remaining >= 63) {
        return 63;
    }
    if (remaining >= 32) {
        return 32;
    }
    if (remaining >= 17) {
        return 17;
    }
    return remaining;
}

} // namespace

int32_t WriteHidReports(HidDevice& device, const uint8_t* bytes, uint32_t count) {
    uint32_t sent = 0;
    while (sent < count) {
        if (device.open == 0 || device.handle == nullptr) {
            return kHidNotOpen;
        }
        const uint32_t n = ReportPayloadSize(count - sent);
        // The report goes out in the length its id has on the device.
        uint16_t length =
            device.layout.ReportLength(platform::HidReportKind::kOutput, static_cast<uint8_t>(n));
        if (length == 0) {
            length = device.output_report_length;
        }
        if (length < n + 1) {
            return kHidFailure; // no room for the payload: never send it cut
        }
        // Reports are small (64 bytes on the adapter): they are built on the
        // stack, only a longer one that a device declares in a vector.
        const size_t size = std::max<size_t>({n + 1, device.output_report_length, length});
        uint8_t small[kSmallReport];
        std::vector<uint8_t> large;
        uint8_t* report = small;
        if (size > sizeof small) {
            large.assign(size, 0);
            report = large.data();
        } else {
            std::memset(small, 0, size);
        }
        report[0] = static_cast<uint8_t>(n);
        std::memcpy(report + 1, bytes + sent, n);
        int32_t status = HidIoStatus(device.handle->Write(report, length, device.write_timeout));
        if (status != kHidOk) {
            return status;
        }
        sent += n;
    }
    return kHidOk;
}

int32_t ReadHidReports(HidDevice& device, uint8_t* buffer, uint32_t count, uint32_t* count_out) {
    uint32_t got = 0;
    *count_out = 0;
    if (count > 0 && buffer == nullptr) {
        return kHidFailure;
    }
    if (device.leftover > 0 && count > 0) {
        const uint32_t take = std::min<uint32_t>(count, device.leftover);
        std::memcpy(buffer, device.input_buffer, take);
        std::memmove(device.input_buffer, device.input_buffer + take, device.leftover - take);
        device.leftover = static_cast<uint16_t>(device.leftover - take);
        got = take;
    }
    int32_t status = kHidOk;
    while (got < count) {
        if (device.open == 0 || device.handle == nullptr) {
            status = kHidNotOpen;
            break;
        }
        size_t capacity =
            device.input_report_length != 0 ? device.input_report_length : kHidInputBufferSize;
        capacity = std::min(capacity, kHidInputBufferSize);
        size_t received = 0;
        status = HidIoStatus(
            device.handle->Read(device.input_buffer, capacity, &received, device.read_timeout));
        if (status != kHidOk) {
            break;
        }
        received = std::min(received, capacity);
        // The length byte is the device's word; the bytes received are the
        // fact. Never hand out more than arrived.
        const size_t payload =
            received >= 2 ? std::min<size_t>(device.input_buffer[1], received - 2) : 0;
        const uint32_t wanted = count - got;
        if (wanted < payload) {
            std::memcpy(buffer + got, device.input_buffer + 2, wanted);
            std::memmove(device.input_buffer, device.input_buffer + 2 + wanted, payload - wanted);
            device.leftover = static_cast<uint16_t>(payload - wanted);
            got += wanted;
        } else {
            std::memcpy(buffer + got, device.input_buffer + 2, payload);
            got += static_cast<uint32_t>(payload);
        }
    }
    *count_out = got;
    return status;
}

} // namespace debugif
