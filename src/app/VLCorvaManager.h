#pragma once

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "foundation/Color.h"
#include "foundation/Geometry.h"

class VLCorvaManagerDelegate;

// The configuration a generated app carries in its bundle: the creation tool's
// (Resources/CorvaCreationToolSettings.plist) and the enterprise one
// (Resources/EnterpriseSettings.plist). The files are re-read on every call; only the instance
// is kept. Main thread only.
class VLCorvaManager {
  public:
    // The first call creates the instance and applies the enterprise configuration through
    // `delegate`; later calls only return it.
    static VLCorvaManager& sharedManager(VLCorvaManagerDelegate& delegate);

    // "isCreatedByCorvaCreationTool" of the creation-tool file, "isEnterpriseApp" of the
    // enterprise file; false when the file is missing or unreadable.
    static bool corvaCreationToolBuild();
    static bool enterpriseBuild();

    // The creation-tool dictionary in a creation-tool build, else the enterprise one; absent
    // when that file is missing or is not a dictionary property list.
    static std::optional<nlohmann::json> settingDict();

    // "appName", or "Default".
    static std::string appName();
    // "windowOpacity" as a fraction 0..1; fully opaque when absent or unreadable.
    static double alphaValue();
    // The "defaultWindowSize" of a creation-tool build; otherwise, or when it is absent, empty
    // or unreadable, the given size of the main screen.
    static Size corvaCreationToolWindowSize(Size mainScreenSize);

    // Scanner-style hexadecimal RGB in the calibrated RGB space; unreadable text is black.
    static Color colorWithHexColorString(const std::string& text);

    // "<width>x<height>": the text before the first "x" and the text after it up to any further
    // "x", each read as a float's leading number after blanks (unreadable reads as 0). Absent
    // without an "x" or when a side is not a finite number above 0.
    static std::optional<Size> splitWindowSize(const std::string& text);

    // Applies the enterprise configuration over the settings, behaviour and whitelist stores,
    // the user defaults, the menus and the first window. Does nothing in other builds.
    void setDefaultSettings(VLCorvaManagerDelegate& delegate);

  private:
    bool applied_ = false;
};
