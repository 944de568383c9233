#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

typedef struct _SoupServer SoupServer;
typedef struct _SoupServerMessage SoupServerMessage;

// An HTTP server on 127.0.0.1 with a port from the system, running on the main loop of the test
// process; it also answers as an HTTP proxy, so requests for any host name can reach it.
// Bodies are sent whole, or streamed piece by piece (with or without a Content-Length) and held
// back until the test lets them go on.
class LocalHttpServer {
  public:
    struct Request {
        std::string host;  // as the request named it (any host when used as a proxy)
        std::string path;
        std::string query;
        std::vector<std::pair<std::string, std::string>> headers;
        std::string body;
        // Case-insensitive; repeated headers joined with ", ".
        std::optional<std::string> header(const std::string& name) const;
    };

    struct Response {
        unsigned status = 200;
        std::string contentType = "application/octet-stream";
        std::vector<std::pair<std::string, std::string>> headers;
        // Sent whole, with its Content-Length, when `next` is not set.
        std::string body;
        // Streams the body instead: called for the next piece each time the previous one has
        // been written; an empty piece ends the body, nullopt holds the response until resume().
        std::function<std::optional<std::string>()> next;
        // With `next`: the Content-Length to announce; absent sends the body chunked.
        std::optional<int64_t> contentLength;
    };

    using Handler = std::function<Response(const Request&)>;

    // With `https`, it speaks TLS with a self-signed certificate for localhost.
    explicit LocalHttpServer(bool https = false);
    ~LocalHttpServer();
    LocalHttpServer(const LocalHttpServer&) = delete;
    LocalHttpServer& operator=(const LocalHttpServer&) = delete;

    // Exact path ("/file.bin"); other paths get 404.
    void handle(const std::string& path, Handler handler);
    // Shorthand for a whole body.
    void serve(const std::string& path, std::string body,
               std::string contentType = "application/octet-stream");

    unsigned port() const { return port_; }
    // "http://127.0.0.1:<port><path>", or "https://localhost:<port><path>"
    std::string url(const std::string& path) const;

    const std::vector<Request>& requests() const { return requests_; }
    size_t requestCount(const std::string& path) const;
    // Responses started and not finished (written out or broken off), now and at most so far.
    size_t openResponses() const { return open_; }
    size_t peakOpenResponses() const { return peakOpen_; }
    // Responses that ended before their whole body was written (the client went away).
    size_t brokenResponses() const { return broken_; }
    // Asks every held stream for its next piece again.
    void resume();

  private:
    struct Stream;
    static void onRequest(SoupServer*, SoupServerMessage* message, const char* path,
                          struct _GHashTable*, void* self);
    void answer(SoupServerMessage* message, const char* path);
    void startStream(SoupServerMessage* message, std::function<std::optional<std::string>()> next);
    static void writeNext(SoupServerMessage* message, Stream* stream);

    std::string scheme_;
    SoupServer* server_ = nullptr;
    unsigned port_ = 0;
    std::map<std::string, Handler> handlers_;
    std::vector<Request> requests_;
    std::set<Stream*> streams_;
    size_t open_ = 0;
    size_t peakOpen_ = 0;
    size_t broken_ = 0;
};

// Body pieces that a test feeds to a streamed response while it is open (a slow server).
class FedBody {
  public:
    explicit FedBody(LocalHttpServer& server) : server_(server) {}
    void push(std::string piece);
    void end();
    // For Response::next.
    std::function<std::optional<std::string>()> producer();

  private:
    LocalHttpServer& server_;
    std::shared_ptr<std::vector<std::string>> pieces_ =
        std::make_shared<std::vector<std::string>>();
    std::shared_ptr<bool> ended_ = std::make_shared<bool>(false);
};
