#pragma once

#include <ctime>
#include <string>

// Visit times in history.json: "yyyy-MM-dd HH:mm:ssZZZZZ 'T'", e.g. "2024-05-01 10:00:00+02:00 T"
// (ZZZZZ is "Z" at UTC offset zero).
class HistoryDate {
  public:
    static std::string format(std::time_t time);
    static std::string now() { return format(std::time(nullptr)); }
};
