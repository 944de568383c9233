#pragma once

#include <functional>
#include <vector>

// Start-up work the first page does not need waits until that page has loaded (or failed, or
// the app gave up waiting), so that the engine has the processor while the page comes in.
class LaunchGate {
  public:
    // Runs `work` once the gate is open: at once if it already is.
    void defer(std::function<void()> work);
    // Opens the gate and runs what waited, in the order it came; later calls do nothing.
    void open();
    bool isOpen() const { return open_; }

  private:
    bool open_ = false;
    std::vector<std::function<void()>> waiting_;
};
