#pragma once
// The parallel-port path's RAM routines as word tables, assembled from
// debugif/lpt_routines/*.s43 by debugif/lpt_routines/asm430.py (which
// also writes this header; do not edit). Each is held for load address
// 0x0200; the word indexes of its labels follow it.

#include <array>
#include <cstdint>

namespace debugif {

extern const std::array<uint16_t, 55> kErase16;
inline constexpr uint32_t kErase16_load = 0;
inline constexpr uint32_t kErase16_srbits = 3;
inline constexpr uint32_t kErase16_fctl1 = 4;
inline constexpr uint32_t kErase16_fctl3 = 5;
inline constexpr uint32_t kErase16_address = 6;
inline constexpr uint32_t kErase16_count = 7;
inline constexpr uint32_t kErase16_entry = 8;
inline constexpr uint32_t kErase16_busy = 29;
inline constexpr uint32_t kErase16_done = 42;

extern const std::array<uint16_t, 51> kEraseTimed;
inline constexpr uint32_t kEraseTimed_load = 0;
inline constexpr uint32_t kEraseTimed_srbits = 3;
inline constexpr uint32_t kEraseTimed_fctl1 = 4;
inline constexpr uint32_t kEraseTimed_fctl3 = 5;
inline constexpr uint32_t kEraseTimed_fctl2 = 6;
inline constexpr uint32_t kEraseTimed_after1 = 7;
inline constexpr uint32_t kEraseTimed_after3 = 8;
inline constexpr uint32_t kEraseTimed_address = 9;
inline constexpr uint32_t kEraseTimed_count = 10;
inline constexpr uint32_t kEraseTimed_entry = 11;
inline constexpr uint32_t kEraseTimed_busy = 31;
inline constexpr uint32_t kEraseTimed_done = 47;

extern const std::array<uint16_t, 56> kErase20;
inline constexpr uint32_t kErase20_load = 0;
inline constexpr uint32_t kErase20_srbits = 3;
inline constexpr uint32_t kErase20_fctl1 = 4;
inline constexpr uint32_t kErase20_fctl3 = 5;
inline constexpr uint32_t kErase20_addrlo = 6;
inline constexpr uint32_t kErase20_addrhi = 7;
inline constexpr uint32_t kErase20_countlo = 8;
inline constexpr uint32_t kErase20_counthi = 9;
inline constexpr uint32_t kErase20_entry = 10;
inline constexpr uint32_t kErase20_here = 28;
inline constexpr uint32_t kErase20_busy = 33;
inline constexpr uint32_t kErase20_done = 46;

extern const std::array<uint16_t, 54> kWrite16;
inline constexpr uint32_t kWrite16_load = 0;
inline constexpr uint32_t kWrite16_srbits = 3;
inline constexpr uint32_t kWrite16_fctl1 = 4;
inline constexpr uint32_t kWrite16_fctl3 = 5;
inline constexpr uint32_t kWrite16_target = 6;
inline constexpr uint32_t kWrite16_nwords = 7;
inline constexpr uint32_t kWrite16_datap = 8;
inline constexpr uint32_t kWrite16_entry = 9;
inline constexpr uint32_t kWrite16_fctl2 = 16;
inline constexpr uint32_t kWrite16_setup = 17;
inline constexpr uint32_t kWrite16_next = 32;
inline constexpr uint32_t kWrite16_busy = 36;
inline constexpr uint32_t kWrite16_finish = 46;
inline constexpr uint32_t kWrite16_done = 52;
inline constexpr uint32_t kWrite16_data = 54;

extern const std::array<uint16_t, 67> kWrite20;
inline constexpr uint32_t kWrite20_load = 0;
inline constexpr uint32_t kWrite20_srbits = 3;
inline constexpr uint32_t kWrite20_fctl1 = 4;
inline constexpr uint32_t kWrite20_fctl3 = 5;
inline constexpr uint32_t kWrite20_target = 6;
inline constexpr uint32_t kWrite20_nwords = 7;
inline constexpr uint32_t kWrite20_datap = 8;
inline constexpr uint32_t kWrite20_tlo = 10;
inline constexpr uint32_t kWrite20_thi = 11;
inline constexpr uint32_t kWrite20_fctl2 = 16;
inline constexpr uint32_t kWrite20_entry = 17;
inline constexpr uint32_t kWrite20_here = 32;
inline constexpr uint32_t kWrite20_next = 40;
inline constexpr uint32_t kWrite20_busy = 44;
inline constexpr uint32_t kWrite20_differs = 59;
inline constexpr uint32_t kWrite20_finish = 60;
inline constexpr uint32_t kWrite20_done = 66;
inline constexpr uint32_t kWrite20_data = 67;

extern const std::array<uint16_t, 31> kMeasureClock;
inline constexpr uint32_t kMeasureClock_load = 0;
inline constexpr uint32_t kMeasureClock_p3 = 3;
inline constexpr uint32_t kMeasureClock_p4 = 4;
inline constexpr uint32_t kMeasureClock_p5 = 5;
inline constexpr uint32_t kMeasureClock_clkbase = 6;
inline constexpr uint32_t kMeasureClock_nbytes = 7;
inline constexpr uint32_t kMeasureClock_entry = 8;
inline constexpr uint32_t kMeasureClock_here = 16;
inline constexpr uint32_t kMeasureClock_copy = 20;
inline constexpr uint32_t kMeasureClock_count = 27;
inline constexpr uint32_t kMeasureClock_done = 30;

extern const std::array<uint16_t, 26> kFllSetup;
inline constexpr uint32_t kFllSetup_load = 0;
inline constexpr uint32_t kFllSetup_p3 = 3;
inline constexpr uint32_t kFllSetup_p4 = 4;
inline constexpr uint32_t kFllSetup_p5 = 5;
inline constexpr uint32_t kFllSetup_p6 = 6;
inline constexpr uint32_t kFllSetup_entry = 7;
inline constexpr uint32_t kFllSetup_settle = 23;
inline constexpr uint32_t kFllSetup_done = 25;

extern const std::array<uint16_t, 91> kErase91;
inline constexpr uint32_t kErase91_start = 0;
inline constexpr uint32_t kErase91_addrlo = 2;
inline constexpr uint32_t kErase91_addrhi = 3;
inline constexpr uint32_t kErase91_fctl1 = 4;
inline constexpr uint32_t kErase91_fctl3 = 5;
inline constexpr uint32_t kErase91_entry = 11;
inline constexpr uint32_t kErase91_here = 17;
inline constexpr uint32_t kErase91_busy = 36;
inline constexpr uint32_t kErase91_done = 57;
inline constexpr uint32_t kErase91_failed = 58;

extern const std::array<uint16_t, 127> kWrite91;
inline constexpr uint32_t kWrite91_start = 0;
inline constexpr uint32_t kWrite91_addrlo = 2;
inline constexpr uint32_t kWrite91_addrhi = 3;
inline constexpr uint32_t kWrite91_countlo = 4;
inline constexpr uint32_t kWrite91_counthi = 5;
inline constexpr uint32_t kWrite91_fctl3 = 6;
inline constexpr uint32_t kWrite91_entry = 14;
inline constexpr uint32_t kWrite91_here = 20;
inline constexpr uint32_t kWrite91_next = 46;
inline constexpr uint32_t kWrite91_wait = 49;
inline constexpr uint32_t kWrite91_busy = 56;
inline constexpr uint32_t kWrite91_finish = 69;
inline constexpr uint32_t kWrite91_done = 84;
inline constexpr uint32_t kWrite91_failed = 85;

} // namespace debugif
