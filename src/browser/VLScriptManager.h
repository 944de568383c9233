#pragma once

#include <sigc++/connection.h>

#include <optional>
#include <set>
#include <string>

#include "rules/UnreadCounter.h"

class VLWebViewController;

// The unread-count poller: every 3 seconds it looks at the selected page of the first main
// window. On the web-mail site or the social network it runs that site's count script; on any
// other site, a count in the page's title ("(3) Inbox") counts too. The count becomes the
// application's badge and the page's dockLabel, and new unread messages are announced.
class VLScriptManager {
  public:
    static constexpr const char* kMailScript =
        "function getUnread(){var unreadmessages = document.getElementsByClassName('zA zE'); "
        "var myArray=new Array(); for (var i=0; i < unreadmessages.length ; i++ ){    "
        "myArray.push(unreadmessages[i].getElementsByClassName('afn')[0].innerText);}return "
        "myArray;};getUnread();";
    static constexpr const char* kSocialScript =
        "document.getElementById(\"mercurymessagesCountValue\").innerText;";

    struct Hosts {
        std::string mail = "mail.google.com";
        std::set<std::string> social = {"facebook.com", "www.facebook.com"};
    };

    VLScriptManager();
    ~VLScriptManager();
    VLScriptManager(const VLScriptManager&) = delete;
    VLScriptManager& operator=(const VLScriptManager&) = delete;

    // Starts the 3-second poll.
    void setup();
    // One tick (the timer's); public so the poll can be driven.
    void injectScripts();
    // Which hosts the site scripts are for (tests give their own).
    void setHosts(Hosts hosts) { hosts_ = std::move(hosts); }
    const UnreadCounter& counter() const { return counter_; }

    static VLWebViewController* currentWebViewController();

  private:
    void injectScriptsForURL(const std::string& url);
    void runDockBadgeScript(const std::string& script);
    void setDockBadgeValue(const UnreadCounter::Result& result);
    void postNotification(const std::string& text);

    Hosts hosts_;
    UnreadCounter counter_;
    sigc::connection timer_;
};
