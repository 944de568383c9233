#include "autofill/AutoFillMessage.h"

#include <cmath>
#include <map>

namespace {
using Event = AutoFillMessage::Event;

struct Shape {
    Event event;
    // What follows the name: a text, a position, a login, a key code, or nothing.
    bool text = false;
    bool position = false;
    bool login = false;
    bool key = false;
};

const std::map<std::string, Shape>& shapes() {
    static const std::map<std::string, Shape> table = {
        {"onLoginFound", {Event::LoginFound, false, false, true, false}},
        {"onUsernameChange", {Event::UsernameChange, true, true, false, false}},
        {"onPasswordChange", {Event::PasswordChange, true, true, false, false}},
        {"onUsernameFocused", {Event::UsernameFocused, false, true, false, false}},
        {"onPasswordFocused", {Event::PasswordFocused, false, true, false, false}},
        {"onUsernameBlurred", {Event::UsernameBlurred}},
        {"onPasswordBlurred", {Event::PasswordBlurred}},
        {"onKeyUp", {Event::KeyUp, false, false, false, true}},
    };
    return table;
}

bool shortText(const nlohmann::json& value) {
    return value.is_string() &&
           value.get_ref<const std::string&>().size() <= AutoFillMessage::kMaxText;
}

std::optional<double> finite(const nlohmann::json& object, const char* key) {
    auto it = object.find(key);
    if (it == object.end() || !it->is_number()) {
        return std::nullopt;
    }
    const double value = it->get<double>();
    return std::isfinite(value) ? std::optional<double>(value) : std::nullopt;
}
}  // namespace

std::optional<AutoFillMessage> AutoFillMessage::parse(const nlohmann::json& body) {
    if (!body.is_array() || body.size() < 2 || !body[0].is_string()) {
        return std::nullopt;
    }
    auto shape = shapes().find(body[0].get<std::string>());
    if (shape == shapes().end()) {
        return std::nullopt;
    }
    const Shape& s = shape->second;
    const size_t arguments = (s.text ? 1 : 0) + (s.position ? 1 : 0) + (s.login || s.key ? 1 : 0);
    if (body.size() != arguments + 2) {
        return std::nullopt;
    }
    // The frame comes last.
    const nlohmann::json& frame = body.back();
    if (!frame.is_object() || !frame.contains("origin") || !shortText(frame["origin"]) ||
        !frame.contains("url") || !shortText(frame["url"]) || !frame.contains("top") ||
        !frame["top"].is_boolean()) {
        return std::nullopt;
    }
    AutoFillMessage message;
    message.event = s.event;
    message.origin = frame["origin"].get<std::string>();
    message.frameUrl = frame["url"].get<std::string>();
    message.topFrame = frame["top"].get<bool>();
    size_t next = 1;
    if (s.text) {
        if (!shortText(body[next])) {
            return std::nullopt;
        }
        message.text = body[next++].get<std::string>();
    }
    if (s.position) {
        const nlohmann::json& position = body[next++];
        auto left = position.is_object() ? finite(position, "left") : std::nullopt;
        auto top = position.is_object() ? finite(position, "top") : std::nullopt;
        if (!left || !top) {
            return std::nullopt;
        }
        message.position = {*left, *top};
    }
    if (s.login) {
        const nlohmann::json& login = body[next++];
        if (!login.is_object()) {
            return std::nullopt;
        }
        for (auto [key, field] :
             {std::pair{"username", &message.username}, std::pair{"password", &message.password}}) {
            if (auto it = login.find(key); it != login.end()) {
                if (!shortText(*it)) {
                    return std::nullopt;
                }
                *field = it->get<std::string>();
            }
        }
    }
    if (s.key) {
        if (!body[next].is_number_integer()) {
            return std::nullopt;
        }
        message.keyCode = body[next++].get<long>();
    }
    return message;
}
