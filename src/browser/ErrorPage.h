#pragma once

#include <string>

// The app's own page for an address that could not be loaded: what failed in plain words, the
// address, and a "Try Again" link back to it. It needs no script, so it works with the site's
// JavaScript switched off.
class ErrorPage {
  public:
    enum class Kind { NoConnection, HostNotFound, Refused, TimedOut, Certificate, Other };

    // The kind of a load failure from its error domain (the quark's text) and code.
    static Kind kindOf(const std::string& domain, int code);
    static std::string heading(Kind kind, const std::string& host);
    static std::string explanation(Kind kind);
    // The whole page; `detail` is the engine's own message, shown small.
    static std::string html(Kind kind, const std::string& url, const std::string& detail);

    // What is wrong with a server's certificate, in plain words, and whether the user may go on
    // anyway (not for a revoked or distrusted one).
    struct CertificateProblem {
        std::string text;
        bool mayContinue = true;
    };
    static CertificateProblem certificateProblem(unsigned flags);
    // The page for a certificate with errors: the host, the problem, and a "Continue" link to
    // `continueHref` when the user may go on.
    static std::string certificateHtml(const std::string& url, const CertificateProblem& problem,
                                       const std::string& continueHref);
};
