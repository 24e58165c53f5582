#pragma once
// Feature reports of the adapter's HID device: byte 0 the feature id, byte
// 1 its value, zeros up to the report's length.

#include "debugif/hid_device.h"

#include <cstddef>
#include <cstdint>

namespace debugif {

inline constexpr uint8_t kHidFeatureMode = 0xC8;     // set 0x24, read back
inline constexpr uint8_t kHidFeatureDataRate = 0xC9; // see HidDataRateCode
inline constexpr uint8_t kHidFeatureCA = 0xCA;       // value at most 31
inline constexpr uint8_t kHidFeatureD2 = 0xD2;
inline constexpr uint8_t kHidFeatureFlushed = 0xD3; // no value; after an input flush
inline constexpr uint8_t kHidFeatureCAMaximum = 31;

// Sets or reads the feature report in report[0..size): 0, 2 not open, 4
// time-out, 5 failure. The report goes out in the length the device gives
// it; a shorter buffer is padded with zeros, a longer one cut.
int32_t HidSetFeature(HidDevice& device, const uint8_t* report, size_t size);
int32_t HidGetFeature(HidDevice& device, uint8_t* report, size_t size);

// One feature with one value (0xCA clamped to 31), and its read-back.
int32_t SetHidFeatureValue(HidDevice& device, uint8_t id, uint8_t value);
int32_t GetHidFeatureValue(HidDevice& device, uint8_t id, uint8_t* value);

// Data-rate feature values: 115200 -> 8, 460800 -> 2, any other rate -> 1
// (921600); read back, 2 -> 460800, 1 -> 921600, anything else 0.
uint8_t HidDataRateCode(uint32_t rate);
uint32_t HidDataRateFromCode(uint8_t code);

// Drops leftover payload, flushes the input queue and sends feature 0xD3:
// its status; 6 when the flush fails on a closed device, 0xFF otherwise.
int32_t FlushHidDevice(HidDevice& device);

} // namespace debugif
