#include "helper/LibnotifyPoster.h"

#include <libnotify/notify.h>

#include <algorithm>

#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/MainThread.h"

struct LibnotifyPoster::Shown {
    LibnotifyPoster* poster = nullptr;
    std::string sender;
    std::string identifier;
    GObjectPtr<NotifyNotification> notification;
};

namespace {
const char* const kDefaultAction = "default";

// A page's text must not turn into markup (links, images) on servers that read markup.
bool serverReadsMarkup() {
    GList* caps = notify_get_server_caps();
    bool markup = g_list_find_custom(caps, "body-markup",
                                     reinterpret_cast<GCompareFunc>(g_strcmp0)) != nullptr;
    g_list_free_full(caps, g_free);
    return markup;
}
}  // namespace

LibnotifyPoster::LibnotifyPoster(const std::string& applicationName) {
    if (!notify_is_initted()) {
        notify_init(applicationName.c_str());
    }
}

LibnotifyPoster::~LibnotifyPoster() {
    for (auto& [key, shown] : shown_) {
        g_signal_handlers_disconnect_by_data(shown->notification.get(), shown.get());
    }
    shown_.clear();
    notify_uninit();
}

void LibnotifyPoster::setDelegate(NotificationPosterDelegate* delegate) {
    delegate_ = delegate;
}

bool LibnotifyPoster::deliver(const std::string& sender, const std::string& identifier,
                              const NotificationContent& content) {
    std::string body = content.body;
    if (!body.empty() && serverReadsMarkup()) {
        GCharPtr escaped(g_markup_escape_text(body.c_str(), static_cast<gssize>(body.size())));
        body = escaped.get();
    }
    auto shown = std::make_shared<Shown>();
    shown->poster = this;
    shown->sender = sender;
    shown->identifier = identifier;
    shown->notification = GObjectPtr<NotifyNotification>::adopt(notify_notification_new(
        content.summary.c_str(), body.empty() ? nullptr : body.c_str(), nullptr));
    NotifyNotification* notification = shown->notification.get();
    NotifyActionCallback callback = &LibnotifyPoster::onAction;
    notify_notification_add_action(notification, kDefaultAction, "Open", callback, shown.get(),
                                   nullptr);
    for (const NotificationButton& button : content.buttons) {
        notify_notification_add_action(notification, button.identifier.c_str(),
                                       button.title.c_str(), callback, shown.get(), nullptr);
    }
    g_signal_connect(notification, "closed", G_CALLBACK(&LibnotifyPoster::onClosed), shown.get());

    GErrorPtr error;
    if (!notify_notification_show(notification, error.out())) {
        g_signal_handlers_disconnect_by_data(notification, shown.get());
        Log::once("libnotify-show",
                  std::string("notifications cannot be shown (no notification server?): ") +
                      error.message());
        return false;
    }
    auto key = std::make_pair(sender, identifier);
    if (auto old = shown_.find(key); old != shown_.end()) {
        std::shared_ptr<Shown> replaced = detach(old->second.get());
        notify_notification_close(replaced->notification.get(), nullptr);
    }
    shown_[key] = std::move(shown);
    return true;
}

std::shared_ptr<LibnotifyPoster::Shown> LibnotifyPoster::detach(Shown* shown) {
    auto it = std::find_if(shown_.begin(), shown_.end(),
                           [&](const auto& entry) { return entry.second.get() == shown; });
    if (it == shown_.end()) {
        return nullptr;
    }
    std::shared_ptr<Shown> kept = it->second;
    shown_.erase(it);
    g_signal_handlers_disconnect_by_data(kept->notification.get(), kept.get());
    MainThread::post([kept] {});
    return kept;
}

void LibnotifyPoster::onAction(NotifyNotification* notification, char* action, void* data) {
    auto* shown = static_cast<Shown*>(data);
    LibnotifyPoster* poster = shown->poster;
    std::shared_ptr<Shown> kept = poster->detach(shown);
    if (!kept) {
        return;  // already handled
    }
    std::optional<std::string> button;
    if (action && std::string_view(action) != kDefaultAction) {
        button = action;
    }
    // Only valid inside this callback.
    const char* token = notify_notification_get_activation_token(notification);
    const std::string activationToken = token ? token : "";
    // Take it off the screen; most servers have already done so after a click.
    notify_notification_close(kept->notification.get(), nullptr);
    if (poster->delegate_) {
        poster->delegate_->didActivateNotification(kept->sender, kept->identifier, button,
                                                   activationToken);
    }
}

void LibnotifyPoster::onClosed(NotifyNotification* notification, void* data) {
    auto* shown = static_cast<Shown*>(data);
    LibnotifyPoster* poster = shown->poster;
    std::shared_ptr<Shown> kept = poster->detach(shown);
    if (!kept) {
        return;
    }
    // 2: dismissed by the user.
    bool byUser = notify_notification_get_closed_reason(notification) == 2;
    if (poster->delegate_) {
        poster->delegate_->didCloseNotification(kept->sender, kept->identifier, byUser);
    }
}
