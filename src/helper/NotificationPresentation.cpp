#include "helper/NotificationPresentation.h"

#include <charconv>

NotificationContent NotificationPresentation::contentFor(const VLNotificationInfo& info) {
    NotificationContent content;
    content.summary = info.title().value_or(std::string());
    for (const std::optional<std::string>& line : {info.subTitle(), info.message()}) {
        if (!line || line->empty()) {
            continue;
        }
        if (!content.body.empty()) {
            content.body += "\n";
        }
        content.body += *line;
    }
    const auto& actions = info.actions();
    if (!actions || actions->empty()) {
        return content;
    }
    content.buttons.push_back({kCloseButton, kCloseTitle});
    if (actions->size() == 1) {
        content.buttons.push_back({kActionButton, actions->front().title().value_or("")});
        return content;
    }
    for (std::size_t i = 0; i < actions->size(); ++i) {
        content.buttons.push_back({std::to_string(i), (*actions)[i].title().value_or("")});
    }
    return content;
}

NotificationPresentation::Outcome NotificationPresentation::outcomeFor(
    const std::optional<std::string>& button, const VLNotificationInfo* entry) {
    if (!button) {
        return {Reaction::activated, std::nullopt};
    }
    if (*button == kCloseButton) {
        return {Reaction::dismissed, std::nullopt};
    }
    if (!entry || !entry->actions() || entry->actions()->empty()) {
        return {Reaction::activated, std::nullopt};
    }
    const auto& actions = *entry->actions();
    if (*button == kActionButton) {
        return {Reaction::activated, actions.front().identifier()};
    }
    std::size_t index = 0;
    auto [end, error] = std::from_chars(button->data(), button->data() + button->size(), index);
    // A position outside the request (or any other text) names no action.
    if (error != std::errc() || end != button->data() + button->size() || index >= actions.size()) {
        return {Reaction::activated, std::nullopt};
    }
    return {Reaction::activated, actions[index].identifier()};
}
