#include "browser/ErrorPage.h"

#include <gio/gio.h>

#include "foundation/GObjectPtr.h"
#include "foundation/Url.h"

namespace {
// Text for an HTML page: GLib's markup escaping covers & < > " and '.
std::string escaped(const std::string& text) {
    // It wants valid UTF-8.
    GCharPtr valid(g_utf8_make_valid(text.c_str(), static_cast<gssize>(text.size())));
    GCharPtr out(g_markup_escape_text(valid.get(), -1));
    return out.get();
}
}  // namespace

ErrorPage::Kind ErrorPage::kindOf(const std::string& domain, int code) {
    if (domain == g_quark_to_string(G_RESOLVER_ERROR)) {
        return Kind::HostNotFound;
    }
    if (domain == g_quark_to_string(G_TLS_ERROR)) {
        return Kind::Certificate;
    }
    if (domain == g_quark_to_string(G_IO_ERROR)) {
        switch (code) {
            case G_IO_ERROR_CONNECTION_REFUSED:
                return Kind::Refused;
            case G_IO_ERROR_TIMED_OUT:
                return Kind::TimedOut;
            case G_IO_ERROR_NETWORK_UNREACHABLE:
            case G_IO_ERROR_HOST_UNREACHABLE:
            case G_IO_ERROR_CONNECTION_CLOSED:
                return Kind::NoConnection;
            default:
                break;
        }
    }
    return Kind::Other;
}

std::string ErrorPage::heading(Kind kind, const std::string& host) {
    const std::string name = host.empty() ? "the page" : host;
    switch (kind) {
        case Kind::HostNotFound:
            return "Cannot find " + name;
        case Kind::Refused:
            return name + " refused to connect";
        case Kind::TimedOut:
            return name + " took too long to respond";
        case Kind::Certificate:
            return "Cannot connect securely to " + name;
        case Kind::NoConnection:
            return "No connection to " + name;
        case Kind::Other:
            break;
    }
    return "Cannot open " + name;
}

std::string ErrorPage::explanation(Kind kind) {
    switch (kind) {
        case Kind::HostNotFound:
            return "The server's name could not be found. Check the address for typing errors, "
                   "and check that this computer is connected to the network.";
        case Kind::Refused:
            return "The server is there but does not accept connections. It may be down, or "
                   "the address may name the wrong port.";
        case Kind::TimedOut:
            return "The server did not answer in time. It may be busy or unreachable from this "
                   "network.";
        case Kind::Certificate:
            return "The secure connection to the server could not be set up, or its "
                   "certificate cannot be trusted.";
        case Kind::NoConnection:
            return "The network could not reach the server. Check that this computer is "
                   "connected to the network.";
        case Kind::Other:
            break;
    }
    return "The page could not be loaded.";
}

namespace {
std::string page(const std::string& title, const std::string& explanation, const std::string& url,
                 const std::string& detail, const std::string& buttons) {
    return "<!doctype html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>" +
           escaped(title) +
           "</title><style>"
           ":root { color-scheme: light dark; }"
           "body { font-family: sans-serif; max-width: 40em; margin: 4em auto; padding: 0 1em;"
           " color: #222; background: #fafafa; line-height: 1.5; }"
           "h1 { font-weight: 500; font-size: 1.6em; }"
           ".address { font-family: monospace; word-break: break-all; color: #555; }"
           ".detail { color: #777; font-size: .85em; }"
           "a.button { display: inline-block; margin: 1.5em 1em 0 0; padding: .5em 1.2em;"
           " border-radius: 6px; background: #3584e4; color: #fff; text-decoration: none; }"
           "a.button.quiet { background: transparent; color: #3584e4; border: 1px solid #3584e4; }"
           "@media (prefers-color-scheme: dark) { body { color: #eee; background: #242424; }"
           " .address { color: #bbb; } .detail { color: #999; } }"
           "</style></head><body><h1>" +
           escaped(title) + "</h1><p>" + escaped(explanation) + "</p><p class=\"address\">" +
           escaped(url) + "</p><p class=\"detail\">" + escaped(detail) + "</p>" + buttons +
           "</body></html>";
}

}  // namespace

std::string ErrorPage::html(Kind kind, const std::string& url, const std::string& detail) {
    return page(heading(kind, Url::hostOf(url)), explanation(kind), url, detail,
                "<a class=\"button\" id=\"try-again\" href=\"" + escaped(url) + "\">Try Again</a>");
}

ErrorPage::CertificateProblem ErrorPage::certificateProblem(unsigned flags) {
    if (flags & (G_TLS_CERTIFICATE_REVOKED | G_TLS_CERTIFICATE_INSECURE)) {
        return {flags & G_TLS_CERTIFICATE_REVOKED
                    ? "Its certificate has been revoked by the authority that issued it."
                    : "Its certificate uses a method the system no longer trusts.",
                false};
    }
    std::string text;
    if (flags & G_TLS_CERTIFICATE_BAD_IDENTITY) {
        text += "Its certificate was made for another host. ";
    }
    if (flags & G_TLS_CERTIFICATE_EXPIRED) {
        text += "Its certificate has expired. ";
    }
    if (flags & G_TLS_CERTIFICATE_NOT_ACTIVATED) {
        text += "Its certificate is not valid yet. ";
    }
    if (flags & G_TLS_CERTIFICATE_UNKNOWN_CA) {
        text += "Its certificate is self-signed or comes from an unknown authority. ";
    }
    if (text.empty()) {
        text = "Its certificate could not be checked. ";
    }
    text += "Someone may be pretending to be this site.";
    return {text, true};
}

std::string ErrorPage::certificateHtml(const std::string& url, const CertificateProblem& problem,
                                       const std::string& continueHref) {
    std::string buttons =
        "<a class=\"button\" id=\"try-again\" href=\"" + escaped(url) + "\">Try Again</a>";
    if (problem.mayContinue) {
        buttons += "<a class=\"button quiet\" id=\"continue\" href=\"" + escaped(continueHref) +
                   "\">Continue to " + escaped(Url::hostOf(url)) + " anyway</a>";
    }
    return page("This connection to " + Url::hostOf(url) + " is not private", problem.text, url, "",
                buttons);
}
