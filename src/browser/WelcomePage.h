#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>

// The page a new app shows until it has a home page (sitebox://welcome, from the bundle's
// welcome.html). Its form sets the home page through sitebox://set-home, which only that page
// may use: web pages cannot reach the app's scheme at all, and the form carries a secret made
// at each launch that only the welcome page holds.
class WelcomePage {
  public:
    static constexpr const char* kUrl = "sitebox://welcome";

    // Registers the sitebox: scheme with the web engine (once).
    static void install();
    // What the page's "New Web App…" button does (sitebox://new-app, with the secret too).
    static void setNewAppHandler(std::function<void()> handler);
    static std::string url() { return kUrl; }

    // The form's answer: the home page text and whether the site's scripts run.
    struct Choice {
        std::string homePage;
        bool javaScript = false;
    };
    // Reads "url=...&js=on&secret=..." (form encoding); nothing without a home page or without
    // this launch's secret.
    static std::optional<Choice> parseChoice(const std::string& query);
    // Whether "secret=..." carries this launch's secret.
    static bool hasSecret(const std::string& query);
    // The welcome text with {{SETTINGS_FOLDER}} and {{SECRET}} filled in (HTML-escaped).
    static std::string fill(const std::string& html, const std::string& settingsFolder);
    // Made once per launch from the system's random source.
    static const std::string& launchSecret();
    // The page that follows a choice: it goes to the new home page.
    static std::string goingHomePage(const std::string& homeUrl);
};
