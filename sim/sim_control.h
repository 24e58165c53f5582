#pragma once
// The control interface of libsim_msp430.so: what a test sets and reads on
// the simulated target behind the MSP430_* entries it exports. Addresses
// are target addresses; every call acts on the one target of the library.

#include <cstdint>

extern "C" {

// A fresh F149 with no supply, one free adapter "COM0", no faults, empty log.
void sim_reset(void);
// A fresh board of device-list row row; 0, or -1 for a row outside the list.
int32_t sim_select_device(int32_t row);
// The same by row name ("149", "2274", "5438"); the row, or -1.
int32_t sim_select_device_named(const char* name);
// Series 5: marks the board an early part (the revision byte at 0x1A06).
void sim_set_early_f5xx(int32_t early);
// Identification byte 16, the configuration-fuse value.
void sim_set_fuse_byte(int32_t value);

// The board's own supply in mV (0: none); the adapter supply set so far.
void sim_set_external_supply(int32_t millivolts);
int32_t sim_adapter_supply(void);
// What a supply measurement reads from now on (-1: the real supply).
void sim_set_supply_reading(int32_t millivolts);

// The named entry ("MSP430_Identify") fails with error, times times (0: not
// at all, -1: until cleared).
void sim_fail_operation(const char* entry, int32_t error, int32_t times);
// Reads (and verifies), writes or erases touching address fail.
void sim_fail_read_at(int32_t address, int32_t times);
void sim_fail_write_at(int32_t address, int32_t times);
void sim_fail_erase_at(int32_t address, int32_t times);
// Every fault and the forced supply reading gone.
void sim_clear_faults(void);

// Target memory without flash rules or faults; 0, or -1 outside memory.
int32_t sim_peek(int32_t address, uint8_t* out, int32_t count);
int32_t sim_poke(int32_t address, const uint8_t* bytes, int32_t count);
int32_t sim_fuse_blown(void);
void sim_set_fuse_blown(int32_t blown);
int32_t sim_info_a_unlocked(void);

// The adapters the USB list reports, in order.
void sim_usb_clear(void);
void sim_usb_add(const char* name, int32_t inUse);
void sim_set_firmware_version(int32_t version);

// The call log: count, one line as text (its length, -1 outside; the text
// is cut to fit size), the calls of one entry, clear.
int32_t sim_log_count(void);
int32_t sim_log_line(int32_t index, char* out, int32_t size);
int32_t sim_log_calls(const char* entry);
void sim_log_clear(void);

} // extern "C"
