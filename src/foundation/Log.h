#pragma once

#include <sstream>
#include <string>
#include <string_view>

// One plain line per message on stderr; the journal keeps it. No levels.
class Log {
  public:
    static void line(std::string_view text);

    template <class... Args>
    static void print(Args&&... args) {
        std::ostringstream out;
        (out << ... << args);
        line(out.str());
    }

    // Logs only the first time `key` is seen in this process (a missing service, for example).
    static bool once(std::string_view key, std::string_view text);

    // Tests capture what was logged; production leaves this unset.
    using Sink = void (*)(std::string_view);
    static void setSink(Sink sink);
};
