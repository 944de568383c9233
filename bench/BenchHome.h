#pragma once

#include <string>

// A throw-away HOME and bundle for one benchmark program, removed at exit.
class BenchHome {
  public:
    static void init();
    static const std::string& path();
};
