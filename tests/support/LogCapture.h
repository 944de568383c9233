#pragma once

#include <string>
#include <vector>

// Collects the lines logged while it lives (one at a time).
class LogCapture {
  public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    const std::vector<std::string>& lines() const;
    bool contains(const std::string& text) const { return count(text) > 0; }
    // The lines holding `text`.
    size_t count(const std::string& text) const;
    void clear();
};
