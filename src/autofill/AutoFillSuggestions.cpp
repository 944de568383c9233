#include "autofill/AutoFillSuggestions.h"

std::vector<VLCredentials> AutoFillSuggestions::filter(const std::vector<VLCredentials>& saved,
                                                       const std::string& typed, Field field) {
    std::vector<VLCredentials> shown;
    for (const VLCredentials& login : saved) {
        const std::string username = login.username().value_or("");
        if (!typed.empty() && username.rfind(typed, 0) != 0) {
            continue;
        }
        if (field == Field::Username && username == typed) {
            continue;
        }
        shown.push_back(login);
    }
    return shown;
}
