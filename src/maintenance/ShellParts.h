#pragma once

#include <string>
#include <vector>

// The parts of a bundle that belong to the shell rather than to the app made from it: what an
// update takes from the template. The app's icon, its configuration property lists, its user
// scripts and its Info.plist are not among them.
class ShellParts {
  public:
    struct Part {
        std::string from;  // path in the template
        std::string to;    // path in the app's bundle
        bool folder = false;
    };

    // The template's executable (under the app's own executable name), helper, Frameworks and
    // Base.lproj, and its page scripts, content-blocker lists and welcome page. Items the
    // template lacks are left out, except the executable, which every update needs.
    static std::vector<Part> of(const std::string& templatePath, const std::string& bundlePath,
                                const std::string& bundleExecutable);

    // Whether a file of the template's Resources folder is one of the shell's own.
    static bool isShellResource(const std::string& fileName);
};
