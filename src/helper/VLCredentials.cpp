#include "helper/VLCredentials.h"

#include "helper/RecordCoding.h"

VLCredentials::VLCredentials(RecordDecoder& coder)
    : username_(coder.decodeString("username")),
      password_(coder.decodeString("password")),
      url_(coder.decodeUrl("url")) {}

void VLCredentials::encodeWithCoder(RecordEncoder& coder) const {
    coder.encodeString(username_, "username");
    coder.encodeString(password_, "password");
    coder.encodeUrl(url_, "url");
}

const std::vector<std::string>& VLCredentials::archiveKeys() {
    static const std::vector<std::string> keys{"username", "password", "url"};
    return keys;
}
