#include "autofill/NotificationRequest.h"

#include <glib.h>

namespace {
// Cut at a character boundary, so what is left is still UTF-8.
std::string cut(const std::string& text) {
    if (text.size() <= NotificationRequest::kMaxText) {
        return text;
    }
    const char* end =
        g_utf8_find_prev_char(text.c_str(), text.c_str() + NotificationRequest::kMaxText + 1);
    return text.substr(0, end ? static_cast<size_t>(end - text.c_str()) : 0);
}

std::optional<std::string> text(const nlohmann::json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_string()) {
        return std::nullopt;
    }
    return cut(it->get<std::string>());
}
}  // namespace

std::optional<NotificationRequest> NotificationRequest::parse(const nlohmann::json& body) {
    if (!body.is_array() || body.empty() || !body[0].is_string()) {
        return std::nullopt;
    }
    NotificationRequest request;
    request.title = cut(body[0].get<std::string>());
    const nlohmann::json options =
        body.size() >= 2 && body[1].is_object() ? body[1] : nlohmann::json::object();
    request.message = text(options, "body").value_or("");
    if (auto actions = options.find("actions"); actions != options.end() && actions->is_array()) {
        for (const nlohmann::json& action : *actions) {
            if (!action.is_object()) {
                continue;
            }
            auto identifier = text(action, "action");
            if (!identifier) {
                continue;  // an action without its name cannot be told apart
            }
            if (request.actions.size() == kMaxActions) {
                break;
            }
            VLNotificationActionInfo info;
            info.setIdentifier(*identifier);
            info.setTitle(text(action, "title").value_or(*identifier));
            request.actions.push_back(std::move(info));
        }
    }
    if (body.size() >= 3 && body[2].is_number_integer() && body[2].get<long>() >= 0) {
        request.pageNumber = body[2].get<long>();
    }
    return request;
}
