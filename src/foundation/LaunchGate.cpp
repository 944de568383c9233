#include "foundation/LaunchGate.h"

void LaunchGate::defer(std::function<void()> work) {
    if (open_) {
        work();
        return;
    }
    waiting_.push_back(std::move(work));
}

void LaunchGate::open() {
    if (open_) {
        return;
    }
    open_ = true;
    // Work may defer more work while it runs: that runs at once, the gate being open.
    std::vector<std::function<void()>> waiting = std::move(waiting_);
    waiting_.clear();
    for (auto& work : waiting) {
        work();
    }
}
