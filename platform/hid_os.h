#pragma once
// The operating-system side of a HID device, as the adapter's HID transport
// uses it. Reports are exchanged in the host layout: byte 0 is the report
// id (0 when the device does not number its reports), the data follows.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

enum class HidIo : uint8_t { kOk, kTimeout, kFailure };

class HidPort {
public:
    virtual ~HidPort() = default;
    virtual bool GetRawInfo(uint16_t* vendor_id, uint16_t* product_id) = 0;
    virtual bool GetReportDescriptor(std::vector<uint8_t>* descriptor) = 0;
    // Writes one output report of exactly length bytes.
    virtual HidIo Write(const uint8_t* report, size_t length, int32_t timeout_ms) = 0;
    // Reads one input report into buffer (at most capacity bytes; a longer
    // report is cut), waiting at most timeout_ms for it.
    virtual HidIo Read(uint8_t* buffer, size_t capacity, size_t* received, int32_t timeout_ms) = 0;
    // report[0] names the feature report; length bytes go out or come back.
    virtual HidIo SetFeature(const uint8_t* report, size_t length, int32_t timeout_ms) = 0;
    virtual HidIo GetFeature(uint8_t* report, size_t length, int32_t timeout_ms) = 0;
    // Discards the input reports queued for this handle.
    virtual bool FlushInput() = 0;
};

class HidOs {
public:
    virtual ~HidOs() = default;
    // Opens a HID interface for reading and writing, not shared. Fails with
    // *system_error kErrorSharingViolation when another holder has it,
    // kErrorFileNotFound when the path does not exist.
    virtual std::unique_ptr<HidPort> Open(const std::string& path, int32_t* system_error) = 0;
};

} // namespace platform
