// Every "today" and "now" of the program comes from one clock, so a test can
// run a reminder on any day at any time.
#pragma once

#include <ctime>

namespace velmora::sys {

struct LocalTime {
    int year = 1970;
    int month = 1;  // 1–12
    int day = 1;
    int hour = 0;
    int minute = 0;
    int second = 0;
};

class Clock {
public:
    virtual ~Clock() = default;
    virtual LocalTime now() const = 0;
};

class SystemClock final : public Clock {
public:
    LocalTime now() const override {
        std::time_t seconds = std::time(nullptr);
        std::tm local{};
#ifdef _WIN32
        localtime_s(&local, &seconds);
#else
        localtime_r(&seconds, &local);
#endif
        return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
                local.tm_hour,        local.tm_min,     local.tm_sec};
    }
};

}  // namespace velmora::sys
