#include "browser/HistoryDate.h"

#include <cstdio>
#include <cstdlib>

std::string HistoryDate::format(std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char stamp[32];
    std::strftime(stamp, sizeof stamp, "%Y-%m-%d %H:%M:%S", &local);
    long offset = local.tm_gmtoff;
    char zone[32];
    if (offset == 0) {
        std::snprintf(zone, sizeof zone, "Z");
    } else {
        long minutes = std::labs(offset) / 60;
        std::snprintf(zone, sizeof zone, "%c%02ld:%02ld", offset < 0 ? '-' : '+', minutes / 60,
                      minutes % 60);
    }
    return std::string(stamp) + zone + " T";
}
