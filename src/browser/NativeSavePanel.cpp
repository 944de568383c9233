#include "browser/NativeSavePanel.h"

#include <gtk/gtk.h>

#include "foundation/NoDestructor.h"

namespace {
std::unique_ptr<SavePanel>& slot() {
    static NoDestructor<std::unique_ptr<SavePanel>> panel;
    return *panel;
}

struct PendingSave {
    GtkFileChooserNative* chooser;
    std::function<void(std::optional<std::string>)> done;
};
}  // namespace

SavePanel& SavePanel::shared() {
    if (!slot()) {
        slot() = std::make_unique<NativeSavePanel>();
    }
    return *slot();
}

void SavePanel::setShared(std::unique_ptr<SavePanel> panel) {
    slot() = std::move(panel);
}

void NativeSavePanel::run(GtkWindow* parent, const std::string& folder, const std::string& name,
                          std::function<void(std::optional<std::string>)> done) {
    GtkFileChooserNative* chooser = gtk_file_chooser_native_new(
        "Save", parent, GTK_FILE_CHOOSER_ACTION_SAVE, "_Save", "_Cancel");
    GtkFileChooser* fileChooser = GTK_FILE_CHOOSER(chooser);
    gtk_file_chooser_set_do_overwrite_confirmation(fileChooser, TRUE);
    gtk_file_chooser_set_current_folder(fileChooser, folder.c_str());
    gtk_file_chooser_set_current_name(fileChooser, name.c_str());
    auto* pending = new PendingSave{chooser, std::move(done)};  // freed in the response
    g_signal_connect(chooser, "response",
                     G_CALLBACK(+[](GtkNativeDialog* dialog, int response, gpointer data) {
                         std::unique_ptr<PendingSave> save(static_cast<PendingSave*>(data));
                         std::optional<std::string> path;
                         if (response == GTK_RESPONSE_ACCEPT) {
                             char* file = gtk_file_chooser_get_filename(GTK_FILE_CHOOSER(dialog));
                             if (file) {
                                 path = file;
                                 g_free(file);
                             }
                         }
                         g_object_unref(save->chooser);
                         save->done(path);
                     }),
                     pending);
    gtk_native_dialog_show(GTK_NATIVE_DIALOG(chooser));
}
