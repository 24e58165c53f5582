#include "platform/local_time.h"

#include <ctime>

namespace platform {
namespace {

std::function<LocalTime()> g_source;

LocalTime SystemLocalTime() {
    const std::time_t now = std::time(nullptr);
    std::tm tm{};
    ::localtime_r(&now, &tm);
    LocalTime t;
    t.year = tm.tm_year + 1900;
    t.month = tm.tm_mon + 1;
    t.day = tm.tm_mday;
    t.hour = tm.tm_hour;
    t.minute = tm.tm_min;
    t.second = tm.tm_sec;
    t.weekday = tm.tm_wday;
    return t;
}

} // namespace

LocalTime LocalTimeNow() {
    return g_source ? g_source() : SystemLocalTime();
}

void SetLocalTimeSource(std::function<LocalTime()> source) {
    g_source = std::move(source);
}

int32_t WeekdayOf(int32_t year, int32_t month, int32_t day) {
    // Sakamoto's method.
    static const int32_t offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
    if (month < 1 || month > 12) {
        return 0;
    }
    if (month < 3) {
        year -= 1;
    }
    const int32_t w = (year + year / 4 - year / 100 + year / 400 + offsets[month - 1] + day) % 7;
    return w < 0 ? w + 7 : w;
}

std::string WeekdayAbbrev(int32_t weekday) {
    static const char* const names[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
    return weekday >= 0 && weekday < 7 ? names[weekday] : "???";
}

std::string MonthAbbrev(int32_t month) {
    static const char* const names[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    return month >= 1 && month <= 12 ? names[month - 1] : "???";
}

} // namespace platform
