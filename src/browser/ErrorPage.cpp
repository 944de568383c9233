#include "browser/ErrorPage.h"

#include <gio/gio.h>

#include "foundation/Url.h"

namespace {
std::string escaped(const std::string& text) {
    std::string out;
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&#39;";
                break;
            default:
                out += c;
        }
    }
    return out;
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

std::string ErrorPage::html(Kind kind, const std::string& url, const std::string& detail) {
    auto parsed = Url::parse(url);
    const std::string title = heading(kind, parsed ? parsed->host() : std::string());
    return "<!doctype html><html lang=\"en\"><head><meta charset=\"utf-8\"><title>" +
           escaped(title) +
           "</title><style>"
           ":root { color-scheme: light dark; }"
           "body { font-family: sans-serif; max-width: 40em; margin: 4em auto; padding: 0 1em;"
           " color: #222; background: #fafafa; line-height: 1.5; }"
           "h1 { font-weight: 500; font-size: 1.6em; }"
           ".address { font-family: monospace; word-break: break-all; color: #555; }"
           ".detail { color: #777; font-size: .85em; }"
           "a.button { display: inline-block; margin-top: 1.5em; padding: .5em 1.2em;"
           " border-radius: 6px; background: #3584e4; color: #fff; text-decoration: none; }"
           "@media (prefers-color-scheme: dark) { body { color: #eee; background: #242424; }"
           " .address { color: #bbb; } .detail { color: #999; } }"
           "</style></head><body><h1>" +
           escaped(title) + "</h1><p>" + escaped(explanation(kind)) + "</p><p class=\"address\">" +
           escaped(url) + "</p><p class=\"detail\">" + escaped(detail) +
           "</p><a class=\"button\" id=\"try-again\" href=\"" + escaped(url) +
           "\">Try Again</a></body></html>";
}
