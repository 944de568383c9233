#include "browser/UrlBarState.h"

#include "foundation/Url.h"

void UrlBarState::setURLString(const std::string& url) {
    url_ = url;
    if (auto parsed = Url::parse(url)) {
        host_ = parsed->host().empty() ? parsed->absoluteString() : parsed->host();
    }
}
