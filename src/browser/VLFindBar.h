#pragma once

#include <gtkmm/box.h>
#include <gtkmm/button.h>
#include <gtkmm/entry.h>
#include <gtkmm/label.h>

#include "browser/FindSteps.h"

class VLWebView;

// The find bar above a page: a field, the result, previous/next and done.
class VLFindBar : public Gtk::Box {
  public:
    explicit VLFindBar(VLWebView& webview);

    // Opens the bar (once) and puts the focus in its field.
    void biginSearch();
    void searchTextAction();
    void searchNextAction();
    void searchPreviousAction();
    void searchDoneAction();
    bool findTextMode() const { return findTextMode_; }

    Gtk::Entry& searchField() { return searchField_; }
    const Gtk::Label& searchResult() const { return searchResult_; }
    const FindSteps& steps() const { return steps_; }
    Gtk::Button& searchNext() { return searchNext_; }
    Gtk::Button& searchPrevious() { return searchPrevious_; }

  private:
    void enableSteps(bool enabled);

    VLWebView& webview_;
    FindSteps steps_;
    bool findTextMode_ = false;
    unsigned long generation_ = 0;
    Gtk::Entry searchField_;
    Gtk::Label searchResult_;
    Gtk::Button searchPrevious_;
    Gtk::Button searchNext_;
    Gtk::Button searchDone_;
};
