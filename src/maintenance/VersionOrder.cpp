#include "maintenance/VersionOrder.h"

namespace {
bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The run of digits starting at `at`, without its leading zeros; `at` moves past the run.
std::string_view digitRun(std::string_view text, size_t& at) {
    size_t start = at;
    while (at < text.size() && isDigit(text[at])) {
        ++at;
    }
    std::string_view run = text.substr(start, at - start);
    while (run.size() > 1 && run.front() == '0') {
        run.remove_prefix(1);
    }
    return run;
}
}  // namespace

int VersionOrder::compare(std::string_view a, std::string_view b) {
    size_t i = 0, j = 0;
    while (i < a.size() && j < b.size()) {
        if (isDigit(a[i]) && isDigit(b[j])) {
            // Values of any length: more digits is more, else the digits decide.
            std::string_view x = digitRun(a, i), y = digitRun(b, j);
            if (x.size() != y.size()) {
                return x.size() < y.size() ? -1 : 1;
            }
            if (int order = x.compare(y); order != 0) {
                return order < 0 ? -1 : 1;
            }
            continue;
        }
        const auto x = static_cast<unsigned char>(a[i++]), y = static_cast<unsigned char>(b[j++]);
        if (x != y) {
            return x < y ? -1 : 1;
        }
    }
    if (i < a.size()) {
        return 1;
    }
    return j < b.size() ? -1 : 0;
}
