// Palm OS dates: seconds since midnight, 1 January 1904, of the local wall-clock time, as an
// unsigned 32-bit number. The conversion is a pure function of the broken-down time so that it
// can be checked against known values; reading the clock is kept apart.
#pragma once

#include <cstdint>

namespace skerrit {

struct LocalTime {
    int32_t year;    // e.g. 2026
    int32_t month;   // 1 to 12
    int32_t day;     // 1 to 31
    int32_t hour;    // 0 to 23
    int32_t minute;  // 0 to 59
    int32_t second;  // 0 to 59 (60 for a leap second is taken as it comes)
};

// Every fourth year from 1904 is taken as a leap year (no century rule, which only matters
// after the 32-bit range ends in 2040); later dates wrap modulo 2^32.
uint32_t palmDate(const LocalTime& time);

// The broken-down time of a Palm date, by the same calendar: palmDate(palmDateTime(d)) == d.
LocalTime palmDateTime(uint32_t date);

// The local wall-clock time of the system's time zone, now.
LocalTime currentLocalTime();

inline uint32_t currentPalmDate() {
    return palmDate(currentLocalTime());
}

}  // namespace skerrit
