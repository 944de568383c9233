#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

// One "autoFill" message of the app's page script, checked: an event about the login form of the
// frame that posted it, and which frame that was. Anything malformed is no message.
struct AutoFillMessage {
    enum class Event {
        LoginFound,
        UsernameChange,
        PasswordChange,
        UsernameFocused,
        PasswordFocused,
        UsernameBlurred,
        PasswordBlurred,
        KeyUp,
    };
    struct Position {
        double left = 0;
        double top = 0;
    };

    Event event = Event::LoginFound;
    // "onLoginFound": the form's values; absent ones stay absent.
    std::optional<std::string> username;
    std::optional<std::string> password;
    // Changes: the field's new text.
    std::string text;
    // Changes and focus: where the menu goes, in the coordinates of the reporting frame.
    Position position;
    long keyCode = 0;
    // The reporting frame: its origin and address, and whether it is the page's main frame.
    std::string origin;
    std::string frameUrl;
    bool topFrame = true;

    // Page text longer than this is refused: no login needs it.
    static constexpr size_t kMaxText = 4096;

    // [event name, arguments..., {"origin", "url", "top"}] as the page script posts it.
    static std::optional<AutoFillMessage> parse(const nlohmann::json& body);
};
