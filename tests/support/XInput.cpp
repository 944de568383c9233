#include "XInput.h"

#include <X11/extensions/XInput2.h>
#include <X11/extensions/XTest.h>
#include <gdk/gdkx.h>

#include <string>

namespace {
Display* display() {
    return GDK_DISPLAY_XDISPLAY(gdk_display_get_default());
}

void control(bool down) {
    XTestFakeKeyEvent(display(), XKeysymToKeycode(display(), XK_Control_L), down, CurrentTime);
}
}  // namespace

void XInput::click(Gtk::Widget& widget, int x, int y, unsigned button, bool withControl) {
    int originX = 0, originY = 0;
    gdk_window_get_origin(widget.get_window()->gobj(), &originX, &originY);
    Gtk::Allocation allocation = widget.get_allocation();
    // A widget without a window of its own is placed inside its parent's.
    if (!widget.get_has_window()) {
        originX += allocation.get_x();
        originY += allocation.get_y();
    }
    XTestFakeMotionEvent(display(), -1, originX + x, originY + y, CurrentTime);
    if (withControl) {
        control(true);
    }
    XTestFakeButtonEvent(display(), button, True, CurrentTime);
    XTestFakeButtonEvent(display(), button, False, CurrentTime);
    if (withControl) {
        control(false);
    }
    XFlush(display());
}

void XInput::key(const char* keysym) {
    KeyCode code = XKeysymToKeycode(display(), XStringToKeysym(keysym));
    XTestFakeKeyEvent(display(), code, True, CurrentTime);
    XTestFakeKeyEvent(display(), code, False, CurrentTime);
    XFlush(display());
}

int XInput::addSeat(const char* name) {
    XIAddMasterInfo add{XIAddMaster, const_cast<char*>(name), True, True};
    XIChangeHierarchy(display(), reinterpret_cast<XIAnyHierarchyChangeInfo*>(&add), 1);
    const std::string pointerName = std::string(name) + " pointer";
    int count = 0, id = -1;
    XIDeviceInfo* devices = XIQueryDevice(display(), XIAllMasterDevices, &count);
    for (int i = 0; i < count; ++i) {
        if (devices[i].use == XIMasterPointer && pointerName == devices[i].name) {
            id = devices[i].deviceid;
        }
    }
    XIFreeDeviceInfo(devices);
    return id;
}

void XInput::removeSeat(int pointerId) {
    XIRemoveMasterInfo remove{XIRemoveMaster, pointerId, XIFloating, 0, 0};
    XIChangeHierarchy(display(), reinterpret_cast<XIAnyHierarchyChangeInfo*>(&remove), 1);
    XFlush(display());
}
