#pragma once

#include <optional>
#include <string>
#include <vector>

// Makes a web app of a site: a copy of the template bundle with an identity of its own (bundle
// identifier, app identifier), its creation-tool settings, icon and settings folder (home page,
// JavaScript on, a whitelist that keeps the site inside), a desktop entry and icon, and an entry
// in the update list. Nothing is left behind when it fails. Needs no display; may run on a
// worker thread.
class AppCreator {
  public:
    struct Request {
        std::string address;
        std::optional<std::string> name;  // default: the page's title, else its host
        std::optional<std::string> icon;  // an image file; default: the site's, else the template's
        std::optional<std::string> size;  // "WxH"
        std::optional<std::string> folder;  // default: WebApp::defaultFolder()
    };
    struct Result {
        std::string error;  // empty when the app was made
        std::vector<std::string> warnings;
        std::string name;
        std::string bundlePath;
        std::string desktopFile;
        std::string settingsFolder;
        bool ok() const { return error.empty(); }
    };

    static Result create(const Request& request, const std::string& templatePath);

    // An http or https address with a host ("example.org" reads as https://example.org).
    static std::optional<std::string> webAddress(const std::string& text);
    // A name that makes a bundle folder of its own: no slashes, control characters, leading
    // dots or ".app" inside it, at most 100 bytes; empty when nothing is left.
    static std::string folderName(const std::string& name);
    // The readable part of the app identifier: ASCII letters, digits and dashes.
    static std::string identifierStem(const std::string& name);

    static constexpr const char* kDefaultWindowSize = "1200x800";
};
