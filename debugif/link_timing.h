#pragma once
// The adapter link's time-outs in one place. The product keeps the values
// below; tests and fuzzers shorten them so that a missing answer costs
// milliseconds, not seconds. Set before a port is opened: the serial port
// takes its time-outs at open, the HID device at its initialisation.

#include <cstdint>

namespace debugif {

struct LinkTimingState {
    uint32_t serial_read_total_ms = 7000; // plus 10 ms per byte
    uint32_t serial_read_interval_ms = 100;
    uint32_t serial_write_total_ms = 3000; // plus 10 ms per byte
    int32_t hid_read_timeout_ms = 600;
    int32_t hid_write_timeout_ms = 500;
    // After garbage on the line, input is discarded until it has been
    // quiet this long (and at most quiet_limit_ms in all).
    uint32_t quiet_gap_ms = 100;
    uint32_t quiet_limit_ms = 7000;
    uint32_t bootloader_probe_delay_ms = 40;

    void Reset();
};
extern LinkTimingState LinkTiming;

} // namespace debugif
