#pragma once

#include <string>

#include "foundation/NotificationNames.h"

// What the address field shows: at rest a summary (a padlock when the page has only secure
// content, and the page's host), while editing the full address.
class UrlBarState {
  public:
    void setURLString(const std::string& url);
    void setSecure(bool secure) { secure_ = secure; }
    void setEditing(bool editing) { editing_ = editing; }
    void setLoadingState(bool loading) { loading_ = loading; }

    const std::string& urlString() const { return url_; }
    bool isEditing() const { return editing_; }
    bool isSecure() const { return secure_; }
    bool isLoading() const { return loading_; }

    // The field's own text: the address while editing, nothing at rest.
    std::string text() const { return editing_ ? url_ : std::string(); }
    bool summaryVisible() const { return !editing_; }
    bool padlockVisible() const { return secure_; }
    // The host of the address, or the whole address when it names no host; an address that does
    // not parse leaves the last host shown.
    const std::string& hostName() const { return host_; }
    // "stop-icon" while loading, else "reload-icon".
    const char* loadButtonIcon() const { return loading_ ? "stop-icon" : "reload-icon"; }
    // What the button posts: "stop" while loading, else "reload".
    const char* loadActionNotification() const {
        return loading_ ? notification::stop : notification::reload;
    }

  private:
    std::string url_;
    std::string host_;
    bool editing_ = false;
    bool secure_ = false;
    bool loading_ = false;
};
