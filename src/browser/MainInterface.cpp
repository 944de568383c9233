#include "browser/MainInterface.h"

#include "foundation/Bundle.h"
#include "foundation/Log.h"

std::string MainInterface::path() {
    return Bundle::main().resourcePath() + "/Base.lproj/Main.ui";
}

Glib::RefPtr<Gtk::Builder> MainInterface::builderFor(const std::vector<Glib::ustring>& objectIds) {
    try {
        return Gtk::Builder::create_from_file(path(), objectIds);
    } catch (const Glib::Error& error) {
        Log::print("cannot load \"", objectIds.empty() ? "" : objectIds.front().raw(), "\" from ",
                   path(), ": ", error.what());
        return {};
    }
}

void MainInterface::reportMissing(const MissingObject& missing) {
    Log::print(path(), ": ", missing.what());
}
