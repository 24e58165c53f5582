#pragma once
// The local date and time of day, replaceable by tests so that dates in
// serial numbers and history records do not depend on when a test runs.

#include <cstdint>
#include <functional>
#include <string>

namespace platform {

struct LocalTime {
    int32_t year = 1970; // four digits
    int32_t month = 1;   // 1..12
    int32_t day = 1;     // 1..31
    int32_t hour = 0;    // 0..23
    int32_t minute = 0;  // 0..59
    int32_t second = 0;  // 0..60
    int32_t weekday = 4; // 0 Sunday .. 6 Saturday
};

// The current local time: the system's, or the source set below.
LocalTime LocalTimeNow();

// Routes LocalTimeNow to source; an empty function restores the system's.
void SetLocalTimeSource(std::function<LocalTime()> source);

// The day of the week of a Gregorian date (0 Sunday .. 6 Saturday).
int32_t WeekdayOf(int32_t year, int32_t month, int32_t day);

// English abbreviations whatever the process locale ("Thu", "Dec"); "???"
// outside the ranges.
std::string WeekdayAbbrev(int32_t weekday);
std::string MonthAbbrev(int32_t month);

} // namespace platform
