#pragma once

#include <sigc++/signal.h>

#include <optional>
#include <string>

#include "maintenance/Image.h"

// The application's icon as the desktop shows it (every window's icon): the app icon, or a live
// image of a page region while the dock monitor runs, with the unread badge drawn over it. The
// badge text is also what a tray icon shows. Main thread only.
class DockTile {
  public:
    static DockTile& shared();

    // The app icon (from the settings store's icon, at start and when it changes).
    void setApplicationIcon(const Image& icon);
    // The image that stands in for the app icon while the dock monitor runs; an invalid image
    // brings the app icon back.
    void setLiveImage(const Image& image);
    // The unread badge; nothing, "" or "0" shows none.
    void setBadge(const std::optional<std::string>& text);
    const std::optional<std::string>& badge() const { return badge_; }

    // The icon as shown (with the badge), and the plain one (without it).
    const Image& shownIcon() const { return shown_; }
    const Image& baseIcon() const { return live_.isValid() ? live_ : applicationIcon_; }

    // Emitted after the shown icon or the badge changed (a tray icon redraws then).
    sigc::signal<void()>& signalChanged() { return changed_; }

  private:
    void update();

    Image applicationIcon_;
    Image live_;
    std::optional<std::string> badge_;
    Image shown_;
    sigc::signal<void()> changed_;
};
