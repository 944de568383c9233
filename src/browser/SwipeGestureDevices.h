#pragma once

#include <gdk/gdk.h>

#include <vector>

// Back/forward swipes come from touchpads and touchscreens only, and while they are on the
// engine keeps a picture of every page a tab went through, to show during a swipe (about 4 MB
// a page at 1280x800, some 270 MB before it stops). So pages allow swipes while such a device
// is connected, and not on a machine whose pointers cannot swipe. Follows devices and seats
// coming and going, and posts notification::swipeDevicesChange when the answer changes.
class SwipeGestureDevices {
  public:
    static SwipeGestureDevices& shared();

    // Whether pointing devices of these kinds can swipe. With none known (no display, a seat
    // still starting), yes: swipes stay on, as they are by default.
    static bool canSwipe(const std::vector<GdkInputSource>& pointers);

    bool available() const { return available_; }
    // The pointing devices the answer was last drawn from.
    const std::vector<GdkInputSource>& pointers() const { return pointers_; }

    SwipeGestureDevices();
    SwipeGestureDevices(const SwipeGestureDevices&) = delete;
    SwipeGestureDevices& operator=(const SwipeGestureDevices&) = delete;

  private:
    void watch(GdkSeat* seat);
    void update(bool tell = true);

    GdkDisplay* display_ = nullptr;
    std::vector<GdkInputSource> pointers_;
    bool available_ = true;
};
