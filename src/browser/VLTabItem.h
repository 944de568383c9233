#pragma once

#include <gdk-pixbuf/gdk-pixbuf.h>

#include <string>

// The tab that shows a page: its label and icon.
class VLTabItem {
  public:
    virtual ~VLTabItem() = default;
    virtual std::string label() const = 0;
    virtual void setLabel(const std::string& label) = 0;
    // nullptr clears the icon.
    virtual void setIcon(GdkPixbuf* icon) = 0;

    static constexpr const char* kNewTabLabel = "New tab";
};
