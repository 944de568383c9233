#pragma once

// The page zoom steps: a factor of 1.2 per step, in while the next factor stays under 3.0, out
// while it stays over 0.5.
class ZoomSteps {
  public:
    static constexpr double kStep = 1.2;
    static constexpr double kMinimum = 0.5;
    static constexpr double kMaximum = 3.0;
    static bool canZoomIn(double factor) { return factor * kStep < kMaximum; }
    static bool canZoomOut(double factor) { return factor / kStep > kMinimum; }
    static bool canReset(double factor) { return factor != 1.0; }
};
