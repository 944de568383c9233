#include "browser/NavigationIntents.h"

namespace {
// A form's fields replace the query of a GET target; the fragment never reaches the server.
std::string withoutQuery(const std::string& url) {
    return url.substr(0, url.find_first_of("?#"));
}
}  // namespace

void NavigationIntents::noteLink(const std::string& url, Target target, Clock::time_point now) {
    add({url, false, target, now});
}

void NavigationIntents::noteForm(const std::string& action, Target target, Clock::time_point now) {
    add({withoutQuery(action), true, target, now});
}

bool NavigationIntents::takeNavigation(const std::string& url, Target target,
                                       Clock::time_point now) {
    prune(now);
    for (auto it = reports_.begin(); it != reports_.end(); ++it) {
        if (it->target == target && it->url == (it->form ? withoutQuery(url) : url)) {
            reports_.erase(it);
            return true;
        }
    }
    return false;
}

bool NavigationIntents::takeWindowGesture() {
    const bool armed = gestureArmed_;
    gestureArmed_ = false;
    return armed;
}

void NavigationIntents::add(Report report) {
    prune(report.at);
    while (reports_.size() >= kMaxReports) {
        reports_.pop_front();
    }
    reports_.push_back(std::move(report));
}

void NavigationIntents::prune(Clock::time_point now) {
    while (!reports_.empty() && now - reports_.front().at > kValidity) {
        reports_.pop_front();
    }
}
