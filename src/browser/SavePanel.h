#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

typedef struct _GtkWindow GtkWindow;

// Asks the user where to save a download.
class SavePanel {
  public:
    virtual ~SavePanel() = default;

    static SavePanel& shared();
    // Replaces the shared panel (tests); nullptr restores the desktop's file chooser.
    static void setShared(std::unique_ptr<SavePanel> panel);

    // Starts in `folder` with `name` proposed; `done` gets the chosen path, or nothing when the
    // user cancels. Returns at once.
    virtual void run(GtkWindow* parent, const std::string& folder, const std::string& name,
                     std::function<void(std::optional<std::string>)> done) = 0;
};
