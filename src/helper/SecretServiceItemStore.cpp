#include "helper/SecretServiceItemStore.h"

// Searching by object paths (two calls, then the items' properties in parallel) is several
// times faster than building one SecretItem proxy after another.
#define SECRET_API_SUBJECT_TO_CHANGE
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

struct StrvDeleter {
    void operator()(gchar** strings) const { g_strfreev(strings); }
};
using StrvPtr = std::unique_ptr<gchar*, StrvDeleter>;

struct Matches {
    Outcome outcome;
    GObjectPtr<SecretService> service;
    std::vector<std::string> unlocked;  // object paths, in the order the service gave them
};

// The Secret Service's own unlock prompt for the objects; the paths unlocked after it.
std::vector<std::string> unlockWithPrompt(SecretService* service, const gchar** paths) {
    gchar** unlocked = nullptr;
    GErrorPtr error;
    secret_service_unlock_dbus_paths_sync(service, paths, nullptr, &unlocked, error.out());
    StrvPtr unlockedPaths(unlocked);
    if (error) {
        Log::print("keyring: the unlock prompt failed: ", error.message());
    }
    std::vector<std::string> result;
    for (gchar** path = unlocked; path && *path; ++path) {
        result.emplace_back(*path);
    }
    return result;
}

// Matches that are all locked are unlocked through the prompt when `mayPrompt`; if they stay
// locked, errSecInteractionNotAllowed.
Matches search(const KeychainAttributes& query, bool mayPrompt) {
    Matches matches;
    if (!validAttributes(query)) {
        matches.outcome = {errSecParam, "the query holds an invalid attribute"};
        return matches;
    }
    matches.service = service(matches.outcome);
    if (!matches.service) {
        return matches;
    }
    GErrorPtr error;
    HashTablePtr attributes = hashTable(query);
    gchar** unlocked = nullptr;
    gchar** locked = nullptr;
    if (!secret_service_search_for_dbus_paths_sync(matches.service.get(), schema(),
                                                   attributes.get(), nullptr, &unlocked, &locked,
                                                   error.out())) {
        matches.outcome = failure(error);
        return matches;
    }
    StrvPtr unlockedPaths(unlocked);
    StrvPtr lockedPaths(locked);
    for (gchar** path = unlocked; path && *path; ++path) {
        matches.unlocked.emplace_back(*path);
    }
    if (matches.unlocked.empty() && locked && *locked && mayPrompt) {
        matches.unlocked =
            unlockWithPrompt(matches.service.get(), const_cast<const gchar**>(locked));
        matches.outcome.prompted = true;
    }
    if (matches.unlocked.empty()) {
        matches.outcome = locked && *locked ? Outcome{errSecInteractionNotAllowed, kLocked,
                                                      matches.outcome.prompted}
                                            : Outcome{errSecItemNotFound, {}};
    }
    return matches;
}

// The attributes, label and (when asked) data of each item, reading the items' properties with
// calls that are all in flight at once.
Outcome readItems(SecretService* secretService, const std::vector<std::string>& paths,
                  bool loadSecrets, std::vector<KeychainItem>& items) {
    items.assign(paths.size(), KeychainItem());
    std::vector<const gchar*> pathList;
    for (const std::string& path : paths) {
        pathList.push_back(path.c_str());
    }
    pathList.push_back(nullptr);
    if (loadSecrets) {
        GErrorPtr error;
        HashTablePtr secrets(secret_service_get_secrets_for_dbus_paths_sync(
            secretService, pathList.data(), nullptr, error.out()));
        if (!secrets) {
            return failure(error);
        }
        for (std::size_t i = 0; i < paths.size(); ++i) {
            auto* secret =
                static_cast<SecretValue*>(g_hash_table_lookup(secrets.get(), pathList[i]));
            if (secret) {
                gsize length = 0;
                const gchar* bytes = secret_value_get(secret, &length);
                items[i].data = std::string(bytes, length);
            }
        }
    }

    struct Read {
        std::size_t pending = 0;
        std::vector<KeychainItem>* items = nullptr;
        Outcome outcome;
    } read;
    read.pending = paths.size();
    read.items = &items;
    struct Call {
        Read* read;
        std::size_t index;
    };
    GMainContext* context = g_main_context_new();
    g_main_context_push_thread_default(context);
    GDBusConnection* connection = g_dbus_proxy_get_connection(G_DBUS_PROXY(secretService));
    const gchar* name = g_dbus_proxy_get_name(G_DBUS_PROXY(secretService));
    for (std::size_t i = 0; i < paths.size(); ++i) {
        g_dbus_connection_call(
            connection, name, pathList[i], "org.freedesktop.DBus.Properties", "GetAll",
            g_variant_new("(s)", "org.freedesktop.Secret.Item"), G_VARIANT_TYPE("(a{sv})"),
            G_DBUS_CALL_FLAGS_NONE, -1, nullptr,
            [](GObject* source, GAsyncResult* result, gpointer data) {
                std::unique_ptr<Call> call(static_cast<Call*>(data));
                Read& read = *call->read;
                --read.pending;
                GErrorPtr error;
                GVariant* reply =
                    g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, error.out());
                if (!reply) {
                    if (read.outcome.status == errSecSuccess) {
                        read.outcome = failure(error);
                    }
                    return;
                }
                KeychainItem& item = (*read.items)[call->index];
                GVariant* properties = g_variant_get_child_value(reply, 0);
                if (GVariant* attributes =
                        g_variant_lookup_value(properties, "Attributes", G_VARIANT_TYPE("a{ss}"))) {
                    GVariantIter iter;
                    const char* key = nullptr;
                    const char* value = nullptr;
                    g_variant_iter_init(&iter, attributes);
                    while (g_variant_iter_next(&iter, "{&s&s}", &key, &value)) {
                        item.attributes[key] = value;
                    }
                    g_variant_unref(attributes);
                }
                const char* label = nullptr;
                if (g_variant_lookup(properties, "Label", "&s", &label)) {
                    item.label = label;
                }
                g_variant_unref(properties);
                g_variant_unref(reply);
            },
            new Call{&read, i});
    }
    while (read.pending > 0) {
        g_main_context_iteration(context, TRUE);
    }
    g_main_context_pop_thread_default(context);
    g_main_context_unref(context);
    return read.outcome;
}

SecretValuePtr secretValue(const std::string& data) {
    return SecretValuePtr(
        secret_value_new(data.data(), static_cast<gssize>(data.size()), "text/plain"));
}

Outcome addItem(const KeychainItem& item, bool mayPrompt) {
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
    bool prompted = false;
    if (!collection && mayPrompt) {
        // The service asks for the new keyring's password itself.
        prompted = true;
        collection = GObjectPtr<SecretCollection>::adopt(
            secret_collection_create_sync(secretService.get(), "Login", SECRET_COLLECTION_DEFAULT,
                                          SECRET_COLLECTION_CREATE_NONE, nullptr, error.out()));
        if (error) {
            Log::print("keyring: no keyring was made: ", error.message());
        }
    }
    if (!collection) {
        return {errSecNoDefaultKeychain, "the Secret Service has no default keyring", prompted};
    }
    if (secret_collection_get_locked(collection.get()) && mayPrompt && !prompted) {
        prompted = true;
        const gchar* paths[] = {g_dbus_proxy_get_object_path(G_DBUS_PROXY(collection.get())),
                                nullptr};
        unlockWithPrompt(secretService.get(), paths);
    }
    if (secret_collection_get_locked(collection.get())) {
        return {errSecInteractionNotAllowed, kLocked, prompted};
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
Outcome changeMatches(const KeychainAttributes& query, bool mayPrompt, Change change) {
    Matches matches = search(query, mayPrompt);
    if (matches.outcome.status != errSecSuccess) {
        return matches.outcome;
    }
    for (const std::string& path : matches.unlocked) {
        GErrorPtr error;
        auto item = GObjectPtr<SecretItem>::adopt(secret_item_new_for_dbus_path_sync(
            matches.service.get(), path.c_str(), SECRET_ITEM_NONE, nullptr, error.out()));
        if (!item || !change(item.get(), error)) {
            return failure(error);
        }
    }
    return {};
}
}  // namespace

bool SecretServiceItemStore::mayPrompt() {
    std::lock_guard lock(mutex_);
    return !refused_ || std::chrono::steady_clock::now() - *refused_ > kPromptPause;
}

OSStatus SecretServiceItemStore::report(const char* operation, const Outcome& outcome) {
    std::lock_guard lock(mutex_);
    if (outcome.prompted) {
        if (outcome.status == errSecInteractionNotAllowed ||
            outcome.status == errSecNoDefaultKeychain) {
            refused_ = std::chrono::steady_clock::now();
        } else {
            refused_.reset();
        }
    }
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
                Log::warning("keyring: cannot ", operation, ": ", outcome.problem);
                outage_ = outcome.status;
            }
            break;
        default:
            Log::warning("keyring: cannot ", operation, ": ", outcome.problem);
            break;
    }
    return outcome.status;
}

OSStatus SecretServiceItemStore::add(const KeychainItem& item) {
    return report("add a login", addItem(item, mayPrompt()));
}

OSStatus SecretServiceItemStore::update(const KeychainAttributes& query, const std::string& data) {
    SecretValuePtr value = secretValue(data);
    return report("update a login",
                  changeMatches(query, mayPrompt(), [&](SecretItem* item, GErrorPtr& error) {
                      return secret_item_set_secret_sync(item, value.get(), nullptr, error.out());
                  }));
}

OSStatus SecretServiceItemStore::remove(const KeychainAttributes& query) {
    return report("delete a login",
                  changeMatches(query, mayPrompt(), [](SecretItem* item, GErrorPtr& error) {
                      return secret_item_delete_sync(item, nullptr, error.out());
                  }));
}

OSStatus SecretServiceItemStore::searchOne(const KeychainAttributes& query, KeychainItem* match) {
    Matches matches = search(query, mayPrompt());
    if (matches.outcome.status == errSecSuccess && match) {
        std::vector<KeychainItem> items;
        matches.outcome = readItems(matches.service.get(), {matches.unlocked.front()}, true, items);
        if (matches.outcome.status == errSecSuccess) {
            *match = std::move(items.front());
        }
    }
    return report("search the logins", matches.outcome);
}

OSStatus SecretServiceItemStore::searchAll(const KeychainAttributes& query,
                                           std::vector<KeychainItem>* matches) {
    Matches found = search(query, mayPrompt());
    if (found.outcome.status == errSecSuccess && matches) {
        found.outcome = readItems(found.service.get(), found.unlocked, true, *matches);
    }
    return report("search the logins", found.outcome);
}
