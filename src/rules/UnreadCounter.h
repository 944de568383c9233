#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

// The unread-count badge of the polled page, apart from the desktop: what a count script's
// result does to the badge, to the page's remembered count (its dockLabel) and which new unread
// messages are announced. Keeps the texts already announced.
class UnreadCounter {
  public:
    // A list of message texts (the mail script), a count as text (the social script), or
    // nothing (the script failed or gave nothing).
    using Result = std::variant<std::monostate, std::vector<std::string>, std::string>;

    struct Settings {
        bool userNotifications = true;  // "UserNotifications"
        bool dockBadge = true;          // "DockBadge"
    };

    struct Outcome {
        // The badge afterwards; absent when the result leaves everything as it was.
        std::optional<std::string> badge;  // "" clears it
        std::optional<std::string> dockLabel;
        bool changed = false;  // badge and dockLabel are to be applied
        // Texts to announce, in order.
        std::vector<std::string> announce;
    };

    Outcome update(const Result& result, const std::optional<std::string>& dockLabel,
                   Settings settings);
    const std::vector<std::string>& announced() const { return announced_; }

    // How an announced text becomes a notification: four or more comma-separated fields give
    // title, subtitle and text (fields 0, 1 and 3); fewer give "<text> New Messages." with the
    // page's host as the text.
    struct Notice {
        std::string title;
        std::string subtitle;
        std::string text;
    };
    static Notice noticeFor(const std::string& text, const std::string& host);

    // The unread count a page puts in its title ("(3) Inbox", "Inbox (3)", "(99+) Chat"), if any.
    static std::optional<std::string> countInTitle(const std::string& title);

  private:
    std::vector<std::string> announced_;
};
