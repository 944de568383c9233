#pragma once

#include <chrono>
#include <deque>
#include <string>

// What the app's own script in a page reported just before a navigation: link clicks and form
// submissions of the main frame (with their target), and user gestures in any frame. The engine
// does not say which frame a navigation is for, nor which gesture opened a window; these reports
// tell the page controller.
class NavigationIntents {
  public:
    using Clock = std::chrono::steady_clock;

    // A report stays valid this long: the navigation follows its click at once.
    static constexpr std::chrono::seconds kValidity{3};

    // Where a reported navigation goes: the main frame, or a new window (a "_blank" target).
    enum class Target { MainFrame, NewWindow };

    void noteLink(const std::string& url, Target target, Clock::time_point now = Clock::now());
    // A form's target: the navigation's address may carry the form's fields as its query.
    void noteForm(const std::string& action, Target target, Clock::time_point now = Clock::now());
    // A pointer press or key press in any frame: it allows one window.
    void noteGesture() { gestureArmed_ = true; }

    // True (and the report used up) when a navigation to `url` follows a report for `target`.
    bool takeNavigation(const std::string& url, Target target,
                        Clock::time_point now = Clock::now());
    // True (and the gesture used up) when a gesture is there to open one window.
    bool takeWindowGesture();

    // Reports arrive from a page; a hostile page must not make this grow without end.
    static constexpr size_t kMaxReports = 16;

  private:
    struct Report {
        std::string url;
        bool form = false;
        Target target = Target::MainFrame;
        Clock::time_point at;
    };
    void add(Report report);
    void prune(Clock::time_point now);

    std::deque<Report> reports_;
    bool gestureArmed_ = false;
};
