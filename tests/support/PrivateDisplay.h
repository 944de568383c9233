#pragma once

// An X server of this test process's own (Xvfb), so windows, pointer and keyboard of tests that
// run side by side never meet. Sets DISPLAY; the server ends with the process.
class PrivateDisplay {
  public:
    // False (and DISPLAY unchanged) when no Xvfb could be started.
    static bool start();
};
