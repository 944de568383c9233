#pragma once

#include <optional>

#include "stores/VLManager.h"

// One zoom factor for every page (webpagezoom.json).
class VLWebPageZoomManager : public VLManager {
  public:
    static VLWebPageZoomManager& sharedManager() { return sharedStore<VLWebPageZoomManager>(); }

    std::string getPath() override { return pathInSettingsFolder("webpagezoom.json"); }
    // An empty store starts at 1.0 and is saved at once.
    void loadValues() override;

    // The page zoom limits; a stored value outside them reads as the nearest limit.
    static constexpr double kMinimumZoom = 0.5;
    static constexpr double kMaximumZoom = 3.0;
    std::optional<double> zoomValue() const;
    // Nothing removes the value.
    void setZoomValue(std::optional<double> value);
};
