#pragma once

#include <optional>
#include <string>

// What the shell knows of the one login form of a page: the values when the form was found, the
// values as last typed or filled, and where it is. A change message or a fill replaces a value
// and so counts as a change even when the text stays the same.
struct VLLoginData {
    std::string initialUsername;
    std::string initialPassword;
    std::string username;
    std::string password;
    // The reporting frame's address (logins are saved under it) and origin.
    std::string url;
    std::string origin;
    bool topFrame = true;
    bool usernameReplaced = false;
    bool passwordReplaced = false;

    void replaceUsername(std::string value) {
        username = std::move(value);
        usernameReplaced = true;
    }
    void replacePassword(std::string value) {
        password = std::move(value);
        passwordReplaced = true;
    }
    bool changed() const { return usernameReplaced || passwordReplaced; }
    // Worth offering to save: changed, and neither value empty.
    bool offersSave() const { return changed() && !username.empty() && !password.empty(); }
};
