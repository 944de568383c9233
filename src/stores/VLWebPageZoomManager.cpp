#include "stores/VLWebPageZoomManager.h"

#include <algorithm>
#include <cmath>

#include "foundation/JsonValue.h"

namespace {
constexpr const char* kKey = "currentzoomvalue";
}

void VLWebPageZoomManager::loadValues() {
    if (!json_.empty()) {
        return;
    }
    setZoomValue(1.0);
    saveLoaded();
}

std::optional<double> VLWebPageZoomManager::zoomValue() const {
    auto value = json_value::number(json_, kKey);
    if (!value || !std::isfinite(*value)) {
        return std::nullopt;
    }
    return std::clamp(*value, kMinimumZoom, kMaximumZoom);
}

void VLWebPageZoomManager::setZoomValue(std::optional<double> value) {
    if (value && std::isfinite(*value)) {
        json_[kKey] = *value;
    } else {
        json_.erase(kKey);
    }
}
