#pragma once

#include <glib.h>

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "foundation/Url.h"
#include "helper/VariantRef.h"

// A record crosses as an a{sv} dictionary: one entry per present field under its archive key.
class RecordEncoder {
  public:
    RecordEncoder();
    ~RecordEncoder();
    RecordEncoder(const RecordEncoder&) = delete;
    RecordEncoder& operator=(const RecordEncoder&) = delete;

    // An absent value writes nothing.
    void encodeString(const std::optional<std::string>& value, const char* key);
    void encodeUrl(const std::optional<Url>& value, const char* key);
    void encodeValue(const VariantRef& value, const char* key);
    VariantRef finish();

  private:
    GVariantBuilder builder_;
    bool finished_ = false;
};

// Reads a record key by key with a type check: a missing key or a value of another type leaves
// the field absent (the latter with a log line). Structural faults (the record is no dictionary,
// an array holds something other than the expected records) refuse the whole record.
class RecordDecoder {
  public:
    RecordDecoder(GVariant* record, std::string recordName);

    std::optional<std::string> decodeString(const char* key);
    std::optional<Url> decodeUrl(const char* key);
    // Any array is accepted as the array; its elements must all be `Record`s.
    template <class Record>
    std::optional<std::vector<Record>> decodeRecords(const char* key, std::size_t maxCount);

    bool refused() const { return !refusal_.empty(); }
    const std::string& refusal() const { return refusal_; }
    void refuse(const std::string& why);

  private:
    // The value under `key` taken out of its variant; nothing when the key is missing.
    VariantRef lookup(const char* key) const;
    void logWrongType(const char* key, GVariant* value, const char* expected) const;

    VariantRef record_;
    std::string name_;
    std::string refusal_;
};

// Whole records and arrays of records; decoding fills `refusal` when it refuses.
class RecordCoding {
  public:
    template <class Record>
    static VariantRef encode(const Record& record) {
        RecordEncoder coder;
        record.encodeWithCoder(coder);
        return coder.finish();
    }

    template <class Record>
    static std::optional<Record> decode(GVariant* value, std::string* refusal) {
        RecordDecoder coder(value, Record::className());
        Record record(coder);
        if (coder.refused()) {
            if (refusal) {
                *refusal = coder.refusal();
            }
            return std::nullopt;
        }
        return record;
    }

    template <class Record>
    static VariantRef encodeArray(const std::vector<Record>& records) {
        GVariantBuilder builder;
        g_variant_builder_init(&builder, G_VARIANT_TYPE("aa{sv}"));
        for (const Record& record : records) {
            VariantRef element = encode(record);
            g_variant_builder_add_value(&builder, element.get());
        }
        return VariantRef::adopt(g_variant_builder_end(&builder));
    }

    // Every element must be a dictionary that holds only `Record`'s keys: anything else (another
    // record, a string, a nested dictionary of another shape) refuses the whole array.
    template <class Record>
    static std::optional<std::vector<Record>> decodeArray(GVariant* array, std::size_t maxCount,
                                                          std::string* refusal);

  private:
    static bool isDictionary(GVariant* value);
    static bool hasOnlyKeys(GVariant* dictionary, const std::vector<std::string>& keys);
};

template <class Record>
std::optional<std::vector<Record>> RecordCoding::decodeArray(GVariant* array, std::size_t maxCount,
                                                             std::string* refusal) {
    auto refuse = [&](const std::string& why) -> std::optional<std::vector<Record>> {
        if (refusal) {
            *refusal = why;
        }
        return std::nullopt;
    };
    if (!array || !g_variant_is_of_type(array, G_VARIANT_TYPE_ARRAY)) {
        return refuse(std::string("an array of ") + Record::className() + " is expected");
    }
    std::size_t count = g_variant_n_children(array);
    if (count > maxCount) {
        return refuse("an array of " + std::to_string(count) + " " + Record::className() +
                      " is over the limit of " + std::to_string(maxCount));
    }
    std::vector<Record> records;
    records.reserve(count);
    for (std::size_t i = 0; i < count; ++i) {
        VariantRef element = VariantRef::adopt(g_variant_get_child_value(array, i));
        if (!isDictionary(element.get()) || !hasOnlyKeys(element.get(), Record::archiveKeys())) {
            return refuse("element " + std::to_string(i) + " is not a " + Record::className());
        }
        std::string why;
        std::optional<Record> record = decode<Record>(element.get(), &why);
        if (!record) {
            return refuse("element " + std::to_string(i) + ": " + why);
        }
        records.push_back(std::move(*record));
    }
    return records;
}

template <class Record>
std::optional<std::vector<Record>> RecordDecoder::decodeRecords(const char* key,
                                                                std::size_t maxCount) {
    if (refused()) {
        return std::nullopt;
    }
    VariantRef value = lookup(key);
    if (!value) {
        return std::nullopt;
    }
    if (!g_variant_is_of_type(value.get(), G_VARIANT_TYPE_ARRAY)) {
        logWrongType(key, value.get(), "an array");
        return std::nullopt;
    }
    std::string why;
    auto records = RecordCoding::decodeArray<Record>(value.get(), maxCount, &why);
    if (!records) {
        refuse(std::string("\"") + key + "\": " + why);
    }
    return records;
}
