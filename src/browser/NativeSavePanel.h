#pragma once

#include "browser/SavePanel.h"

// The desktop's save dialog (Gtk::FileChooserNative, a portal where one runs).
class NativeSavePanel : public SavePanel {
  public:
    void run(GtkWindow* parent, const std::string& folder, const std::string& name,
             std::function<void(std::optional<std::string>)> done) override;
};
