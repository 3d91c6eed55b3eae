#include "plib/psystem.h"

bool PWriteAndClose(PFile file, const void* data, std::size_t size) {
    const bool written = std::fwrite(data, 1, size, file.get()) == size;
    return std::fclose(file.release()) == 0 && written;
}

std::tm PMakeTm(int year, int month, int day, int hour, int minute, int second, int weekday) {
    static constexpr int kDaysBeforeMonth[12] = {0,   31,  59,  90,  120, 151,
                                                 181, 212, 243, 273, 304, 334};
    std::tm tm{};
    tm.tm_year = year - 1900;
    tm.tm_mon = month - 1;
    tm.tm_mday = day;
    tm.tm_hour = hour;
    tm.tm_min = minute;
    tm.tm_sec = second;
    tm.tm_wday = weekday;
    const int monthIndex = (month >= 1 && month <= 12) ? month - 1 : 0;
    tm.tm_yday = kDaysBeforeMonth[monthIndex] + day - 1 + ((year % 4 == 0 && month > 2) ? 1 : 0);
    tm.tm_isdst = -1;
    return tm;
}
