#include "browser/VLURLBarField.h"

#include <gdk/gdkkeysyms.h>
#include <gtkmm/window.h>

#include "foundation/NotificationCenter.h"

VLURLBarField::VLURLBarField() {
    entry_.set_hexpand(true);
    // Narrow windows may shrink the field; wide ones give it room.
    entry_.set_width_chars(4);
    entry_.set_max_width_chars(80);
    entry_.set_placeholder_text("");
    entry_.set_icon_from_icon_name("view-refresh-symbolic", Gtk::ENTRY_ICON_SECONDARY);
    entry_.set_icon_tooltip_text("Reload", Gtk::ENTRY_ICON_SECONDARY);
    add(entry_);

    padlock_.set_from_icon_name("channel-secure-symbolic", Gtk::ICON_SIZE_MENU);
    padlock_.set_no_show_all(true);
    host_.get_style_context()->add_class("dim-label");
    host_.set_ellipsize(Pango::ELLIPSIZE_MIDDLE);
    summary_.pack_start(padlock_, Gtk::PACK_SHRINK);
    summary_.pack_start(host_, Gtk::PACK_SHRINK);
    summary_.set_halign(Gtk::ALIGN_CENTER);
    summary_.set_valign(Gtk::ALIGN_CENTER);
    add_overlay(summary_);
    // Clicks reach the field below the summary.
    set_overlay_pass_through(summary_, true);

    entry_.signal_activate().connect([this] {
        const std::string text = entry_.get_text();
        setEditing(false);
        if (open_ && !text.empty()) {
            open_(text);
        }
    });
    entry_.signal_icon_release().connect(
        [this](Gtk::EntryIconPosition, const GdkEventButton*) { loadAction(); });
    entry_.signal_focus_in_event().connect(
        [this](GdkEventFocus*) {
            setEditing(true);
            selectOnRelease_ = true;
            entry_.select_region(0, -1);
            return false;
        },
        false);
    entry_.signal_focus_out_event().connect(
        [this](GdkEventFocus*) {
            setEditing(false);
            return false;
        },
        false);
    // A click that focuses the field selects the whole address for overtyping.
    entry_.signal_button_release_event().connect(
        [this](GdkEventButton*) {
            if (selectOnRelease_) {
                selectOnRelease_ = false;
                entry_.select_region(0, -1);
            }
            return false;
        },
        false);
    entry_.signal_key_press_event().connect(
        [this](GdkEventKey* event) {
            if (event->keyval == GDK_KEY_Escape) {
                setEditing(false);
                if (auto* window = dynamic_cast<Gtk::Window*>(get_toplevel())) {
                    window->unset_focus();
                }
                return true;
            }
            return false;
        },
        false);
    update();
    show_all();
}

void VLURLBarField::setURLString(const std::string& url) {
    state_.setURLString(url);
    update();
}

void VLURLBarField::setSecure(bool secure) {
    state_.setSecure(secure);
    update();
}

void VLURLBarField::setEditing(bool editing) {
    state_.setEditing(editing);
    update();
}

void VLURLBarField::setLoadingState(bool loading) {
    state_.setLoadingState(loading);
    const bool stop = state_.isLoading();
    entry_.set_icon_from_icon_name(stop ? "process-stop-symbolic" : "view-refresh-symbolic",
                                   Gtk::ENTRY_ICON_SECONDARY);
    entry_.set_icon_tooltip_text(stop ? "Stop" : "Reload", Gtk::ENTRY_ICON_SECONDARY);
}

void VLURLBarField::beginEditing() {
    entry_.grab_focus();
}

void VLURLBarField::loadAction() {
    NotificationCenter::defaultCenter().post(state_.loadActionNotification());
}

void VLURLBarField::update() {
    if (entry_.get_text() != state_.text()) {
        entry_.set_text(state_.text());
    }
    updateSummeryView();
    summary_.set_visible(state_.summaryVisible());
}

void VLURLBarField::updateSummeryView() {
    host_.set_text(state_.hostName());
    padlock_.set_visible(state_.padlockVisible());
}
