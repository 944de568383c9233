#pragma once

// The names of the notifications on the default centre and the keys of their user info,
// spelled as every part of the app and the bundle configurations expect them (misspellings
// included). Posting and observing go through these constants only.
namespace notification {
// Page commands for the selected page of every window.
inline constexpr const char* reload = "reload";
inline constexpr const char* stop = "stop";
inline constexpr const char* printpage = "printpage";
inline constexpr const char* zoomin = "zoomin";
inline constexpr const char* zoomout = "zoomout";
inline constexpr const char* resetzoom = "resetzoom";
inline constexpr const char* canzoomin = "canzoomin";
inline constexpr const char* canzoomout = "canzoomout";
inline constexpr const char* canresetzoom = "canresetzoom";
inline constexpr const char* openLinkInNewTab = "Open Link In New Tab";
inline constexpr const char* showBookmark = "showBookmark";
// Page settings.
inline constexpr const char* changeUserAnget = "changeUserAnget";
inline constexpr const char* requestMobileVersion = "requestMobileVersion";
inline constexpr const char* requestDesktopVersion = "requestDesktopVersion";
inline constexpr const char* enablePlugins = "enablePlugins";
inline constexpr const char* enableJavaScript = "enableJavaScript";
inline constexpr const char* hideProgressBar = "hideProgressBar";
inline constexpr const char* blockPopupWindoww = "blockPopupWindoww";
inline constexpr const char* blockAds = "blockAds";
inline constexpr const char* refreshFont = "refreshFont";
inline constexpr const char* refreshTimeIntervalChange = "RefreshTimeIntervalChangeNotification";
// Windows.
inline constexpr const char* updateWindowBackgroundColor =
    "UpdateWindowBackgroundColorNotification";
inline constexpr const char* showHideToolbarButton = "ShowHideToolbarButtonNotification";
inline constexpr const char* titlebarVisibilityChange = "TitlebarVisibilityChangeNotification";
// The application.
inline constexpr const char* setCustomUserAnget = "setCustomUserAnget";
inline constexpr const char* showWindow = "showWindow";
inline constexpr const char* downloadAdd = "downloadAdd";
// A touchpad or touchscreen came or went: pages allow back/forward swipes or stop.
inline constexpr const char* swipeDevicesChange = "SwipeDevicesChangeNotification";
// A page finished loading, or failed to.
inline constexpr const char* pageLoadFinished = "pageLoadFinished";

// User-info keys.
inline constexpr const char* urlKey = "url";
inline constexpr const char* titlebarVisibilityKey = "TitlebarVisibility";
inline constexpr const char* hideKey = "hide";
}  // namespace notification
