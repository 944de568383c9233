#pragma once

#include <optional>
#include <string>

// A URL as text plus its parts, read the way the platform's URL class reads a string: text with
// characters that may not appear in a URL (blanks, quotes, angle brackets, non-ASCII, a stray
// %) is no URL at all; text without a scheme is a relative URL that is only a path.
class Url {
  public:
    static std::optional<Url> parse(const std::string& text);
    // The host of an address; empty when it has none or does not parse.
    static std::string hostOf(const std::string& text);

    const std::string& absoluteString() const { return text_; }
    bool isAbsolute() const { return !scheme_.empty(); }
    const std::string& scheme() const { return scheme_; }
    const std::string& host() const { return host_; }
    std::optional<int> port() const { return port_; }
    const std::string& path() const { return path_; }
    const std::string& query() const { return query_; }
    const std::string& fragment() const { return fragment_; }
    const std::string& user() const { return user_; }

    bool operator==(const Url& other) const { return text_ == other.text_; }

  private:
    std::string text_;
    std::string scheme_;
    std::string host_;
    std::optional<int> port_;
    std::string path_;
    std::string query_;
    std::string fragment_;
    std::string user_;
};
