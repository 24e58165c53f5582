#pragma once
// Report lengths of a HID device, taken from its report descriptor. Lengths
// count the report-id byte that leads every report as the host exchanges it
// (0 when the device does not number its reports), as the device
// capabilities of the original HID API do.

#include <array>
#include <cstddef>
#include <cstdint>

namespace platform {

enum class HidReportKind : uint8_t { kInput = 0, kOutput = 1, kFeature = 2 };

struct HidReportLayout {
    bool uses_report_ids = false;
    // Largest report of each kind in bytes, report-id byte included; 0 when
    // the device has no report of that kind.
    uint16_t input_report_length = 0;
    uint16_t output_report_length = 0;
    uint16_t feature_report_length = 0;
    // Data bits of each report, by kind and report id (id 0 when unnumbered).
    std::array<std::array<uint32_t, 256>, 3> bits{};

    // Bytes of the report with this id, report-id byte included; 0 when the
    // descriptor has no such report.
    uint16_t ReportLength(HidReportKind kind, uint8_t id) const;
};

// Parses a report descriptor. Fails on a truncated item, a report id of 0
// or above 255, an unbalanced push/pop or a report beyond 65535 bytes;
// *layout is then left empty.
bool ParseHidReportDescriptor(const uint8_t* bytes, size_t length, HidReportLayout* layout);

} // namespace platform
