#include "autofill_ui/VLAutoFillHandler.h"

#include <glibmm/main.h>
#include <gtkmm/window.h>

#include "autofill/VLServiceManager.h"
#include "browser/VLWebView.h"
#include "foundation/JavaScript.h"
#include "foundation/Log.h"
#include "foundation/Url.h"
#include "maintenance/Alert.h"
#include "maintenance_ui/AlertDialog.h"

VLAutoFillHandler& VLAutoFillHandler::shared() {
    static NoDestructor<VLAutoFillHandler> handler;
    return *handler;
}

VLAutoFillHandler::VLAutoFillHandler() {
    menu_.setDelegate(this);
    VLWebView::setClearLoginDataHook([](VLWebView& view) { clearLoginDataForWebView(view); });
    VLWebView::setLeavingPageHook(
        [this](VLWebView& view) { offerPasswordAutoSaveForWebView(view); });
}

const VLLoginData* VLAutoFillHandler::loginData(const VLWebView& webView) const {
    auto it = loginForms_.find(&webView);
    return it == loginForms_.end() ? nullptr : &it->second;
}

void VLAutoFillHandler::handleAutoFill(const nlohmann::json& body, WebKitWebView* webView) {
    VLWebView* view = VLWebView::fromWebView(webView);
    std::optional<AutoFillMessage> message = AutoFillMessage::parse(body);
    if (!view || !message) {
        return;
    }
    using Event = AutoFillMessage::Event;
    auto entry = loginForms_.find(view);
    switch (message->event) {
        case Event::LoginFound:
            onLoginFound(*message, *view);
            break;
        case Event::UsernameChange:
            onUsernameChange(*message, *view);
            break;
        case Event::PasswordChange:
            onPasswordChange(*message, *view);
            break;
        case Event::UsernameFocused:
        case Event::PasswordFocused:
            if (entry != loginForms_.end()) {
                showAutoFillMenu(*view, message->position,
                                 message->event == Event::UsernameFocused
                                     ? AutoFillSuggestions::Field::Username
                                     : AutoFillSuggestions::Field::Password,
                                 message->topFrame);
            }
            break;
        case Event::UsernameBlurred:
        case Event::PasswordBlurred:
            if (entry != loginForms_.end()) {
                hideAutoFillMenu();
            }
            break;
        case Event::KeyUp:
            handleKeyEvent(message->keyCode);
            break;
    }
}

void VLAutoFillHandler::onLoginFound(const AutoFillMessage& message, VLWebView& webView) {
    VLLoginData form;
    form.initialUsername = form.username = message.username.value_or("");
    form.initialPassword = form.password = message.password.value_or("");
    form.url = message.frameUrl;
    form.origin = message.origin;
    form.topFrame = message.topFrame;
    loginForms_[&webView] = form;
    savedCredentials(webView, form,
                     [this, view = &webView](const std::vector<VLCredentials>& saved) {
                         if (!saved.empty()) {
                             autoFill(saved.front().username().value_or(""),
                                      saved.front().password().value_or(""), *view);
                         }
                     });
}

void VLAutoFillHandler::onUsernameChange(const AutoFillMessage& message, VLWebView& webView) {
    auto entry = loginForms_.find(&webView);
    if (entry == loginForms_.end()) {
        return;
    }
    entry->second.replaceUsername(message.text);
    if (menu_.isVisible()) {
        refreshAutoFillMenu(webView, message.position, message.topFrame);
    } else {
        showAutoFillMenu(webView, message.position, AutoFillSuggestions::Field::Username,
                         message.topFrame);
    }
}

void VLAutoFillHandler::onPasswordChange(const AutoFillMessage& message, VLWebView& webView) {
    auto entry = loginForms_.find(&webView);
    if (entry == loginForms_.end()) {
        return;
    }
    entry->second.replacePassword(message.text);
    if (!menu_.isVisible() && message.text.empty()) {
        showAutoFillMenu(webView, message.position, AutoFillSuggestions::Field::Password,
                         message.topFrame);
    }
}

void VLAutoFillHandler::handleKeyEvent(long code) {
    switch (code) {
        case -1:
            menu_.selectUp();
            break;
        case 1:
            menu_.selectDown();
            break;
        case 13:
            menu_.selectMenu();
            break;
        case 27:
            hideAutoFillMenu();
            break;
        default:
            break;
    }
}

void VLAutoFillHandler::savedCredentials(
    VLWebView& webView, const VLLoginData& form,
    std::function<void(const std::vector<VLCredentials>&)> reply) {
    // A form in a frame of another site gets only the logins of that site.
    const std::string address = form.topFrame ? webView.url() : form.url;
    VLServiceManager::sharedManager().credentialsSavedFor(
        Url::parse(address), [reply = std::move(reply), alive = webView.lifetime(),
                              handler = life_.watch()](const std::vector<VLCredentials>& saved) {
            if (!alive.expired() && !handler.expired()) {
                reply(saved);
            }
        });
}

void VLAutoFillHandler::pagePoint(VLWebView& webView, AutoFillMessage::Position at, bool topFrame,
                                  std::function<void(AutoFillMessage::Position)> done) {
    if (topFrame) {
        done(at);
        return;
    }
    webView.evaluateInAppWorld(
        "vlAPIHelper.autoFill.focusedFrameOffset()",
        [at, done = std::move(done)](std::optional<nlohmann::json> offset, std::string) {
            AutoFillMessage::Position point = at;
            if (offset && offset->is_object() && (*offset)["left"].is_number() &&
                (*offset)["top"].is_number()) {
                point.left += (*offset)["left"].get<double>();
                point.top += (*offset)["top"].get<double>();
            }
            done(point);
        });
}

void VLAutoFillHandler::showAutoFillMenu(VLWebView& webView, AutoFillMessage::Position at,
                                         AutoFillSuggestions::Field field, bool topFrame) {
    auto entry = loginForms_.find(&webView);
    if (entry == loginForms_.end()) {
        return;
    }
    // Showing waits for the helper and the page: a hide or a newer request meanwhile wins.
    const unsigned request = ++menuRequests_;
    savedCredentials(webView, entry->second,
                     [this, view = &webView, at, field, topFrame,
                      request](const std::vector<VLCredentials>& saved) {
                         const VLLoginData* form = loginData(*view);
                         if (!form || request != menuRequests_) {
                             return;
                         }
                         auto shown = AutoFillSuggestions::filter(saved, form->username, field);
                         if (shown.empty()) {
                             return;  // not shown, and not hidden either
                         }
                         menu_.setItems({shown.begin(), shown.end()});
                         pagePoint(*view, at, topFrame,
                                   [this, view, alive = view->lifetime(),
                                    request](AutoFillMessage::Position point) {
                                       if (!alive.expired() && request == menuRequests_) {
                                           menu_.showAt(*view, point.left, point.top);
                                       }
                                   });
                     });
}

void VLAutoFillHandler::refreshAutoFillMenu(VLWebView& webView, AutoFillMessage::Position at,
                                            bool topFrame) {
    auto entry = loginForms_.find(&webView);
    if (entry == loginForms_.end()) {
        return;
    }
    const unsigned request = ++menuRequests_;
    savedCredentials(
        webView, entry->second,
        [this, view = &webView, at, topFrame, request](const std::vector<VLCredentials>& saved) {
            const VLLoginData* form = loginData(*view);
            if (!form || request != menuRequests_) {
                return;
            }
            auto shown = AutoFillSuggestions::filter(saved, form->username,
                                                     AutoFillSuggestions::Field::Username);
            if (shown.empty()) {
                hideAutoFillMenu();
                return;
            }
            menu_.setItems({shown.begin(), shown.end()});
            pagePoint(
                *view, at, topFrame,
                [this, view, alive = view->lifetime(), request](AutoFillMessage::Position point) {
                    if (!alive.expired() && menu_.isVisible() && request == menuRequests_) {
                        menu_.showAt(*view, point.left, point.top);
                    }
                });
        });
}

void VLAutoFillHandler::hideAutoFillMenu() {
    ++menuRequests_;
    menu_.hide();
}

void VLAutoFillHandler::autoFill(const std::string& username, const std::string& password,
                                 VLWebView& webView) {
    VLAutoFillHandler& handler = shared();
    auto entry = handler.loginForms_.find(&webView);
    bool topFrame = true;
    std::string origin;
    if (entry != handler.loginForms_.end()) {
        entry->second.replaceUsername(username);
        entry->second.replacePassword(password);
        topFrame = entry->second.topFrame;
        origin = entry->second.origin;
    }
    // Only the app's own world can call the fill function; a frame gets it only when its origin
    // is the form's own.
    webView.evaluateInAppWorld(
        topFrame ? "vlAPIHelper.autoFill.autoFill(" + javaScriptString(username) + ", " +
                       javaScriptString(password) + ")"
                 : "vlAPIHelper.autoFill.autoFillFrame(" + javaScriptString(origin) + ", " +
                       javaScriptString(username) + ", " + javaScriptString(password) + ")");
}

void VLAutoFillHandler::passwordDidSelected(const VLCredentials& credentials, VLWebView& webView) {
    autoFill(credentials.username().value_or(""), credentials.password().value_or(""), webView);
    hideAutoFillMenu();
}

void VLAutoFillHandler::otherOptionDidSelected(VLWebView&) {
    hideAutoFillMenu();
}

void VLAutoFillHandler::clearLoginDataForWebView(VLWebView& webView) {
    VLAutoFillHandler& handler = shared();
    handler.loginForms_.erase(&webView);
    if (handler.menu_.webView() == &webView) {
        handler.hideAutoFillMenu();
    }
}

void VLAutoFillHandler::offerPasswordAutoSaveForWebView(VLWebView& webView) {
    auto entry = loginForms_.find(&webView);
    if (entry == loginForms_.end() || !entry->second.changed() || ongoingSave_ ||
        !entry->second.offersSave()) {
        return;
    }
    ongoingSave_ = true;
    // An answer that never comes (a helper that went away) must not block every later offer.
    saveTimeout_ = Glib::signal_timeout().connect_seconds(
        [this] {
            Log::warningLine("the keyring never answered about a login to save; offers go on");
            ongoingSave_ = false;
            return false;
        },
        kSaveAnswerTimeoutSeconds);
    const VLLoginData form = entry->second;
    VLServiceManager::sharedManager().passwordFor(
        form.username, Url::parse(form.url),
        [this, form, view = &webView,
         alive = webView.lifetime()](const std::optional<std::string>& saved) {
            saveTimeout_.disconnect();
            if (alive.expired() || (saved && *saved == form.password)) {
                endSaveRequest();
                return;
            }
            showSaveOffer(*view, form, saved);
        });
}

void VLAutoFillHandler::showSaveOffer(VLWebView& webView, const VLLoginData& form,
                                      const std::optional<std::string>& saved) {
    Alert alert;
    if (saved) {
        alert.messageText = "Do you want to update the password saved in your keyring for \"" +
                            form.username + "\" on \"" + Url::hostOf(form.url) + "\"";
        alert.buttons = {"Update Password", "Not Now"};
    } else {
        alert.messageText = "Would you like to save this password?";
        alert.informativeText = "You can view and remove saved passwords in preferences.";
        alert.buttons = {"Save Password", "Not Now"};
    }
    const bool update = saved.has_value();
    AlertDialog::present(alert, webView.toplevelWindow(), [this, form, update](int answer) {
        if (answer == 0) {
            VLServiceManager& helper = VLServiceManager::sharedManager();
            auto url = Url::parse(form.url);
            if (update) {
                helper.updateCredentials(form.password, form.username, url, [](bool) {});
            } else {
                helper.saveCredentials(form.password, form.username, url, [](bool) {});
            }
        }
        endSaveRequest();
    });
    // The offer keeps its own copy; the page's form is done with.
    loginForms_.erase(&webView);
}

void VLAutoFillHandler::endSaveRequest() {
    saveTimeout_.disconnect();
    ongoingSave_ = false;
}
