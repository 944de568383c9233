#include "autofill_ui/VLAutoFillMenuViewController.h"

#include <gtkmm/label.h>

#include "browser/VLWebView.h"

VLAutoFillMenuViewController::VLAutoFillMenuViewController() {
    popover_.set_modal(false);  // the page keeps the keyboard
    popover_.set_position(Gtk::POS_BOTTOM);
    popover_.get_style_context()->add_class("sitebox-autofill");
    scroller_.set_policy(Gtk::POLICY_NEVER, Gtk::POLICY_AUTOMATIC);
    list_.set_selection_mode(Gtk::SELECTION_SINGLE);
    // The focus stays in the page: a click on a row must not blur the login field first.
    list_.set_can_focus(false);
    list_.set_activate_on_single_click(true);
    list_.signal_row_activated().connect([this](Gtk::ListBoxRow* row) {
        model_.select(row->get_index());
        selectMenu();
    });
    scroller_.add(list_);
    popover_.add(scroller_);
}

VLAutoFillMenuViewController::~VLAutoFillMenuViewController() = default;

void VLAutoFillMenuViewController::setItems(std::vector<AutoFillMenuModel::Row> items) {
    model_.setItems(std::move(items));
    reload();
}

void VLAutoFillMenuViewController::reload() {
    for (Gtk::Widget* child : list_.get_children()) {
        list_.remove(*child);
        delete child;  // the rows are the list's own
    }
    for (const AutoFillMenuModel::Row& row : model_.items()) {
        const auto* login = std::get_if<VLCredentials>(&row);
        auto* label = Gtk::manage(new Gtk::Label(
            login ? login->username().value_or("") : std::get<std::string>(row), Gtk::ALIGN_START));
        label->set_margin_start(12);
        label->set_margin_end(12);
        label->set_ellipsize(Pango::ELLIPSIZE_END);
        label->set_size_request(
            -1, login ? AutoFillMenuModel::kLoginRowHeight : AutoFillMenuModel::kOptionRowHeight);
        list_.append(*label);
        list_.get_row_at_index(static_cast<int>(list_.get_children().size()) - 1)
            ->set_can_focus(false);
    }
    list_.show_all();
    if (Gtk::ListBoxRow* row = list_.get_row_at_index(model_.selectedRow())) {
        list_.select_row(*row);
    }
}

void VLAutoFillMenuViewController::selectDown() {
    model_.selectDown();
    if (Gtk::ListBoxRow* row = list_.get_row_at_index(model_.selectedRow())) {
        list_.select_row(*row);
    }
}

void VLAutoFillMenuViewController::selectUp() {
    model_.selectUp();
    if (Gtk::ListBoxRow* row = list_.get_row_at_index(model_.selectedRow())) {
        list_.select_row(*row);
    } else {
        list_.unselect_all();
    }
}

void VLAutoFillMenuViewController::selectMenu() {
    const AutoFillMenuModel::Row* row = model_.selectedItem();
    if (!row || !delegate_ || !webView_ || webViewAlive_.expired()) {
        return;
    }
    if (const auto* login = std::get_if<VLCredentials>(row)) {
        const VLCredentials chosen = *login;  // the delegate may replace the rows
        delegate_->passwordDidSelected(chosen, *webView_);
    } else {
        delegate_->otherOptionDidSelected(*webView_);
    }
}

AutoFillMenuModel::Size VLAutoFillMenuViewController::getSize() {
    auto layout = popover_.create_pango_layout("");
    return model_.size([&](const std::string& text) {
        layout->set_text(text);
        int width = 0;
        int height = 0;
        layout->get_pixel_size(width, height);
        return static_cast<double>(width);
    });
}

void VLAutoFillMenuViewController::showAt(VLWebView& webView, double left, double top) {
    webView_ = &webView;
    webViewAlive_ = webView.lifetime();
    const AutoFillMenuModel::Size size = getSize();
    scroller_.set_size_request(size.width, size.height);
    popover_.set_relative_to(webView.widget());
    Gdk::Rectangle at(static_cast<int>(left), static_cast<int>(top), 1, 1);
    popover_.set_pointing_to(at);
    popover_.show_all();
    popover_.popup();
}

void VLAutoFillMenuViewController::hide() {
    if (popover_.get_visible()) {
        popover_.popdown();
        popover_.hide();
    }
}

bool VLAutoFillMenuViewController::isVisible() const {
    return popover_.get_visible();
}
