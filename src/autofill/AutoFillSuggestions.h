#pragma once

#include <string>
#include <vector>

#include "helper/VLCredentials.h"

// Which saved logins the menu under a login field offers, for the username typed so far.
class AutoFillSuggestions {
  public:
    enum class Field { Username = 0, Password = 1 };

    // Showing the menu: logins whose username begins with `typed` (all when it is empty); the
    // username field leaves out the one matching exactly. Refreshing a shown menu follows the
    // username field's rule. Case-sensitive, in the order given.
    static std::vector<VLCredentials> filter(const std::vector<VLCredentials>& saved,
                                             const std::string& typed, Field field);
};
