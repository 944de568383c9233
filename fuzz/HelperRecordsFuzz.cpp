// Whatever a client of the helper can put into a record: decoding never crashes, and what it
// keeps encodes and decodes to the same record again.
#include <glib.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "foundation/Log.h"
#include "helper/RecordCoding.h"
#include "helper/VLCredentials.h"
#include "helper/VLNotificationInfo.h"
#include "helper/WireValue.h"

namespace {
template <class Record>
void roundTrip(GVariant* value) {
    std::optional<Record> record = RecordCoding::decode<Record>(value, nullptr);
    if (!record) {
        return;
    }
    VariantRef encoded = RecordCoding::encode(*record);
    std::optional<Record> again = RecordCoding::decode<Record>(encoded.get(), nullptr);
    if (!again || !(*again == *record)) {
        std::abort();
    }
}

void exercise(GVariant* value) {
    roundTrip<VLNotificationInfo>(value);
    roundTrip<VLCredentials>(value);
    (void)RecordCoding::decodeArray<VLCredentials>(value, WireValue::kMaxCredentials, nullptr);
    (void)WireValue::decodeUrl(value, "fuzz");
    (void)WireValue::decodeOptionalString(value, "fuzz");
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Log::setSink([](std::string_view) {});
    // As the text form of a value...
    std::string text(reinterpret_cast<const char*>(data), size);
    if (GVariant* parsed = g_variant_parse(nullptr, text.c_str(), nullptr, nullptr, nullptr)) {
        VariantRef value = VariantRef::adopt(parsed);
        exercise(value.get());
    }
    // ...and as the serialised bytes of a dictionary, as a message body carries it.
    GBytes* bytes = g_bytes_new(data, size);
    VariantRef serialised =
        VariantRef::adopt(g_variant_new_from_bytes(G_VARIANT_TYPE_VARDICT, bytes, FALSE));
    g_bytes_unref(bytes);
    exercise(serialised.get());
    return 0;
}
