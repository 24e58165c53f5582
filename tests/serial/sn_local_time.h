#pragma once
// The local time the serialization tests and benchmarks run at.

#include "platform/local_time.h"

namespace sn_station {

// The local time from now on: Thu, Dec 10 2026, 11:14.
inline void FixedLocalTime() {
    platform::SetLocalTimeSource([] {
        platform::LocalTime t;
        t.year = 2026;
        t.month = 12;
        t.day = 10;
        t.hour = 11;
        t.minute = 14;
        t.weekday = 4;
        return t;
    });
}

} // namespace sn_station
