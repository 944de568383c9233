#include "browser/MainInterface.h"

#include "foundation/Bundle.h"
#include "foundation/Log.h"

std::string MainInterface::path() {
    return Bundle::main().resourcePath() + "/Base.lproj/Main.ui";
}

Glib::RefPtr<Gtk::Builder> MainInterface::builderFor(const std::vector<Glib::ustring>& objectIds) {
    return builderFromFile("Main.ui", objectIds);
}

Glib::RefPtr<Gtk::Builder> MainInterface::builderFromFile(
    const std::string& fileName, const std::vector<Glib::ustring>& objectIds) {
    const std::string file = Bundle::main().resourcePath() + "/Base.lproj/" + fileName;
    try {
        return Gtk::Builder::create_from_file(file, objectIds);
    } catch (const Glib::Error& error) {
        Log::warning("cannot load \"", objectIds.empty() ? "" : objectIds.front().raw(), "\" from ",
                     file, ": ", error.what());
        return {};
    }
}

void MainInterface::reportMissing(const MissingObject& missing) {
    Log::warning(path(), ": ", missing.what());
}
