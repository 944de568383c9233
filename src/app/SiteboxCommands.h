#pragma once

#include <iosfwd>

#include "app/CommandLine.h"

// Carries out the program's own commands without a display: making, listing, updating and
// removing web apps. Messages for the user go to `out`, problems to `err`.
class SiteboxCommands {
  public:
    // The process's exit status: 0 done, 1 failed, 2 a bad command line.
    static int run(const CommandLine& line, const std::string& program, std::ostream& out,
                   std::ostream& err);
};
