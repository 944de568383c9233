#include "helper/SecretServiceItemStore.h"

#include <libsecret/secret.h>

#include <memory>

#include "foundation/GObjectPtr.h"
#include "foundation/Log.h"

namespace {
using Outcome = SecretServiceItemStore::Outcome;

const SecretSchema* schema() {
    static const SecretSchema webFormPassword = {
        SecretServiceItemStore::kSchemaName,
        SECRET_SCHEMA_NONE,
        {
            {KeychainAttribute::kClass, SECRET_SCHEMA_ATTRIBUTE_STRING},
            {KeychainAttribute::kProtocol, SECRET_SCHEMA_ATTRIBUTE_STRING},
            {KeychainAttribute::kServer, SECRET_SCHEMA_ATTRIBUTE_STRING},
            {KeychainAttribute::kAccount, SECRET_SCHEMA_ATTRIBUTE_STRING},
            {KeychainAttribute::kPort, SECRET_SCHEMA_ATTRIBUTE_INTEGER},
            {KeychainAttribute::kSynchronizable, SECRET_SCHEMA_ATTRIBUTE_BOOLEAN},
            {KeychainAttribute::kAccessible, SECRET_SCHEMA_ATTRIBUTE_STRING},
            {KeychainAttribute::kAuthenticationType, SECRET_SCHEMA_ATTRIBUTE_STRING},
            {KeychainAttribute::kDescription, SECRET_SCHEMA_ATTRIBUTE_STRING},
            {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING},
        },
        0,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr,
        nullptr};
    return &webFormPassword;
}

struct HashTableDeleter {
    void operator()(GHashTable* table) const { g_hash_table_unref(table); }
};
using HashTablePtr = std::unique_ptr<GHashTable, HashTableDeleter>;

struct SecretValueDeleter {
    void operator()(SecretValue* value) const { secret_value_unref(value); }
};
using SecretValuePtr = std::unique_ptr<SecretValue, SecretValueDeleter>;

struct ItemListDeleter {
    void operator()(GList* list) const { g_list_free_full(list, g_object_unref); }
};
using ItemListPtr = std::unique_ptr<GList, ItemListDeleter>;

const char* const kLocked = "the keyring is locked";

bool isUtf8(const std::string& text) {
    return g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr);
}

// libsecret refuses (with a critical warning) attributes outside the schema, integers that do
// not parse and text that is not UTF-8: check first and answer errSecParam instead.
bool validAttributes(const KeychainAttributes& attributes) {
    for (const auto& [name, value] : attributes) {
        const SecretSchemaAttribute* known = nullptr;
        for (const SecretSchemaAttribute& attribute : schema()->attributes) {
            if (attribute.name && name == attribute.name) {
                known = &attribute;
                break;
            }
        }
        if (!known || !isUtf8(value)) {
            return false;
        }
        if (known->type == SECRET_SCHEMA_ATTRIBUTE_INTEGER) {
            char* end = nullptr;
            g_ascii_strtoll(value.c_str(), &end, 10);
            if (value.empty() || *end != '\0') {
                return false;
            }
        }
        if (known->type == SECRET_SCHEMA_ATTRIBUTE_BOOLEAN && value != "true" && value != "false") {
            return false;
        }
    }
    return true;
}

HashTablePtr hashTable(const KeychainAttributes& attributes) {
    HashTablePtr table(g_hash_table_new_full(g_str_hash, g_str_equal, g_free, g_free));
    for (const auto& [name, value] : attributes) {
        g_hash_table_insert(table.get(), g_strdup(name.c_str()), g_strdup(value.c_str()));
    }
    return table;
}

Outcome failure(const GErrorPtr& error) {
    if (error.matches(SECRET_ERROR, SECRET_ERROR_IS_LOCKED)) {
        return {errSecInteractionNotAllowed, kLocked};
    }
    if (error && error->domain == G_DBUS_ERROR) {
        return {errSecNotAvailable,
                std::string("no Secret Service on the session bus (") + error.message() + ")"};
    }
    return {errSecIO, error ? error.message() : "unknown error"};
}

GObjectPtr<SecretService> service(Outcome& outcome) {
    GErrorPtr error;
    GObjectPtr<SecretService> service = GObjectPtr<SecretService>::adopt(
        secret_service_get_sync(SECRET_SERVICE_OPEN_SESSION, nullptr, error.out()));
    if (!service) {
        outcome = failure(error);
    }
    return service;
}

KeychainItem itemOf(SecretItem* item) {
    KeychainItem result;
    HashTablePtr attributes(secret_item_get_attributes(item));
    GHashTableIter iter;
    gpointer key = nullptr;
    gpointer value = nullptr;
    g_hash_table_iter_init(&iter, attributes.get());
    while (g_hash_table_iter_next(&iter, &key, &value)) {
        result.attributes[static_cast<const char*>(key)] = static_cast<const char*>(value);
    }
    GCharPtr label(secret_item_get_label(item));
    result.label = label ? label.get() : "";
    SecretValuePtr secret(secret_item_get_secret(item));
    if (secret) {
        gsize length = 0;
        const gchar* bytes = secret_value_get(secret.get(), &length);
        result.data = std::string(bytes, length);
    }
    return result;
}

struct Matches {
    Outcome outcome;
    ItemListPtr items;  // all matches, locked ones included
    std::vector<SecretItem*> unlocked;
};

// Searches without unlocking; matches that are all locked answer errSecInteractionNotAllowed.
Matches search(const KeychainAttributes& query, bool loadSecrets) {
    Matches matches;
    if (!validAttributes(query)) {
        matches.outcome = {errSecParam, "the query holds an invalid attribute"};
        return matches;
    }
    GObjectPtr<SecretService> secretService = service(matches.outcome);
    if (!secretService) {
        return matches;
    }
    int flags = SECRET_SEARCH_ALL | (loadSecrets ? SECRET_SEARCH_LOAD_SECRETS : 0);
    GErrorPtr error;
    HashTablePtr attributes = hashTable(query);
    matches.items.reset(secret_service_search_sync(secretService.get(), schema(), attributes.get(),
                                                   static_cast<SecretSearchFlags>(flags), nullptr,
                                                   error.out()));
    if (error) {
        matches.outcome = failure(error);
        return matches;
    }
    for (GList* node = matches.items.get(); node; node = node->next) {
        auto* item = static_cast<SecretItem*>(node->data);
        if (!secret_item_get_locked(item)) {
            matches.unlocked.push_back(item);
        }
    }
    if (!matches.items) {
        matches.outcome = {errSecItemNotFound, {}};
    } else if (matches.unlocked.empty()) {
        matches.outcome = {errSecInteractionNotAllowed, kLocked};
    }
    return matches;
}

SecretValuePtr secretValue(const std::string& data) {
    return SecretValuePtr(
        secret_value_new(data.data(), static_cast<gssize>(data.size()), "text/plain"));
}

Outcome addItem(const KeychainItem& item) {
    if (!validAttributes(item.attributes) || !isUtf8(item.label)) {
        return {errSecParam, "the item holds an invalid attribute"};
    }
    Outcome outcome;
    GObjectPtr<SecretService> secretService = service(outcome);
    if (!secretService) {
        return outcome;
    }
    GErrorPtr error;
    GObjectPtr<SecretCollection> collection = GObjectPtr<SecretCollection>::adopt(
        secret_collection_for_alias_sync(secretService.get(), SECRET_COLLECTION_DEFAULT,
                                         SECRET_COLLECTION_NONE, nullptr, error.out()));
    if (error) {
        return failure(error);
    }
    if (!collection) {
        return {errSecNoDefaultKeychain, "the Secret Service has no default keyring"};
    }
    if (secret_collection_get_locked(collection.get())) {
        return {errSecInteractionNotAllowed, kLocked};
    }
    HashTablePtr attributes = hashTable(item.attributes);
    SecretValuePtr value = secretValue(item.data.value_or(std::string()));
    GObjectPtr<SecretItem> created = GObjectPtr<SecretItem>::adopt(
        secret_item_create_sync(collection.get(), schema(), attributes.get(), item.label.c_str(),
                                value.get(), SECRET_ITEM_CREATE_NONE, nullptr, error.out()));
    if (!created) {
        return failure(error);
    }
    return {};
}

template <class Change>
Outcome changeMatches(const KeychainAttributes& query, Change change) {
    Matches matches = search(query, false);
    if (matches.outcome.status != errSecSuccess) {
        return matches.outcome;
    }
    for (SecretItem* item : matches.unlocked) {
        GErrorPtr error;
        if (!change(item, error)) {
            return failure(error);
        }
    }
    return {};
}
}  // namespace

OSStatus SecretServiceItemStore::report(const char* operation, const Outcome& outcome) {
    std::lock_guard lock(mutex_);
    switch (outcome.status) {
        case errSecSuccess:
            outage_.reset();
            break;
        case errSecItemNotFound:
            break;
        case errSecInteractionNotAllowed:
        case errSecNotAvailable:
        case errSecNoDefaultKeychain:
            if (outage_ != outcome.status) {
                Log::print("keyring: cannot ", operation, ": ", outcome.problem);
                outage_ = outcome.status;
            }
            break;
        default:
            Log::print("keyring: cannot ", operation, ": ", outcome.problem);
            break;
    }
    return outcome.status;
}

OSStatus SecretServiceItemStore::add(const KeychainItem& item) {
    return report("add a login", addItem(item));
}

OSStatus SecretServiceItemStore::update(const KeychainAttributes& query, const std::string& data) {
    SecretValuePtr value = secretValue(data);
    return report("update a login", changeMatches(query, [&](SecretItem* item, GErrorPtr& error) {
                      return secret_item_set_secret_sync(item, value.get(), nullptr, error.out());
                  }));
}

OSStatus SecretServiceItemStore::remove(const KeychainAttributes& query) {
    return report("delete a login", changeMatches(query, [](SecretItem* item, GErrorPtr& error) {
                      return secret_item_delete_sync(item, nullptr, error.out());
                  }));
}

OSStatus SecretServiceItemStore::searchOne(const KeychainAttributes& query, KeychainItem* match) {
    Matches matches = search(query, match != nullptr);
    if (matches.outcome.status == errSecSuccess && match) {
        *match = itemOf(matches.unlocked.front());
    }
    return report("search the logins", matches.outcome);
}

OSStatus SecretServiceItemStore::searchAll(const KeychainAttributes& query,
                                           std::vector<KeychainItem>* matches) {
    Matches found = search(query, true);
    if (found.outcome.status == errSecSuccess && matches) {
        matches->clear();
        for (SecretItem* item : found.unlocked) {
            matches->push_back(itemOf(item));
        }
    }
    return report("search the logins", found.outcome);
}
