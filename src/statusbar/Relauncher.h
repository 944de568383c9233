#pragma once

#include <string>
#include <vector>

// How the app restarts itself when it leaves menu-bar mode; tests put a recorder in its place.
class Relauncher {
  public:
    virtual ~Relauncher() = default;
    // Starts the program `argv` names after `delaySeconds`, and not before this process has
    // ended, detached and without waiting for it; false when it could not be started.
    virtual bool relaunch(const std::vector<std::string>& argv, unsigned delaySeconds) = 0;
    // Ends this process at once, with status 0.
    virtual void exitNow() = 0;
};
