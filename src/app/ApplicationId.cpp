#include "app/ApplicationId.h"

#include "foundation/Bundle.h"
#include "stores/VLFileManager.h"

std::string ApplicationId::of(const std::string& bundleIdentifier,
                              const std::optional<std::string>& appIdentifier) {
    // D-Bus names: elements of [A-Za-z0-9_], not starting with a digit, 255 bytes at most.
    auto element = [](const std::string& text) {
        std::string out;
        for (char c : text) {
            const bool allowed = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                                 (c >= '0' && c <= '9') || c == '_';
            out += allowed ? c : '_';
        }
        if (out.empty() || (out[0] >= '0' && out[0] <= '9')) {
            out.insert(out.begin(), '_');
        }
        return out;
    };
    std::string id;
    size_t start = 0;
    while (start <= bundleIdentifier.size()) {
        size_t dot = bundleIdentifier.find('.', start);
        std::string part =
            bundleIdentifier.substr(start, dot == std::string::npos ? dot : dot - start);
        if (!part.empty()) {
            id += (id.empty() ? "" : ".") + element(part);
        }
        if (dot == std::string::npos) {
            break;
        }
        start = dot + 1;
    }
    if (id.find('.') == std::string::npos) {
        id = "com.KVX." + (id.empty() ? std::string("Sitebox") : id);
    }
    if (appIdentifier && !appIdentifier->empty()) {
        id += "." + element(*appIdentifier);
    }
    if (id.size() > 255) {
        id.resize(255);
    }
    return id;
}

std::string ApplicationId::ofMainBundle() {
    return of(Bundle::main().bundleIdentifier(), VLFileManager::getCorvaUniqueID());
}
