#include "helper/VLNotificationActionInfo.h"

#include "helper/RecordCoding.h"

VLNotificationActionInfo::VLNotificationActionInfo(RecordDecoder& coder) {
    title_ = coder.decodeString("title");
    identifier_ = coder.decodeString("identifier");
}

void VLNotificationActionInfo::encodeWithCoder(RecordEncoder& coder) const {
    coder.encodeString(title_, "title");
    coder.encodeString(identifier_, "identifier");
}

const std::vector<std::string>& VLNotificationActionInfo::archiveKeys() {
    static const std::vector<std::string> keys{"title", "identifier"};
    return keys;
}
