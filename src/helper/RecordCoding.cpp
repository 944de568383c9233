#include "helper/RecordCoding.h"

#include <algorithm>

#include "foundation/Log.h"
#include "helper/WireValue.h"

RecordEncoder::RecordEncoder() {
    g_variant_builder_init(&builder_, G_VARIANT_TYPE_VARDICT);
}

RecordEncoder::~RecordEncoder() {
    if (!finished_) {
        g_variant_builder_clear(&builder_);
    }
}

void RecordEncoder::encodeString(const std::optional<std::string>& value, const char* key) {
    if (value) {
        encodeValue(WireValue::string(*value), key);
    }
}

void RecordEncoder::encodeUrl(const std::optional<Url>& value, const char* key) {
    if (value) {
        encodeValue(WireValue::url(value), key);
    }
}

void RecordEncoder::encodeValue(const VariantRef& value, const char* key) {
    if (value) {
        g_variant_builder_add(&builder_, "{sv}", key, value.get());
    }
}

VariantRef RecordEncoder::finish() {
    finished_ = true;
    return VariantRef::adopt(g_variant_builder_end(&builder_));
}

RecordDecoder::RecordDecoder(GVariant* record, std::string recordName)
    : name_(std::move(recordName)) {
    if (!record || !g_variant_is_of_type(record, G_VARIANT_TYPE_VARDICT)) {
        refuse("a dictionary of type a{sv} is expected, not " + WireValue::describe(record));
        return;
    }
    record_ = VariantRef::retain(record);
}

void RecordDecoder::refuse(const std::string& why) {
    if (refusal_.empty()) {
        refusal_ = name_ + ": " + why;
    }
}

VariantRef RecordDecoder::lookup(const char* key) const {
    if (!record_) {
        return {};
    }
    return VariantRef::adopt(g_variant_lookup_value(record_.get(), key, nullptr));
}

void RecordDecoder::logWrongType(const char* key, GVariant* value, const char* expected) const {
    Log::warning(name_, ": \"", key, "\" holds a value of ", WireValue::describe(value),
                 " instead of ", expected, "; the field is left absent");
}

std::optional<std::string> RecordDecoder::decodeString(const char* key) {
    VariantRef value = lookup(key);
    if (!value) {
        return std::nullopt;
    }
    if (!g_variant_is_of_type(value.get(), G_VARIANT_TYPE_STRING)) {
        logWrongType(key, value.get(), "a string");
        return std::nullopt;
    }
    return WireValue::decodeString(value.get(), name_ + " \"" + key + "\"");
}

std::optional<Url> RecordDecoder::decodeUrl(const char* key) {
    VariantRef value = lookup(key);
    if (!value) {
        return std::nullopt;
    }
    if (!WireValue::isUrl(value.get())) {
        logWrongType(key, value.get(), "a URL");
        return std::nullopt;
    }
    return WireValue::decodeUrl(value.get(), name_ + " \"" + key + "\"");
}

bool RecordCoding::isDictionary(GVariant* value) {
    return value && g_variant_is_of_type(value, G_VARIANT_TYPE_VARDICT);
}

bool RecordCoding::hasOnlyKeys(GVariant* dictionary, const std::vector<std::string>& keys) {
    GVariantIter iter;
    g_variant_iter_init(&iter, dictionary);
    const char* key = nullptr;
    GVariant* value = nullptr;
    // g_variant_iter_loop frees the previous key and value on each step and on a full run.
    while (g_variant_iter_loop(&iter, "{&sv}", &key, &value)) {
        if (std::find(keys.begin(), keys.end(), key) == keys.end()) {
            g_variant_unref(value);
            return false;
        }
    }
    return true;
}
