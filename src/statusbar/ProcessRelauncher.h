#pragma once

#include "statusbar/Relauncher.h"

// Restarts through a detached grandchild that waits, then executes the argument vector (no
// shell). It keeps none of this process's open files, so this process's bus names are free by
// the time the new one asks for them.
class ProcessRelauncher : public Relauncher {
  public:
    bool relaunch(const std::vector<std::string>& argv, unsigned delaySeconds) override;
    void exitNow() override;
};
