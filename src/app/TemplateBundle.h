#pragma once

#include <string>

// The bundle new apps are copied from and updates take their shell from: the running bundle,
// unless that is itself a made app and an installed template exists.
class TemplateBundle {
  public:
    static std::string locate();
    // Where `cmake --install` puts the template; empty when the build names none.
    static std::string installed();
};
