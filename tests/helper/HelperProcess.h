#pragma once

#include <gio/gio.h>

#include <string>

#include "foundation/GObjectPtr.h"

class PrivateBus;

// The built CorvaHelper started by the test on a private bus (rather than by the bus), its
// standard error kept in a file for checking its log lines. Stopped when the object goes away.
class HelperProcess {
  public:
    // Path of the built helper (in SITEBOX_BUNDLE_DIR when that is set).
    static std::string builtHelperPath();

    explicit HelperProcess(const PrivateBus& bus);
    ~HelperProcess();
    HelperProcess(const HelperProcess&) = delete;
    HelperProcess& operator=(const HelperProcess&) = delete;

    // Everything it has logged so far.
    std::string log() const;
    // Lines of the log containing `text`.
    int countLines(const std::string& text) const;
    bool running();

  private:
    GObjectPtr<GSubprocess> process_;
    std::string logPath_;
};
