#include "helper/WireValue.h"

#include <algorithm>

#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"

VariantRef WireValue::string(std::string_view text) {
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        return VariantRef::adopt(g_variant_new_string(std::string(text).c_str()));
    }
    Log::warningLine("text that is not valid UTF-8 is sent with its invalid bytes replaced");
    GCharPtr valid(g_utf8_make_valid(text.data(), static_cast<gssize>(text.size())));
    return VariantRef::adopt(g_variant_new_string(valid.get()));
}

VariantRef WireValue::url(const std::optional<Url>& url) {
    VariantRef text = string(url ? url->absoluteString() : std::string());
    GVariant* fields[] = {text.get()};
    return VariantRef::adopt(g_variant_new_tuple(fields, 1));
}

VariantRef WireValue::optionalString(const std::optional<std::string>& text) {
    VariantRef value = string(text.value_or(std::string()));
    GVariant* fields[] = {g_variant_new_boolean(text.has_value()), value.get()};
    return VariantRef::adopt(g_variant_new_tuple(fields, 2));
}

std::optional<std::string> WireValue::decodeString(GVariant* value, std::string_view what) {
    if (!value || !g_variant_is_of_type(value, G_VARIANT_TYPE_STRING)) {
        return std::nullopt;
    }
    gsize length = 0;
    const char* text = g_variant_get_string(value, &length);
    if (length > kMaxTextLength) {
        Log::warning(what, ": a text of ", length, " bytes is over the limit of ", kMaxTextLength,
                     " and is left absent");
        return std::nullopt;
    }
    return std::string(text, length);
}

bool WireValue::isUrl(GVariant* value) {
    return value && g_variant_is_of_type(value, G_VARIANT_TYPE(kUrlType));
}

std::optional<Url> WireValue::decodeUrl(GVariant* value, std::string_view what) {
    if (!isUrl(value)) {
        return std::nullopt;
    }
    VariantRef child = VariantRef::adopt(g_variant_get_child_value(value, 0));
    gsize length = 0;
    const char* text = g_variant_get_string(child.get(), &length);
    if (length == 0) {
        return std::nullopt;
    }
    if (length > kMaxUrlLength) {
        Log::warning(what, ": a URL of ", length, " bytes is over the limit of ", kMaxUrlLength,
                     " and is left absent");
        return std::nullopt;
    }
    std::optional<Url> url = Url::parse(std::string(text, length));
    if (!url) {
        Log::warning(what, ": \"", std::string_view(text, std::min<gsize>(length, 200)),
                     "\" is not a URL and is left absent");
    }
    return url;
}

std::optional<std::string> WireValue::decodeOptionalString(GVariant* value, std::string_view what) {
    if (!value || !g_variant_is_of_type(value, G_VARIANT_TYPE(kOptionalStringType))) {
        return std::nullopt;
    }
    VariantRef present = VariantRef::adopt(g_variant_get_child_value(value, 0));
    if (!g_variant_get_boolean(present.get())) {
        return std::nullopt;
    }
    VariantRef text = VariantRef::adopt(g_variant_get_child_value(value, 1));
    return decodeString(text.get(), what);
}

std::string WireValue::describe(GVariant* value) {
    if (!value) {
        return "nothing";
    }
    return std::string("type '") + g_variant_get_type_string(value) + "'";
}
