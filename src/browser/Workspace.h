#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

// The desktop's applications for addresses the app does not show itself: the default browser
// for refused links, the handler of a non-web scheme (mailto:, ...).
class Workspace {
  public:
    struct Application {
        std::string name;  // display name, for "Open %@?"
        std::string id;    // desktop file id
    };

    virtual ~Workspace() = default;

    static Workspace& shared();
    // Replaces the shared workspace (tests); nullptr restores the desktop one.
    static void setShared(std::unique_ptr<Workspace> workspace);

    // The application that would open the address, if any.
    virtual std::optional<Application> applicationForUrl(const std::string& url) = 0;
    // Opens the address with its default application. `completed` runs on the main loop once
    // the launch is done (successful or not); with `inBackground` the caller brings itself
    // forward again then.
    virtual void openUrl(const std::string& url, bool inBackground,
                         std::function<void()> completed) = 0;
    virtual void openUrlWith(const std::string& url, const Application& application) = 0;
};
