#include "browser/SwipeGestureDevices.h"

#include <algorithm>

#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/NotificationCenter.h"
#include "foundation/NotificationNames.h"

SwipeGestureDevices& SwipeGestureDevices::shared() {
    static NoDestructor<SwipeGestureDevices> devices;
    return *devices;
}

bool SwipeGestureDevices::canSwipe(const std::vector<GdkInputSource>& pointers) {
    // The engine starts a swipe from these two sources only.
    return pointers.empty() || std::any_of(pointers.begin(), pointers.end(), [](auto source) {
               return source == GDK_SOURCE_TOUCHPAD || source == GDK_SOURCE_TOUCHSCREEN;
           });
}

SwipeGestureDevices::SwipeGestureDevices() : display_(gdk_display_get_default()) {
    if (!display_) {
        return;
    }
    // The display and this instance live as long as the process: no handler to disconnect.
    g_signal_connect(display_, "seat-added",
                     G_CALLBACK(+[](GdkDisplay*, GdkSeat* seat, gpointer self) {
                         static_cast<SwipeGestureDevices*>(self)->watch(seat);
                         static_cast<SwipeGestureDevices*>(self)->update();
                     }),
                     this);
    g_signal_connect_swapped(display_, "seat-removed",
                             G_CALLBACK(+[](SwipeGestureDevices* self) { self->update(); }), this);
    GList* seats = gdk_display_list_seats(display_);
    for (GList* node = seats; node; node = node->next) {
        watch(GDK_SEAT(node->data));
    }
    g_list_free(seats);
    // No page has asked yet: nothing to tell.
    update(false);
}

void SwipeGestureDevices::watch(GdkSeat* seat) {
    auto changed = G_CALLBACK(+[](SwipeGestureDevices* self) { self->update(); });
    g_signal_connect_swapped(seat, "device-added", changed, this);
    g_signal_connect_swapped(seat, "device-removed", changed, this);
}

void SwipeGestureDevices::update(bool tell) {
    pointers_.clear();
    GList* seats = gdk_display_list_seats(display_);
    for (GList* seat = seats; seat; seat = seat->next) {
        GList* devices =
            gdk_seat_get_slaves(GDK_SEAT(seat->data), GDK_SEAT_CAPABILITY_ALL_POINTING);
        for (GList* device = devices; device; device = device->next) {
            pointers_.push_back(gdk_device_get_source(GDK_DEVICE(device->data)));
        }
        g_list_free(devices);
    }
    g_list_free(seats);
    const bool available = canSwipe(pointers_);
    Log::print("input: ", pointers_.size(), " pointing devices, back/forward swipes ",
               available ? "on" : "off");
    if (available != available_) {
        available_ = available;
        if (tell) {
            NotificationCenter::defaultCenter().post(notification::swipeDevicesChange);
        }
    }
}
