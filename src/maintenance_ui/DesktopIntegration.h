#pragma once

// Gives the settings store its desktop services: the global shortcut (keybinder, X11 only) and
// the application icon (the default icon of every window). Call once after GTK is initialised.
class DesktopIntegration {
  public:
    static void install();
};
