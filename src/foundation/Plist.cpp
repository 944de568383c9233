#include "foundation/Plist.h"

#include <plist/plist.h>

#include <cstdint>
#include <ctime>
#include <limits>
#include <memory>

#include "foundation/Files.h"

namespace {
struct PlistDeleter {
    void operator()(plist_t node) const { plist_free(node); }
};
using PlistPtr = std::unique_ptr<void, PlistDeleter>;

// Apple's reference date is 2001-01-01.
constexpr int64_t kAppleEpochOffset = 978307200;

nlohmann::json toJson(plist_t node, int depth) {
    if (!node || depth > 256) {
        return nullptr;
    }
    switch (plist_get_node_type(node)) {
        case PLIST_DICT: {
            nlohmann::json object = nlohmann::json::object();
            plist_dict_iter iter = nullptr;
            plist_dict_new_iter(node, &iter);
            for (;;) {
                char* key = nullptr;
                plist_t value = nullptr;
                plist_dict_next_item(node, iter, &key, &value);
                if (!value) {
                    free(key);
                    break;
                }
                if (key) {
                    object[key] = toJson(value, depth + 1);
                }
                free(key);
            }
            free(iter);
            return object;
        }
        case PLIST_ARRAY: {
            nlohmann::json array = nlohmann::json::array();
            uint32_t count = plist_array_get_size(node);
            for (uint32_t i = 0; i < count; ++i) {
                array.push_back(toJson(plist_array_get_item(node, i), depth + 1));
            }
            return array;
        }
        case PLIST_BOOLEAN: {
            uint8_t value = 0;
            plist_get_bool_val(node, &value);
            return value != 0;
        }
        case PLIST_UINT: {
            uint64_t value = 0;
            plist_get_uint_val(node, &value);
            // Negative integers come back in two's complement.
            return static_cast<int64_t>(value);
        }
        case PLIST_REAL: {
            double value = 0;
            plist_get_real_val(node, &value);
            return value;
        }
        case PLIST_STRING:
        case PLIST_KEY: {
            char* value = nullptr;
            plist_get_string_val(node, &value);
            std::string text = value ? value : "";
            free(value);
            return text;
        }
        case PLIST_DATE: {
            int32_t sec = 0, usec = 0;
            plist_get_date_val(node, &sec, &usec);
            std::time_t t = static_cast<std::time_t>(sec + kAppleEpochOffset);
            std::tm tm{};
            gmtime_r(&t, &tm);
            char buffer[32];
            std::strftime(buffer, sizeof buffer, "%Y-%m-%dT%H:%M:%SZ", &tm);
            return std::string(buffer);
        }
        case PLIST_DATA: {
            char* bytes = nullptr;
            uint64_t length = 0;
            plist_get_data_val(node, &bytes, &length);
            std::string data(bytes ? bytes : "", bytes ? length : 0);
            free(bytes);
            return data;
        }
        case PLIST_UID: {
            uint64_t value = 0;
            plist_get_uid_val(node, &value);
            return value;
        }
        default:
            return nullptr;
    }
}

plist_t fromJson(const nlohmann::json& value) {
    switch (value.type()) {
        case nlohmann::json::value_t::object: {
            plist_t dict = plist_new_dict();
            for (const auto& [key, member] : value.items()) {
                if (!member.is_null()) {
                    plist_dict_set_item(dict, key.c_str(), fromJson(member));
                }
            }
            return dict;
        }
        case nlohmann::json::value_t::array: {
            plist_t array = plist_new_array();
            for (const auto& member : value) {
                if (!member.is_null()) {
                    plist_array_append_item(array, fromJson(member));
                }
            }
            return array;
        }
        case nlohmann::json::value_t::boolean:
            return plist_new_bool(value.get<bool>());
        case nlohmann::json::value_t::number_integer:
            return plist_new_uint(static_cast<uint64_t>(value.get<int64_t>()));
        case nlohmann::json::value_t::number_unsigned:
            return plist_new_uint(value.get<uint64_t>());
        case nlohmann::json::value_t::number_float:
            return plist_new_real(value.get<double>());
        case nlohmann::json::value_t::string:
            return plist_new_string(value.get_ref<const std::string&>().c_str());
        default:
            return plist_new_string("");
    }
}
}  // namespace

std::optional<nlohmann::json> Plist::parse(const std::string& bytes, std::string* error) {
    if (bytes.empty() || bytes.size() > std::numeric_limits<uint32_t>::max()) {
        if (error) {
            *error = "empty or oversized property list";
        }
        return std::nullopt;
    }
    plist_t root = nullptr;
    plist_from_memory(bytes.data(), static_cast<uint32_t>(bytes.size()), &root);
    PlistPtr owner(root);
    if (!root) {
        if (error) {
            *error = "not a property list";
        }
        return std::nullopt;
    }
    return toJson(root, 0);
}

std::optional<nlohmann::json> Plist::readFile(const std::string& path, std::string* error) {
    Files::ReadResult file = Files::read(path);
    if (!file.ok()) {
        if (error) {
            *error = file.error;
        }
        return std::nullopt;
    }
    auto value = parse(file.data, error);
    if (!value && error) {
        *error = path + ": " + *error;
    }
    return value;
}

std::string Plist::toXml(const nlohmann::json& value) {
    PlistPtr root(fromJson(value));
    char* xml = nullptr;
    uint32_t length = 0;
    plist_to_xml(root.get(), &xml, &length);
    std::string text(xml ? xml : "", xml ? length : 0);
    plist_to_xml_free(xml);
    return text;
}
