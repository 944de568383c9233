#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/image.h>
#include <gtkmm/label.h>

#include <functional>
#include <memory>

#include "browser/ContentBlockerNotice.h"
#include "browser/VLTabItem.h"

class VLWebViewController;

// One tab: its label (icon, title, close button) and the page it shows (progress line above
// the web view). Owns the page controller.
class VLTabViewItem : public VLTabItem {
  public:
    VLTabViewItem(std::unique_ptr<VLWebViewController> controller,
                  std::function<void(VLTabViewItem&)> close);
    ~VLTabViewItem() override;
    VLTabViewItem(const VLTabViewItem&) = delete;
    VLTabViewItem& operator=(const VLTabViewItem&) = delete;

    std::string label() const override { return title_.get_text(); }
    void setLabel(const std::string& label) override;
    void setIcon(GdkPixbuf* icon) override;

    VLWebViewController& viewController() { return *controller_; }
    Gtk::Widget& tabLabel() { return labelBox_; }
    Gtk::Widget& page() { return page_; }

  private:
    void attachPage();

    std::unique_ptr<VLWebViewController> controller_;
    // Declared after the controller: these go first, letting go of the page's widgets.
    Gtk::Box labelBox_{Gtk::ORIENTATION_HORIZONTAL, 4};
    Gtk::Image icon_;
    Gtk::Label title_;
    Gtk::Button close_;
    ContentBlockerNotice notice_;
    Gtk::Box page_{Gtk::ORIENTATION_VERTICAL};
};
