// Palm dates from broken-down local time, and the local clock.
#include "encoder/PalmDate.h"

#include <array>
#include <ctime>

namespace skerrit {

namespace {

constexpr int64_t kSecondsPerDay = 86400;
constexpr int64_t kDaysPerFourYears = 1461;
constexpr int32_t kEpochYear = 1904;

// Day counts before each month; February takes its leap day separately.
constexpr std::array<int64_t, 12> kDaysBeforeMonth = {0,   31,  59,  90,  120, 151,
                                                      181, 212, 243, 273, 304, 334};

int64_t floorDiv(int64_t value, int64_t divisor) {
    const int64_t quotient = value / divisor;
    return (value % divisor != 0 && value < 0) ? quotient - 1 : quotient;
}

}  // namespace

uint32_t palmDate(const LocalTime& time) {
    const int64_t yearsSinceEpoch = int64_t{time.year} - kEpochYear;
    const int64_t fourYearBlocks = floorDiv(yearsSinceEpoch, 4);
    const int64_t yearInBlock = yearsSinceEpoch - 4 * fourYearBlocks;  // 0 is the leap year

    int64_t days = kDaysPerFourYears * fourYearBlocks;
    if (yearInBlock > 0)
        days += 366 + 365 * (yearInBlock - 1);
    const int32_t monthIndex = time.month < 1 ? 0 : (time.month > 12 ? 11 : time.month - 1);
    days += kDaysBeforeMonth[static_cast<size_t>(monthIndex)];
    if (yearInBlock == 0 && monthIndex > 1)
        days += 1;
    days += int64_t{time.day} - 1;

    const int64_t seconds = days * kSecondsPerDay + int64_t{time.hour} * 3600 +
                            int64_t{time.minute} * 60 + int64_t{time.second};
    return static_cast<uint32_t>(static_cast<uint64_t>(seconds) & 0xFFFFFFFFu);
}

LocalTime palmDateTime(uint32_t date) {
    int64_t days = date / kSecondsPerDay;
    const int64_t secondOfDay = date % kSecondsPerDay;
    LocalTime time{};
    time.year = kEpochYear + 4 * static_cast<int32_t>(days / kDaysPerFourYears);
    days %= kDaysPerFourYears;
    // The block starts with its leap year of 366 days, then three years of 365.
    int64_t yearInBlock = 0;
    if (days >= 366) {
        yearInBlock = 1 + (days - 366) / 365;
        days = (days - 366) % 365;
    }
    time.year += static_cast<int32_t>(yearInBlock);
    const bool leapYear = yearInBlock == 0;
    int32_t month = 11;
    auto monthStart = [leapYear](int32_t index) {
        return kDaysBeforeMonth[static_cast<size_t>(index)] + (leapYear && index > 1 ? 1 : 0);
    };
    while (month > 0 && days < monthStart(month))
        --month;
    time.month = month + 1;
    time.day = static_cast<int32_t>(days - monthStart(month)) + 1;
    time.hour = static_cast<int32_t>(secondOfDay / 3600);
    time.minute = static_cast<int32_t>(secondOfDay / 60 % 60);
    time.second = static_cast<int32_t>(secondOfDay % 60);
    return time;
}

LocalTime currentLocalTime() {
    const std::time_t now = std::time(nullptr);
    // std::localtime shares one static result; the engine runs on one thread, and the standard
    // function keeps this file free of platform headers.
    const std::tm* parts = std::localtime(&now);
    if (parts == nullptr)
        return LocalTime{kEpochYear, 1, 1, 0, 0, 0};
    return LocalTime{parts->tm_year + 1900, parts->tm_mon + 1, parts->tm_mday,
                     parts->tm_hour,        parts->tm_min,     parts->tm_sec};
}

}  // namespace skerrit
