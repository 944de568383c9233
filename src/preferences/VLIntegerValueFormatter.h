#pragma once

#include <string>

// The refresh field's formatter: text is acceptable while typing when it is empty or one whole
// signed integer (blanks before it allowed, nothing after it).
class VLIntegerValueFormatter {
  public:
    static bool isPartialStringValid(const std::string& text);
    // The text read as a number of seconds; empty or unreadable text is 0.
    static double numberFrom(const std::string& text);
};
