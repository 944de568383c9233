#include "LocalHttpServer.h"

#include <libsoup/soup.h>

#include <stdexcept>

// One response on its way out.
struct LocalHttpServer::Stream {
    LocalHttpServer* server;
    SoupServerMessage* message;  // referenced while the stream exists
    std::function<std::optional<std::string>()> next;
    bool held = false;
    bool wroteBody = false;
};

namespace {
void appendOwned(SoupMessageBody* body, std::string piece) {
    auto* owned = new std::string(std::move(piece));  // owned by the GBytes
    GBytes* bytes = g_bytes_new_with_free_func(
        owned->data(), owned->size(), [](gpointer p) { delete static_cast<std::string*>(p); },
        owned);
    soup_message_body_append_bytes(body, bytes);
    g_bytes_unref(bytes);
}
}  // namespace

std::optional<std::string> LocalHttpServer::Request::header(const std::string& name) const {
    std::optional<std::string> joined;
    for (const auto& [key, value] : headers) {
        if (g_ascii_strcasecmp(key.c_str(), name.c_str()) == 0) {
            joined = joined ? *joined + ", " + value : value;
        }
    }
    return joined;
}

LocalHttpServer::LocalHttpServer(bool https) : scheme_(https ? "https" : "http") {
    GTlsCertificate* certificate = nullptr;
    GError* error = nullptr;
    if (https) {
        // A self-signed certificate for localhost, kept with the tests.
        const std::string folder = std::string(SITEBOX_SOURCE_DIR) + "/tests/support/tls/";
        certificate =
            g_tls_certificate_new_from_files((folder + "localhost-cert.pem").c_str(),
                                             (folder + "localhost-key.pem").c_str(), &error);
        if (!certificate) {
            std::string text = error->message;
            g_error_free(error);
            throw std::runtime_error("test certificate unreadable: " + text);
        }
    }
    server_ = soup_server_new("server-header", "LocalHttpServer", "tls-certificate", certificate,
                              nullptr);
    if (certificate) {
        g_object_unref(certificate);
    }
    const auto options = static_cast<SoupServerListenOptions>(
        SOUP_SERVER_LISTEN_IPV4_ONLY | (https ? SOUP_SERVER_LISTEN_HTTPS : 0));
    if (!soup_server_listen_local(server_, 0, options, &error)) {
        std::string text = error->message;
        g_error_free(error);
        throw std::runtime_error("local HTTP server cannot listen: " + text);
    }
    GSList* uris = soup_server_get_uris(server_);
    if (uris) {
        port_ = static_cast<unsigned>(g_uri_get_port(static_cast<GUri*>(uris->data)));
    }
    g_slist_free_full(uris, reinterpret_cast<GDestroyNotify>(g_uri_unref));
    soup_server_add_handler(server_, nullptr, &LocalHttpServer::onRequest, this, nullptr);
}

LocalHttpServer::~LocalHttpServer() {
    for (Stream* stream : streams_) {
        g_signal_handlers_disconnect_by_data(stream->message, stream);
        g_object_unref(stream->message);
        delete stream;
    }
    soup_server_disconnect(server_);
    g_object_unref(server_);
}

void LocalHttpServer::handle(const std::string& path, Handler handler) {
    handlers_[path] = std::move(handler);
}

void LocalHttpServer::serve(const std::string& path, std::string body, std::string contentType) {
    handle(path, [body = std::move(body), contentType = std::move(contentType)](const Request&) {
        Response response;
        response.body = body;
        response.contentType = contentType;
        return response;
    });
}

std::string LocalHttpServer::url(const std::string& path) const {
    // A TLS server's certificate names localhost.
    return scheme_ == "https" ? "https://localhost:" + std::to_string(port_) + path
                              : "http://127.0.0.1:" + std::to_string(port_) + path;
}

size_t LocalHttpServer::requestCount(const std::string& path) const {
    size_t count = 0;
    for (const Request& request : requests_) {
        count += request.path == path ? 1 : 0;
    }
    return count;
}

void LocalHttpServer::onRequest(SoupServer*, SoupServerMessage* message, const char* path,
                                GHashTable*, void* self) {
    static_cast<LocalHttpServer*>(self)->answer(message, path);
}

void LocalHttpServer::answer(SoupServerMessage* message, const char* path) {
    Request request;
    request.path = path;
    // Requests that arrive as a proxy's (absolute URI) keep the host they were meant for.
    if (const char* host = g_uri_get_host(soup_server_message_get_uri(message))) {
        request.host = host;
    }
    if (const char* query = g_uri_get_query(soup_server_message_get_uri(message))) {
        request.query = query;
    }
    soup_message_headers_foreach(
        soup_server_message_get_request_headers(message),
        [](const char* name, const char* value, gpointer headers) {
            static_cast<std::vector<std::pair<std::string, std::string>>*>(headers)->emplace_back(
                name, value);
        },
        &request.headers);
    SoupMessageBody* requestBody = soup_server_message_get_request_body(message);
    if (requestBody && requestBody->data) {
        request.body.assign(requestBody->data, static_cast<size_t>(requestBody->length));
    }
    requests_.push_back(request);

    Response response;
    auto handler = handlers_.find(request.path);
    if (handler == handlers_.end()) {
        response.status = 404;
        response.contentType = "text/plain";
        response.body = "no such path";
    } else {
        response = handler->second(request);
    }

    soup_server_message_set_status(message, response.status, nullptr);
    SoupMessageHeaders* headers = soup_server_message_get_response_headers(message);
    for (const auto& [name, value] : response.headers) {
        soup_message_headers_append(headers, name.c_str(), value.c_str());
    }
    if (!response.next) {
        response.contentLength = static_cast<int64_t>(response.body.size());
        response.next = [body = std::move(response.body), sent = false]() mutable {
            return std::optional<std::string>(std::exchange(sent, true) ? "" : std::move(body));
        };
    }
    soup_message_headers_set_content_type(headers, response.contentType.c_str(), nullptr);
    if (response.contentLength) {
        soup_message_headers_set_content_length(headers, *response.contentLength);
    } else {
        soup_message_headers_set_encoding(headers, SOUP_ENCODING_CHUNKED);
    }
    startStream(message, std::move(response.next));
}

void LocalHttpServer::startStream(SoupServerMessage* message,
                                  std::function<std::optional<std::string>()> next) {
    auto* stream = new Stream{this, message, std::move(next)};  // owned by streams_
    g_object_ref(message);
    streams_.insert(stream);
    peakOpen_ = std::max(peakOpen_, ++open_);
    // Written pieces are dropped, so a long body does not pile up in memory.
    soup_message_body_set_accumulate(soup_server_message_get_response_body(message), FALSE);
    auto write =
        +[](SoupServerMessage* m, gpointer data) { writeNext(m, static_cast<Stream*>(data)); };
    g_signal_connect(message, "wrote-headers", G_CALLBACK(write), stream);
    g_signal_connect(message, "wrote-chunk", G_CALLBACK(write), stream);
    g_signal_connect(message, "wrote-body", G_CALLBACK(+[](SoupServerMessage*, gpointer data) {
                         static_cast<Stream*>(data)->wroteBody = true;
                     }),
                     stream);
    g_signal_connect(message, "finished", G_CALLBACK(+[](SoupServerMessage* m, gpointer data) {
                         auto* s = static_cast<Stream*>(data);
                         LocalHttpServer* server = s->server;
                         --server->open_;
                         server->broken_ += s->wroteBody ? 0 : 1;
                         server->streams_.erase(s);
                         g_signal_handlers_disconnect_by_data(m, s);
                         g_object_unref(s->message);
                         delete s;
                     }),
                     stream);
}

void LocalHttpServer::writeNext(SoupServerMessage* message, Stream* stream) {
    std::optional<std::string> piece = stream->next();
    if (!piece) {
        // Nothing to write: the response pauses itself until resume().
        stream->held = true;
        return;
    }
    SoupMessageBody* body = soup_server_message_get_response_body(message);
    if (piece->empty()) {
        soup_message_body_complete(body);
    } else {
        appendOwned(body, std::move(*piece));
    }
    if (std::exchange(stream->held, false)) {
        soup_server_message_unpause(message);
    }
}

void LocalHttpServer::resume() {
    std::vector<Stream*> held;
    for (Stream* stream : streams_) {
        if (stream->held) {
            held.push_back(stream);
        }
    }
    for (Stream* stream : held) {
        writeNext(stream->message, stream);
    }
}

void FedBody::push(std::string piece) {
    if (!piece.empty()) {
        pieces_->push_back(std::move(piece));
    }
    server_.resume();
}

void FedBody::end() {
    *ended_ = true;
    server_.resume();
}

std::function<std::optional<std::string>()> FedBody::producer() {
    return [pieces = pieces_, ended = ended_,
            taken = size_t{0}]() mutable -> std::optional<std::string> {
        if (taken < pieces->size()) {
            return (*pieces)[taken++];
        }
        if (*ended) {
            return std::string();
        }
        return std::nullopt;
    };
}
