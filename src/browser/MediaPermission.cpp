#include "browser/MediaPermission.h"

MediaPermission::Answer MediaPermission::decide(const std::string& site, bool pageAllowed,
                                                bool framesAllowed, bool inMainWindow) const {
    if (pageAllowed && framesAllowed && inMainWindow) {
        return Answer::Grant;
    }
    auto it = answers_.find(site);
    if (it != answers_.end()) {
        return it->second ? Answer::Grant : Answer::Deny;
    }
    return Answer::Ask;
}
