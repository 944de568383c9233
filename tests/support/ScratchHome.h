#pragma once

#include <string>

// A throw-away HOME (with XDG folders) and bundle for a whole program run, such as a benchmark
// or a fuzzer, removed at exit. Logging is silenced: such runs repeat bad inputs many times.
class ScratchHome {
  public:
    // Once per process; `name` names the temporary folder and the bundle (<name>.app).
    static void init(const std::string& name);
    static const std::string& path();
};
