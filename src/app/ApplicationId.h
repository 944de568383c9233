#pragma once

#include <optional>
#include <string>

// The id an app runs under: its Gtk::Application id, the name of its desktop entry, its icon's
// name and its X11 window class, so the desktop groups its windows under its own entry.
class ApplicationId {
  public:
    // The bundle identifier, extended by the app identifier when the bundle carries one, made
    // to fit D-Bus name rules.
    static std::string of(const std::string& bundleIdentifier,
                          const std::optional<std::string>& appIdentifier);
    // The running bundle's.
    static std::string ofMainBundle();
};
