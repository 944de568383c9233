#include "browser/VLPopupWindow.h"

#include <glibmm/main.h>

#include <algorithm>

#include "browser/VLWebViewController.h"
#include "foundation/NoDestructor.h"
#include "foundation/Url.h"

namespace {
std::vector<std::unique_ptr<VLPopupWindow>>& owned() {
    static NoDestructor<std::vector<std::unique_ptr<VLPopupWindow>>> windows;
    return *windows;
}
}  // namespace

VLPopupWindow& VLPopupWindow::open(std::unique_ptr<VLWebViewController> page, Gtk::Window* opener) {
    owned().push_back(std::unique_ptr<VLPopupWindow>(new VLPopupWindow(std::move(page), opener)));
    return *owned().back();
}

std::vector<VLPopupWindow*> VLPopupWindow::openWindows() {
    std::vector<VLPopupWindow*> windows;
    for (const auto& window : owned()) {
        if (!window->closed_) {
            windows.push_back(window.get());
        }
    }
    return windows;
}

VLPopupWindow::VLPopupWindow(std::unique_ptr<VLWebViewController> page, Gtk::Window* opener)
    : page_(std::move(page)) {
    page_->setDelegate(this);
    page_->setWhitelistExempt(true);
    header_.set_show_close_button(true);
    header_.set_title("Sign in");
    window_.set_titlebar(header_);
    window_.set_default_size(520, 640);
    if (opener) {
        window_.set_transient_for(*opener);
        window_.set_position(Gtk::WIN_POS_CENTER_ON_PARENT);
    }
    content_.pack_start(page_->progress(), Gtk::PACK_SHRINK);
    content_.pack_start(page_->webview().widget(), Gtk::PACK_EXPAND_WIDGET);
    window_.add(content_);
    window_.signal_delete_event().connect([this](GdkEventAny*) {
        close();
        return true;
    });
    if (auto application = Gtk::Application::get_default()) {
        if (auto* app = dynamic_cast<Gtk::Application*>(application.get())) {
            app->add_window(window_);
        }
    }
    window_.show_all();
}

VLPopupWindow::~VLPopupWindow() = default;

void VLPopupWindow::showAddress(const std::string& url) {
    // Read-only: the host says where the sign-in happens; the full address is in the tooltip.
    auto parsed = Url::parse(url);
    header_.set_subtitle(parsed && !parsed->host().empty() ? parsed->host() : url);
    header_.set_tooltip_text(url);
}

void VLPopupWindow::didBeignLoadUrl(VLWebViewController&, const std::string& url) {
    showAddress(url);
}

void VLPopupWindow::didEndLoadUrl(VLWebViewController& page, const std::string& url) {
    showAddress(url);
    const std::string title = page.webview().title();
    if (!title.empty()) {
        header_.set_title(title);
        window_.set_title(title);
    }
}

void VLPopupWindow::closeTab(VLWebViewController&) {
    close();
}

void VLPopupWindow::close() {
    if (closed_) {
        return;
    }
    closed_ = true;
    page_->setDelegate(nullptr);
    page_->webViewDidClose();
    window_.hide();
    // The page's own signal may still be running: let go afterwards.
    Glib::signal_idle().connect_once([this] {
        auto& all = owned();
        auto it = std::find_if(all.begin(), all.end(),
                               [this](const auto& window) { return window.get() == this; });
        if (it != all.end()) {
            std::unique_ptr<VLPopupWindow> self = std::move(*it);
            all.erase(it);
        }
    });
}
