#include "preferences/VLStyleViewController.h"

#include <gtkmm/button.h>
#include <gtkmm/label.h>

#include "browser/MainInterface.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "preferences/WindowColorChoice.h"

namespace {
std::unique_ptr<VLStyleViewController>& slot() {
    static NoDestructor<std::unique_ptr<VLStyleViewController>> view;
    return *view;
}
}  // namespace

void VLStyleViewController::show(Gtk::Window* parent) {
    if (!slot()) {
        slot().reset(new VLStyleViewController());
    }
    VLStyleViewController& view = *slot();
    if (view.windowColorWell_) {
        view.windowColorWell_->set_rgba(WindowColorChoice::current());
    }
    if (parent) {
        view.window_.set_transient_for(*parent);
    }
    view.window_.present();
}

VLStyleViewController* VLStyleViewController::current() {
    return slot().get();
}

VLStyleViewController::VLStyleViewController()
    : builder_(MainInterface::builderFromFile("WindowStyle.ui", {"StyleView"})) {
    window_.set_title("Window Colour");
    window_.set_resizable(false);
    window_.set_type_hint(Gdk::WINDOW_TYPE_HINT_DIALOG);
    window_.set_skip_taskbar_hint(true);
    try {
        auto& view = MainInterface::require<Gtk::Widget>(builder_, "StyleView");
        windowColorWell_ = &MainInterface::require<Gtk::ColorButton>(builder_, "windowColorWell");
        auto& reset = MainInterface::require<Gtk::Button>(builder_, "resetColorButton");
        window_.add(view);
        windowColorWell_->signal_color_set().connect(
            [this] { WindowColorChoice::choose(windowColorWell_->get_rgba(), false); });
        reset.signal_clicked().connect(
            [this] { windowColorWell_->set_rgba(WindowColorChoice::reset(false)); });
    } catch (const MainInterface::MissingObject& missing) {
        Log::warning("WindowStyle.ui: ", missing.what());
        windowColorWell_ = nullptr;
        auto* notice =
            Gtk::manage(new Gtk::Label("The window colour's interface file is missing."));
        notice->set_margin_top(18);
        notice->set_margin_bottom(18);
        notice->set_margin_start(18);
        notice->set_margin_end(18);
        window_.add(*notice);
        notice->show();
    }
    // Closing only hides: the view is made once.
    window_.signal_delete_event().connect([this](GdkEventAny*) {
        window_.hide();
        return true;
    });
}

VLStyleViewController::~VLStyleViewController() = default;
