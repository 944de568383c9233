#pragma once

#include "foundation/Color.h"
#include "foundation/Geometry.h"

// What applying a bundle configuration asks of the application: its menus and first window.
// The application delegate implements it; tests use a recording fake.
class VLCorvaManagerDelegate {
  public:
    virtual ~VLCorvaManagerDelegate() = default;

    // The application delegate's set... operations.
    virtual void setMainWindowColor(const Color& color) = 0;
    virtual void setMainWindowTitle(bool hidden) = 0;
    virtual void setMainWindowTitleIcon(bool hidden) = 0;
    virtual void setMainWindowTitleBar(bool hidden) = 0;
    virtual void setStausBarOption(bool show) = 0;
    virtual void setHidePreferences(bool hide) = 0;
    virtual void setUserScriptStyleOption(bool show) = 0;
    virtual void setMobileDesktopOption(bool show) = 0;
    virtual void setBookmark(bool hide) = 0;
    virtual void setDefaultWindowSize(Size size) = 0;

    // The application's first window (nothing happens when there is none).
    virtual void setFirstWindowLevel(long level) = 0;
    virtual void setFirstWindowShadow(bool shadow) = 0;
    virtual void setFirstWindowAlpha(double alpha) = 0;
};
