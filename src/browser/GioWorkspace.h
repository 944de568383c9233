#pragma once

#include "browser/Workspace.h"
#include "foundation/AsyncScope.h"

// Workspace over GIO's application registry (the desktop's default applications).
class GioWorkspace : public Workspace {
  public:
    std::optional<Application> applicationForUrl(const std::string& url) override;
    void openUrl(const std::string& url, bool inBackground,
                 std::function<void()> completed) override;
    void openUrlWith(const std::string& url, const Application& application) override;

  private:
    AsyncScope async_;
};
