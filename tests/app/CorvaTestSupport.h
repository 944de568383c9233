#pragma once

#include <functional>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "FileGuards.h"
#include "app/VLCorvaManagerDelegate.h"
#include "foundation/Bundle.h"
#include "foundation/NotificationCenter.h"
#include "foundation/Plist.h"
#include "maintenance/ColorString.h"

// Writes Resources/<name>.plist of the test bundle: a dictionary as XML, or raw bytes.
inline void givenPlist(const std::string& name, const nlohmann::json& dictionary) {
    writeFileBytes(Bundle::main().resourcePath() + "/" + name + ".plist", Plist::toXml(dictionary));
}
inline void givenPlistBytes(const std::string& name, const std::string& bytes) {
    writeFileBytes(Bundle::main().resourcePath() + "/" + name + ".plist", bytes);
}

// Records the delegate calls and every notification posted meanwhile, in one ordered list.
class RecordingDelegate : public VLCorvaManagerDelegate {
  public:
    std::vector<std::string> events;
    // Runs after each event is recorded, to look at the stores at that moment.
    std::function<void(const std::string&)> onEvent;

    RecordingDelegate() {
        observer_ =
            NotificationCenter::defaultCenter().addObserver("", [this](const Notification& n) {
                std::string line = "post " + n.name;
                if (auto text = n.objectAs<std::string>()) {
                    line += " " + *text;
                }
                if (auto hide = n.info<bool>("hide")) {
                    line += " hide=" + std::to_string(*hide);
                }
                record(line);
            });
    }

    void setMainWindowColor(const Color& color) override {
        record("setMainWindowColor", stringRepresentation(color));
    }
    void setMainWindowTitle(bool hidden) override { record("setMainWindowTitle", hidden); }
    void setMainWindowTitleIcon(bool hidden) override { record("setMainWindowTitleIcon", hidden); }
    void setMainWindowTitleBar(bool hidden) override { record("setMainWindowTitleBar", hidden); }
    void setStausBarOption(bool show) override { record("setStausBarOption", show); }
    void setHidePreferences(bool hide) override { record("setHidePreferences", hide); }
    void setUserScriptStyleOption(bool show) override { record("setUserScriptStyleOption", show); }
    void setMobileDesktopOption(bool show) override { record("setMobileDesktopOption", show); }
    void setBookmark(bool hide) override { record("setBookmark", hide); }
    void setDefaultWindowSize(Size size) override {
        record("setDefaultWindowSize", size.width, 'x', size.height);
    }
    void setFirstWindowLevel(long level) override { record("setFirstWindowLevel", level); }
    void setFirstWindowShadow(bool shadow) override { record("setFirstWindowShadow", shadow); }
    void setFirstWindowAlpha(double alpha) override { record("setFirstWindowAlpha", alpha); }

  private:
    template <class... T>
    void record(const std::string& name, const T&... values) {
        std::ostringstream line;
        line << name;
        if constexpr (sizeof...(values) > 0) {
            line << ' ';
            (line << ... << values);
        }
        events.push_back(line.str());
        if (onEvent) {
            onEvent(events.back());
        }
    }

    NotificationCenter::Observer observer_;
};
