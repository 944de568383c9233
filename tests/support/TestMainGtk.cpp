#include <gtest/gtest.h>
#include <gtkmm/main.h>

#include <cstdio>
#include <cstdlib>

#include "PrivateDisplay.h"
#include "TestHome.h"
#include "browser/EnginePainting.h"

// Integration tests need a display (xvfb-run) and start GTK once per process.
int main(int argc, char** argv) {
    // The engine's web-process sandbox cannot start inside containers such as CI machines.
    setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 0);
    // Pages paint as the app's own would on this machine.
    EnginePainting::applyToThisMachine();
    testing::InitGoogleTest(&argc, argv);
    if (GTEST_FLAG_GET(list_tests)) {
        return RUN_ALL_TESTS();  // test discovery needs no display
    }
    // Each test process gets an X server of its own when it can: tests that run side by side
    // must not click into each other's windows.
    PrivateDisplay::start();
    if (!std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
        std::fprintf(stderr, "integration tests need a display: run them under xvfb-run\n");
        return 1;
    }
    Gtk::Main kit(argc, argv);
    TestHome::installListener();
    return RUN_ALL_TESTS();
}
