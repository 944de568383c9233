#pragma once

#include <optional>
#include <string>

#include "maintenance/Image.h"

// The tray icon's picture: the app icon 21 points wide in the middle of a 28-point square and,
// while the unread badge shows, a red 15-point circle at the bottom right with the badge text in
// white over it.
class StatusItemIcon {
  public:
    static constexpr int kSide = 28;

    // Drawn at `scale` pixels per point.
    static Image draw(const Image& appIcon, const std::optional<std::string>& badge, int scale);

    // The pixels as a StatusNotifierItem pixmap wants them: ARGB, 32 bits, network byte order.
    static std::string argb32(const Image& image);
};
