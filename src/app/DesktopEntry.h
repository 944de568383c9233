#pragma once

#include <string>

// The desktop's entry for one app: $XDG_DATA_HOME/applications/<application id>.desktop and
// its icon under $XDG_DATA_HOME/icons/hicolor/, both named after the application id, which is
// also the window class the app gives its windows.
class DesktopEntry {
  public:
    struct Fields {
        std::string applicationId;
        std::string name;
        std::string comment;
        std::string executable;  // absolute path of the program
    };
    // The file's text; the program gets the URLs it is opened with (%U).
    static std::string text(const Fields& fields);

    // One argument of an Exec= line, quoted where it holds a reserved character.
    static std::string execArgument(const std::string& argument);
    // A string value with the format's escapes (\\, \n, \t, \r).
    static std::string escapeValue(const std::string& value);

    static std::string path(const std::string& applicationId);
    // The icon at sizes 128 and 256.
    static std::string iconPath(const std::string& applicationId, int size);
    static constexpr int kIconSizes[] = {128, 256};
};
