#include "browser/VLNotificationHandler.h"

#include <algorithm>

#include "autofill/NotificationRequest.h"
#include "autofill/VLServiceManager.h"
#include "browser/VLWebView.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/Url.h"

VLNotificationHandler& VLNotificationHandler::sharedHandler() {
    static NoDestructor<VLNotificationHandler> handler;
    return *handler;
}

void VLNotificationHandler::handleNotificationWithParameters(const nlohmann::json& body,
                                                             WebKitWebView* webView) {
    VLWebView* view = VLWebView::fromWebView(webView);
    std::optional<NotificationRequest> request = NotificationRequest::parse(body);
    if (!view || !request) {
        return;
    }
    if (!limiter_.allow(view)) {
        if (!throttledLogged_[view]) {
            throttledLogged_[view] = true;
            Log::warningLine("a page posts notifications too fast; the rest are dropped");
        }
        return;
    }
    VLNotificationInfo info;
    info.setTitle(request->title);
    auto url = Url::parse(view->url());
    info.setSubTitle(url ? url->host() : std::string());
    info.setMessage(request->message);
    GCharPtr uuid(g_uuid_string_random());
    const std::string identifier = uuid.get();
    info.setIdentifier(identifier);
    info.setActions(request->actions);
    if (request->pageNumber) {
        if (posted_.size() >= kRemembered) {
            posted_.erase(std::min_element(posted_.begin(), posted_.end(), [](auto& a, auto& b) {
                return a.second.order < b.second.order;
            }));
        }
        posted_[identifier] = {view, view->lifetime(), *request->pageNumber, ++order_};
    }
    VLServiceManager::sharedManager().postNotification(info);
}

void VLNotificationHandler::notificationClicked(const std::string& identifier) {
    auto it = posted_.find(identifier);
    if (it == posted_.end()) {
        return;
    }
    Posted posted = it->second;
    posted_.erase(it);
    if (posted.alive.expired()) {
        return;  // the page is gone: the click only brings the app forward
    }
    posted.view->evaluate(
        "window.vlAPIHelper && vlAPIHelper.notificationClicked && "
        "vlAPIHelper.notificationClicked(" +
        std::to_string(posted.pageNumber) + ")");
}
