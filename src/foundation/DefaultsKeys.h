#pragma once

// Keys of the user defaults (defaults.json), spelled as stored (misspellings included).
namespace defaults_key {
inline constexpr const char* lastUserAnget = "lastUserAnget";
inline constexpr const char* toolbarVisible = "ToolbarVisible";
inline constexpr const char* userNotifications = "UserNotifications";
inline constexpr const char* dockBadge = "DockBadge";
inline constexpr const char* titleBadge = "TitleBadge";
// The user agent the pages in the web cache were fetched with.
inline constexpr const char* cacheUserAgent = "CacheUserAgent";
inline constexpr const char* globalShortcutKey = "globalShortcutKey";
inline constexpr const char* webGrammarCheckingEnabled = "WebGrammarCheckingEnabled";
inline constexpr const char* webContinuousSpellCheckingEnabled =
    "WebContinuousSpellCheckingEnabled";
}  // namespace defaults_key
