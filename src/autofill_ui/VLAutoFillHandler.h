#pragma once

#include <sigc++/connection.h>

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "autofill/AutoFillMessage.h"
#include "autofill/AutoFillSuggestions.h"
#include "autofill/VLLoginData.h"
#include "autofill_ui/VLAutoFillMenuViewController.h"
#include "foundation/LifeToken.h"
#include "foundation/NoDestructor.h"

class VLWebView;
typedef struct _WebKitWebView WebKitWebView;

// The shell's password features for the login forms pages report on the "autoFill" channel:
// fills a saved login into a form it finds, offers the saved logins in a menu under the field,
// and offers to save or update a login typed into a page the user leaves. Saved logins are the
// helper's; this reaches them through the helper client. Main thread only.
class VLAutoFillHandler : public VLAutoFillMenuDelegate {
  public:
    static VLAutoFillHandler& shared();

    void handleAutoFill(const nlohmann::json& body, WebKitWebView* webView);
    // The page is left (a navigation starts, or moves within the page).
    void offerPasswordAutoSaveForWebView(VLWebView& webView);
    static void clearLoginDataForWebView(VLWebView& webView);
    static void autoFill(const std::string& username, const std::string& password,
                         VLWebView& webView);

    void passwordDidSelected(const VLCredentials& credentials, VLWebView& webView) override;
    void otherOptionDidSelected(VLWebView& webView) override;

    bool isOngoingPasswordSaveRequest() const { return ongoingSave_; }
    bool isAutoFillMenuVisible() const { return menu_.isVisible(); }
    VLAutoFillMenuViewController& menu() { return menu_; }
    const VLLoginData* loginData(const VLWebView& webView) const;

    // A save offer whose answer never came stops blocking the next ones after this long.
    static constexpr unsigned kSaveAnswerTimeoutSeconds = 30;

  private:
    VLAutoFillHandler();
    friend class NoDestructor<VLAutoFillHandler>;

    void onLoginFound(const AutoFillMessage& message, VLWebView& webView);
    void onUsernameChange(const AutoFillMessage& message, VLWebView& webView);
    void onPasswordChange(const AutoFillMessage& message, VLWebView& webView);
    void handleKeyEvent(long code);
    void showAutoFillMenu(VLWebView& webView, AutoFillMessage::Position at,
                          AutoFillSuggestions::Field field, bool topFrame);
    void refreshAutoFillMenu(VLWebView& webView, AutoFillMessage::Position at, bool topFrame);
    void hideAutoFillMenu();
    // The logins saved for the page, or for a form's own frame when that is another site's.
    void savedCredentials(VLWebView& webView, const VLLoginData& form,
                          std::function<void(const std::vector<VLCredentials>&)> reply);
    // Turns a point of a frame into one of the page: adds the focused frame's place.
    void pagePoint(VLWebView& webView, AutoFillMessage::Position at, bool topFrame,
                   std::function<void(AutoFillMessage::Position)> done);
    void showSaveOffer(VLWebView& webView, const VLLoginData& form,
                       const std::optional<std::string>& saved);
    void endSaveRequest();

    std::map<const VLWebView*, VLLoginData> loginForms_;
    VLAutoFillMenuViewController menu_;
    unsigned menuRequests_ = 0;
    bool ongoingSave_ = false;
    sigc::connection saveTimeout_;
    LifeToken life_;
};
