#pragma once

#include "foundation/Geometry.h"
#include "stores/VLManager.h"

// How the app behaves as a whole (behavior.json).
class VLBehaviorManager : public VLManager {
  public:
    static VLBehaviorManager& sharedManager() { return sharedStore<VLBehaviorManager>(); }

    std::string getPath() override { return pathInSettingsFolder("behavior.json"); }
    void loadValues() override;
    void updateToNewFormat() override;
    bool save() override;

    bool closeApplication() const { return closeApplication_; }
    bool windowAllSpace() const { return windowAllSpace_; }
    bool openTabInsteadWindow() const { return openTabInsteadWindow_; }
    bool openOtherAppInBackground() const { return openOtherAppInBackground_; }
    bool openDefaultLinkInNewTab() const { return openDefaultLinkInNewTab_; }
    bool autoRefreshTheViewOnLoad() const { return autoRefreshTheViewOnLoad_; }
    bool restoreWindowsAndTabs() const { return restoreWindowsAndTabs_; }
    bool warnCloseWindows() const { return warnCloseWindows_; }
    bool statusBarMode() const { return statusBarMode_; }
    bool mobileVersion() const { return mobileVersion_; }
    unsigned long openLinksIn() const { return openLinksIn_; }
    unsigned long popOverWidth() const { return popOverWidth_; }
    unsigned long popOverHeight() const { return popOverHeight_; }
    Size popOverSize() const {
        return Size{static_cast<double>(popOverWidth_), static_cast<double>(popOverHeight_)};
    }

    void setCloseApplication(bool value);
    void setWindowAllSpace(bool value);
    void setOpenTabInsteadWindow(bool value);
    // Also turns openTabInsteadWindow on for the rest of the run, without writing it.
    void setOpenOtherAppInBackground(bool value);
    void setOpenDefaultLinkInNewTab(bool value);
    void setAutoRefreshTheViewOnLoad(bool value);
    void setRestoreWindowsAndTabs(bool value);
    void setWarnCloseWindows(bool value);
    void setStatusBarMode(bool value);
    // Memory only: the mobile choice is not written.
    void setMobileVersion(bool value) { mobileVersion_ = value; }
    void setOpenLinksIn(unsigned long value);
    void setPopOverWidth(unsigned long value);
    void setPopOverHeight(unsigned long value);

  private:
    bool flag(const char* key) const;

    bool closeApplication_ = false;
    bool windowAllSpace_ = false;
    bool openTabInsteadWindow_ = false;
    bool openOtherAppInBackground_ = false;
    bool openDefaultLinkInNewTab_ = false;
    bool autoRefreshTheViewOnLoad_ = false;
    bool restoreWindowsAndTabs_ = false;
    bool warnCloseWindows_ = false;
    bool statusBarMode_ = false;
    bool mobileVersion_ = false;
    unsigned long openLinksIn_ = 0;
    unsigned long popOverWidth_ = 0;
    unsigned long popOverHeight_ = 0;
};
