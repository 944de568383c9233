#include "helper/VLNotificationInfo.h"

#include "helper/RecordCoding.h"
#include "helper/WireValue.h"

VLNotificationInfo::VLNotificationInfo(RecordDecoder& coder) {
    title_ = coder.decodeString("title");
    subTitle_ = coder.decodeString("subTitle");
    message_ = coder.decodeString("message");
    identifier_ = coder.decodeString("identifier");
    actions_ = coder.decodeRecords<VLNotificationActionInfo>("actions", WireValue::kMaxActions);
}

void VLNotificationInfo::encodeWithCoder(RecordEncoder& coder) const {
    coder.encodeString(title_, "title");
    coder.encodeString(subTitle_, "subTitle");
    coder.encodeString(message_, "message");
    coder.encodeString(identifier_, "identifier");
    if (actions_) {
        coder.encodeValue(RecordCoding::encodeArray(*actions_), "actions");
    }
}

const std::vector<std::string>& VLNotificationInfo::archiveKeys() {
    static const std::vector<std::string> keys{"title", "subTitle", "message", "identifier",
                                               "actions"};
    return keys;
}
