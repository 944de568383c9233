// What the engine asks the page controller in the user's name: HTTP authentication, script
// alerts, confirmations and prompts, files to upload, the camera and microphone, certificates
// with errors, and a page's wish to close.
#include <glibmm/main.h>
#include <gtkmm/entry.h>
#include <gtkmm/messagedialog.h>

#include "browser/ErrorPage.h"
#include "browser/MediaPermission.h"
#include "browser/VLAuthenticationSheet.h"
#include "browser/VLWebEngine.h"
#include "browser/VLWebViewController.h"
#include "browser/VLWebViewControllerDelegate.h"
#include "browser/WelcomePage.h"
#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"
#include "foundation/NoDestructor.h"
#include "foundation/Url.h"
#include "maintenance/Alert.h"
#include "maintenance_ui/AlertDialog.h"
#include "rules/VLWhiteListManager.h"

namespace {

MediaPermission& mediaPermission() {
    static NoDestructor<MediaPermission> permission;
    return *permission;
}

struct RequestUnref {
    void operator()(gpointer object) const { g_object_unref(object); }
};

void fileChooserResponse(GtkNativeDialog* dialog, int response, gpointer data) {
    std::unique_ptr<WebKitFileChooserRequest, RequestUnref> request(
        static_cast<WebKitFileChooserRequest*>(data));
    GSList* chosen = response == GTK_RESPONSE_ACCEPT
                         ? gtk_file_chooser_get_filenames(GTK_FILE_CHOOSER(dialog))
                         : nullptr;
    if (!chosen) {
        webkit_file_chooser_request_cancel(request.get());
    } else {
        std::vector<const char*> paths;
        for (GSList* node = chosen; node; node = node->next) {
            paths.push_back(static_cast<const char*>(node->data));
        }
        paths.push_back(nullptr);
        webkit_file_chooser_request_select_files(request.get(), paths.data());
        g_slist_free_full(chosen, g_free);
    }
    g_object_unref(dialog);
}

// Every script dialog, application-modal: the page waits for the answer.
void showScriptDialog(WebKitScriptDialog* dialog, Gtk::Window* parent) {
    const std::string message = webkit_script_dialog_get_message(dialog);
    const WebKitScriptDialogType type = webkit_script_dialog_get_dialog_type(dialog);
    auto kept = std::shared_ptr<WebKitScriptDialog>(webkit_script_dialog_ref(dialog),
                                                    webkit_script_dialog_unref);
    if (type == WEBKIT_SCRIPT_DIALOG_PROMPT) {
        auto prompt = std::make_shared<Gtk::MessageDialog>("Corva", false, Gtk::MESSAGE_QUESTION,
                                                           Gtk::BUTTONS_NONE, true);
        prompt->set_secondary_text(message);
        auto* entry = Gtk::manage(new Gtk::Entry());
        entry->set_text(webkit_script_dialog_prompt_get_default_text(dialog));
        entry->set_activates_default(true);
        prompt->get_message_area()->pack_start(*entry, Gtk::PACK_SHRINK);
        prompt->add_button("Cancel", 1);
        prompt->add_button("OK", 0)->grab_default();
        prompt->set_default_response(0);
        if (parent) {
            prompt->set_transient_for(*parent);
        }
        prompt->signal_response().connect([prompt, entry, kept](int response) {
            if (response == 0) {
                webkit_script_dialog_prompt_set_text(kept.get(), entry->get_text().c_str());
            }
            webkit_script_dialog_close(kept.get());
            prompt->hide();
            // The dialog goes once its signal has returned.
            Glib::signal_idle().connect_once([prompt] {});
        });
        prompt->show_all();
        return;
    }
    Alert alert = Alert::vellSuccessAlertWithMessage(message);
    if (type == WEBKIT_SCRIPT_DIALOG_CONFIRM) {
        alert.buttons = {"OK", "Cancel"};
    } else if (type == WEBKIT_SCRIPT_DIALOG_BEFORE_UNLOAD_CONFIRM) {
        alert.informativeText = "This page asks you to confirm that you want to leave it.";
        alert.buttons = {"Leave Page", "Stay on Page"};
    }
    AlertDialog::present(alert, parent, [kept, type](int answer) {
        if (type != WEBKIT_SCRIPT_DIALOG_ALERT) {
            webkit_script_dialog_confirm_set_confirmed(kept.get(), answer == 0);
        }
        webkit_script_dialog_close(kept.get());
    });
}
}  // namespace

gboolean VLWebViewController::scriptDialog(WebKitWebView*, WebKitScriptDialog* dialog,
                                           VLWebViewController* self) {
    if (webkit_script_dialog_get_dialog_type(dialog) == WEBKIT_SCRIPT_DIALOG_ALERT) {
        Log::print("page alert: ", webkit_script_dialog_get_message(dialog));
    }
    showScriptDialog(dialog, self->webview_->toplevelWindow());
    return TRUE;
}

gboolean VLWebViewController::authenticate(WebKitWebView*, WebKitAuthenticationRequest* request,
                                           VLWebViewController* self) {
    switch (webkit_authentication_request_get_scheme(request)) {
        case WEBKIT_AUTHENTICATION_SCHEME_HTTP_BASIC:
        case WEBKIT_AUTHENTICATION_SCHEME_HTTP_DIGEST:
        case WEBKIT_AUTHENTICATION_SCHEME_NTLM:
        case WEBKIT_AUTHENTICATION_SCHEME_NEGOTIATE:
            break;
        default:
            // Client certificates and the like: go on without, as if there were no sheet.
            webkit_authentication_request_authenticate(request, nullptr);
            return TRUE;
    }
    // The host of the page on screen, even while another one loads.
    std::string host = Url::hostOf(self->webview_->shownUrl());
    if (host.empty()) {
        host = webkit_authentication_request_get_host(request);
    }
    auto kept = GObjectPtr<WebKitAuthenticationRequest>::retain(request);
    auto sheet = std::make_shared<std::unique_ptr<VLAuthenticationSheet>>();
    *sheet = VLAuthenticationSheet::present(
        self->webview_->toplevelWindow(), host,
        [kept, sheet](std::optional<VLAuthenticationSheet::Login> login) {
            if (login) {
                WebKitCredential* credential =
                    webkit_credential_new(login->username.c_str(), login->password.c_str(),
                                          WEBKIT_CREDENTIAL_PERSISTENCE_FOR_SESSION);
                webkit_authentication_request_authenticate(kept.get(), credential);
                webkit_credential_free(credential);
            } else {
                // The engine goes on as without credentials: the server's refusal shows.
                webkit_authentication_request_authenticate(kept.get(), nullptr);
            }
            Glib::signal_idle().connect_once([sheet] { sheet->reset(); });
        });
    return TRUE;
}

gboolean VLWebViewController::runFileChooser(WebKitWebView*, WebKitFileChooserRequest* request,
                                             VLWebViewController* self) {
    Gtk::Window* parent = self->webview_->toplevelWindow();
    GtkFileChooserNative* chooser =
        gtk_file_chooser_native_new("Choose Files", parent ? parent->gobj() : nullptr,
                                    GTK_FILE_CHOOSER_ACTION_OPEN, "_Open", "_Cancel");
    GtkFileChooser* files = GTK_FILE_CHOOSER(chooser);
    gtk_file_chooser_set_select_multiple(files,
                                         webkit_file_chooser_request_get_select_multiple(request));
    if (GtkFileFilter* filter = webkit_file_chooser_request_get_mime_types_filter(request)) {
        gtk_file_chooser_set_filter(files, filter);
    }
    g_object_ref(request);
    g_signal_connect(chooser, "response", G_CALLBACK(fileChooserResponse), request);
    gtk_native_dialog_show(GTK_NATIVE_DIALOG(chooser));
    return TRUE;
}

gboolean VLWebViewController::permissionRequest(WebKitWebView*, WebKitPermissionRequest* request,
                                                VLWebViewController* self) {
    if (!WEBKIT_IS_USER_MEDIA_PERMISSION_REQUEST(request) &&
        !WEBKIT_IS_DEVICE_INFO_PERMISSION_REQUEST(request)) {
        return FALSE;  // everything else stays refused
    }
    self->decideMediaPermission(request);
    return TRUE;
}

void VLWebViewController::decideMediaPermission(WebKitPermissionRequest* request) {
    const std::string url = webview_->url();
    auto parsed = Url::parse(url);
    const std::string site = parsed ? parsed->scheme() + "://" + parsed->host() : url;
    auto kept = GObjectPtr<WebKitPermissionRequest>::retain(request);
    // The engine does not say which frame asks: every frame of the page must be of a site the
    // whitelist keeps, or the user is asked.
    webview_->evaluateInAppWorld(
        "Array.prototype.map.call(document.querySelectorAll('iframe, frame'), function (f) {"
        " try { return new URL(f.src || 'about:blank', location.href).href; }"
        " catch (e) { return ''; } })",
        [this, kept, url, site](std::optional<nlohmann::json> frames, std::string) {
            VLWhiteListManager& whitelist = VLWhiteListManager::sharedManager();
            bool framesAllowed = frames && frames->is_array();
            if (framesAllowed) {
                for (const nlohmann::json& frame : *frames) {
                    const std::string address = frame.is_string() ? frame.get<std::string>() : "";
                    if (address.rfind("about:", 0) != 0 && !whitelist.isUrlAllow(address)) {
                        framesAllowed = false;
                    }
                }
            }
            const MediaPermission::Answer answer = mediaPermission().decide(
                site, whitelist.isUrlAllow(url), framesAllowed, !whitelistExempt_);
            if (answer != MediaPermission::Answer::Ask) {
                answer == MediaPermission::Answer::Grant
                    ? webkit_permission_request_allow(kept.get())
                    : webkit_permission_request_deny(kept.get());
                return;
            }
            Alert alert{"Allow " + Url::hostOf(url) + " to use your camera and microphone?",
                        "The page or a frame in it asks for them. Your answer holds until the "
                        "app quits.",
                        {"Allow", "Don't Allow"},
                        Alert::Style::Warning};
            AlertDialog::present(alert, webview_->toplevelWindow(), [kept, site](int choice) {
                mediaPermission().remember(site, choice == 0);
                choice == 0 ? webkit_permission_request_allow(kept.get())
                            : webkit_permission_request_deny(kept.get());
            });
        });
}

gboolean VLWebViewController::tlsErrors(WebKitWebView*, gchar* failingUri,
                                        GTlsCertificate* certificate, GTlsCertificateFlags errors,
                                        VLWebViewController* self) {
    const std::string url = failingUri ? failingUri : "";
    Log::warning("certificate with errors (", static_cast<unsigned>(errors), ") for ",
                 Url::hostOf(url));
    self->certificateException_ = {url, Url::hostOf(url),
                                   GObjectPtr<GTlsCertificate>::retain(certificate)};
    const ErrorPage::CertificateProblem problem = ErrorPage::certificateProblem(errors);
    self->errorPageUrl_ = url;
    webkit_web_view_load_alternate_html(
        self->webview_->webView(),
        ErrorPage::certificateHtml(url, problem, self->continueAddress()).c_str(), url.c_str(),
        nullptr);
    return TRUE;
}

std::string VLWebViewController::continueAddress() const {
    // Only the app's own page knows this launch's secret, so no page can go on by itself.
    return certificateException_.url.substr(0, certificateException_.url.find('#')) +
           "#sitebox-continue-" + WelcomePage::launchSecret();
}

bool VLWebViewController::acceptCertificateIfAsked(const std::string& url) {
    if (!certificateException_.certificate || WelcomePage::launchSecret().empty() ||
        url != continueAddress()) {
        return false;
    }
    webkit_web_context_allow_tls_certificate_for_host(VLWebEngine::shared().context(),
                                                      certificateException_.certificate.get(),
                                                      certificateException_.host.c_str());
    Log::print("the user accepted a certificate with errors for ", certificateException_.host);
    const std::string address = certificateException_.url;
    certificateException_ = {};
    webview_->loadRequest(address);
    return true;
}

void VLWebViewController::pageRequestedClose() {
    if (whitelistExempt_ && delegate_) {
        delegate_->closeTab(*this);  // a sign-in pop-up closes its window
        return;
    }
    // A page may unload itself, never close the app's window behind the user's back.
    webkit_web_view_load_html(webview_->webView(), "", nullptr);
}
