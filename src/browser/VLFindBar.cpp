#include "browser/VLFindBar.h"

#include <gdk/gdkkeysyms.h>

#include "browser/VLWebView.h"

VLFindBar::VLFindBar(VLWebView& webview)
    : Gtk::Box(Gtk::ORIENTATION_HORIZONTAL, 6), webview_(webview) {
    set_margin_start(6);
    set_margin_end(6);
    set_margin_top(3);
    set_margin_bottom(3);
    searchField_.set_placeholder_text("Find in page");
    searchField_.set_width_chars(30);
    searchPrevious_.set_image_from_icon_name("go-up-symbolic", Gtk::ICON_SIZE_BUTTON);
    searchPrevious_.set_tooltip_text("Previous");
    searchNext_.set_image_from_icon_name("go-down-symbolic", Gtk::ICON_SIZE_BUTTON);
    searchNext_.set_tooltip_text("Next");
    searchDone_.set_label("Done");
    pack_start(searchField_, Gtk::PACK_SHRINK);
    pack_start(searchPrevious_, Gtk::PACK_SHRINK);
    pack_start(searchNext_, Gtk::PACK_SHRINK);
    pack_start(searchResult_, Gtk::PACK_SHRINK);
    pack_end(searchDone_, Gtk::PACK_SHRINK);
    set_size_request(-1, 30);
    show_all();
    set_no_show_all(true);
    hide();
    enableSteps(false);

    searchField_.signal_changed().connect([this] { searchTextAction(); });
    searchField_.signal_activate().connect([this] { searchNextAction(); });
    searchField_.signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            if (event->keyval == GDK_KEY_Escape) {
                searchDoneAction();
                return true;
            }
            return false;
        },
        false);
    searchNext_.signal_clicked().connect([this] { searchNextAction(); });
    searchPrevious_.signal_clicked().connect([this] { searchPreviousAction(); });
    searchDone_.signal_clicked().connect([this] { searchDoneAction(); });
}

void VLFindBar::biginSearch() {
    if (!findTextMode_) {
        findTextMode_ = true;
        show();
    }
    searchField_.grab_focus();
}

void VLFindBar::enableSteps(bool enabled) {
    searchNext_.set_sensitive(enabled);
    searchPrevious_.set_sensitive(enabled);
}

void VLFindBar::searchTextAction() {
    const std::string text = searchField_.get_text();
    const unsigned long generation = ++generation_;
    if (text.empty()) {
        steps_.cleared();
        searchResult_.set_text("");
        enableSteps(false);
        webview_.removeAllHighlights();
        return;
    }
    webview_.highlightAllOccurencesOfString(text, [this, generation](long count) {
        if (generation != generation_) {
            return;  // a later search has started
        }
        steps_.searched(count);
        searchResult_.set_text(steps_.label());
        enableSteps(steps_.canStep());
        if (steps_.canStep()) {
            webview_.scrollTo(steps_.index());
        }
    });
}

void VLFindBar::searchNextAction() {
    if (steps_.canStep()) {
        webview_.scrollTo(steps_.next());
    }
}

void VLFindBar::searchPreviousAction() {
    if (steps_.canStep()) {
        webview_.scrollTo(steps_.previous());
    }
}

void VLFindBar::searchDoneAction() {
    ++generation_;
    hide();
    webview_.removeAllHighlights();
    findTextMode_ = false;
    webview_.widget().grab_focus();
}
