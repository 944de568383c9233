#pragma once

#include <gtkmm/listbox.h>
#include <gtkmm/popover.h>
#include <gtkmm/scrolledwindow.h>

#include "autofill/AutoFillMenuModel.h"
#include "autofill_ui/VLAutoFillMenuDelegate.h"

class VLWebView;

// The list of saved logins under a login field: a popover that points at the field in the web
// view without taking the keyboard from the page, whose keys reach it through the page script.
class VLAutoFillMenuViewController {
  public:
    VLAutoFillMenuViewController();
    ~VLAutoFillMenuViewController();

    void setDelegate(VLAutoFillMenuDelegate* delegate) { delegate_ = delegate; }
    void setItems(std::vector<AutoFillMenuModel::Row> items);
    const AutoFillMenuModel& model() const { return model_; }
    void selectDown();
    void selectUp();
    // Chooses the highlighted row (Enter, or a click).
    void selectMenu();
    AutoFillMenuModel::Size getSize();

    // Shows it under the point (in the web view's coordinates), sized for its rows.
    void showAt(VLWebView& webView, double left, double top);
    void hide();
    bool isVisible() const;
    VLWebView* webView() const { return webView_; }

  private:
    void reload();

    Gtk::Popover popover_;
    Gtk::ScrolledWindow scroller_;
    Gtk::ListBox list_;
    AutoFillMenuModel model_;
    VLAutoFillMenuDelegate* delegate_ = nullptr;
    VLWebView* webView_ = nullptr;
    std::weak_ptr<void> webViewAlive_;
};
