#pragma once

#include <sstream>
#include <string>
#include <string_view>

// The program's log, through GLib's structured log with the domain "Sitebox" (the journal keeps
// it as such): routine lines at debug level, shown with G_MESSAGES_DEBUG=Sitebox, failures as
// warnings. No line carries a cookie, a password, a query string or a fragment: addresses go
// through address().
class Log {
  public:
    enum class Level { Debug, Warning };

    // A routine line.
    static void line(std::string_view text) { write(Level::Debug, text); }
    template <class... Args>
    static void print(Args&&... args) {
        write(Level::Debug, join(std::forward<Args>(args)...));
    }
    // Something failed.
    static void warningLine(std::string_view text) { write(Level::Warning, text); }
    template <class... Args>
    static void warning(Args&&... args) {
        write(Level::Warning, join(std::forward<Args>(args)...));
    }

    // Logs a warning only the first time `key` is seen in this process (a missing service).
    static bool once(std::string_view key, std::string_view text);

    // An address as it may be logged: scheme, host and path.
    static std::string address(const std::string& url);

    // Tests capture what was logged; production leaves this unset.
    using Sink = void (*)(std::string_view);
    static void setSink(Sink sink);

  private:
    static void write(Level level, std::string_view text);
    template <class... Args>
    static std::string join(Args&&... args) {
        std::ostringstream out;
        (out << ... << args);
        return out.str();
    }
};
