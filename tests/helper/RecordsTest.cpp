#include <gtest/gtest.h>

#include "LogCapture.h"
#include "helper/RecordCoding.h"
#include "helper/VLCredentials.h"
#include "helper/VLNotificationInfo.h"
#include "helper/WireValue.h"

namespace {
Url url(const std::string& text) {
    return *Url::parse(text);
}

VLNotificationActionInfo action(std::optional<std::string> identifier,
                                std::optional<std::string> title) {
    VLNotificationActionInfo info;
    info.setIdentifier(std::move(identifier));
    info.setTitle(std::move(title));
    return info;
}

VLNotificationInfo fullNotification() {
    VLNotificationInfo info;
    info.setTitle("New mail");
    info.setSubTitle("mail.example");
    info.setMessage("Hello \xe2\x9c\x89");
    info.setIdentifier("6F9619FF-8B86-D011-B42D-00C04FC964FF");
    info.setActions(std::vector{action("reply", "Reply"), action("archive", std::nullopt)});
    return info;
}

// Builds an a{sv} from GVariant text such as "{'title': <'x'>}".
VariantRef parsed(const char* text) {
    GError* error = nullptr;
    GVariant* value = g_variant_parse(nullptr, text, nullptr, nullptr, &error);
    EXPECT_TRUE(value) << (error ? error->message : "");
    if (error) {
        g_error_free(error);
    }
    return VariantRef::adopt(value);
}

std::vector<std::string> keysOf(const VariantRef& dictionary) {
    std::vector<std::string> keys;
    for (gsize i = 0; i < g_variant_n_children(dictionary.get()); ++i) {
        const char* key = nullptr;
        g_variant_get_child(dictionary.get(), i, "{&sv}", &key, nullptr);
        keys.emplace_back(key);
    }
    return keys;
}

template <class Record>
std::optional<Record> decode(const char* text, std::string* refusal = nullptr) {
    VariantRef value = parsed(text);
    return RecordCoding::decode<Record>(value.get(), refusal);
}
}  // namespace

TEST(Records, EncodeAndDecodeKeepEveryFieldAndEveryAbsence) {
    VLNotificationInfo full = fullNotification();
    VariantRef encoded = RecordCoding::encode(full);
    EXPECT_STREQ(g_variant_get_type_string(encoded.get()), "a{sv}");
    EXPECT_EQ(keysOf(encoded),
              (std::vector<std::string>{"title", "subTitle", "message", "identifier", "actions"}));
    EXPECT_EQ(RecordCoding::decode<VLNotificationInfo>(encoded.get(), nullptr), full);

    // Absent fields are not written and come back absent; an empty array stays an empty array.
    VLNotificationInfo sparse;
    sparse.setIdentifier("id");
    sparse.setActions(std::vector<VLNotificationActionInfo>{});
    VariantRef sparseEncoded = RecordCoding::encode(sparse);
    EXPECT_EQ(keysOf(sparseEncoded), (std::vector<std::string>{"identifier", "actions"}));
    auto sparseBack = RecordCoding::decode<VLNotificationInfo>(sparseEncoded.get(), nullptr);
    ASSERT_TRUE(sparseBack);
    EXPECT_EQ(*sparseBack, sparse);
    ASSERT_TRUE(sparseBack->actions());
    EXPECT_TRUE(sparseBack->actions()->empty());
    EXPECT_FALSE(sparseBack->title());

    VariantRef actionEncoded = RecordCoding::encode(action("id", "Title"));
    EXPECT_EQ(keysOf(actionEncoded), (std::vector<std::string>{"title", "identifier"}));

    VLCredentials credentials;
    credentials.setUsername("alice");
    credentials.setPassword("p\xc3\xa4ss word");
    credentials.setUrl(url("https://site.example:8443/login?next=%2F"));
    VariantRef credentialsEncoded = RecordCoding::encode(credentials);
    EXPECT_EQ(keysOf(credentialsEncoded),
              (std::vector<std::string>{"username", "password", "url"}));
    EXPECT_EQ(RecordCoding::decode<VLCredentials>(credentialsEncoded.get(), nullptr), credentials);
    VLCredentials empty;
    VariantRef emptyEncoded = RecordCoding::encode(empty);
    EXPECT_EQ(g_variant_n_children(emptyEncoded.get()), 0u);
    EXPECT_EQ(RecordCoding::decode<VLCredentials>(emptyEncoded.get(), nullptr), empty);

    // Arrays of credentials, as in a reply.
    VariantRef array = RecordCoding::encodeArray(std::vector{credentials, empty});
    auto back = RecordCoding::decodeArray<VLCredentials>(array.get(), 10, nullptr);
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, (std::vector{credentials, empty}));
}

TEST(Records, AValueOfTheWrongTypeLeavesOnlyThatFieldAbsent) {
    LogCapture log;
    auto info = decode<VLNotificationInfo>(
        "{'title': <'T'>, 'subTitle': <'S'>, 'message': <'M'>, 'identifier': <int32 42>, "
        "'actions': <[{'identifier': <'a'>, 'title': <'A'>}]>}");
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->identifier());
    EXPECT_EQ(info->title(), "T");
    EXPECT_EQ(info->subTitle(), "S");
    EXPECT_EQ(info->message(), "M");
    ASSERT_TRUE(info->actions());
    EXPECT_EQ(*info->actions(), (std::vector{action("a", "A")}));
    EXPECT_TRUE(log.contains("VLNotificationInfo: \"identifier\" holds a value of type 'i'"));

    // A URL is a type of its own: a plain string under "url" is no URL.
    auto credentials = decode<VLCredentials>(
        "{'username': <'alice'>, 'password': <'pw'>, 'url': <'https://site.example/'>}");
    ASSERT_TRUE(credentials);
    EXPECT_FALSE(credentials->url());
    EXPECT_EQ(credentials->username(), "alice");
    EXPECT_EQ(credentials->password(), "pw");
    // URL-typed text that is no URL, and the empty text, are absent too.
    credentials = decode<VLCredentials>("{'url': <('not a url',)>}");
    ASSERT_TRUE(credentials);
    EXPECT_FALSE(credentials->url());
    credentials = decode<VLCredentials>("{'url': <('',)>}");
    ASSERT_TRUE(credentials);
    EXPECT_FALSE(credentials->url());
    credentials = decode<VLCredentials>("{'url': <('https://ok.example/',)>}");
    ASSERT_TRUE(credentials);
    EXPECT_EQ(credentials->url(), url("https://ok.example/"));

    // A record where a string belongs, and an actions value that is no array.
    info = decode<VLNotificationInfo>(
        "{'title': <{'title': <'inner'>}>, 'actions': <'reply'>, 'message': <['a', 'b']>}");
    ASSERT_TRUE(info);
    EXPECT_FALSE(info->title());
    EXPECT_FALSE(info->actions());
    EXPECT_FALSE(info->message());

    // Keys that are not the record's are ignored at the top.
    info = decode<VLNotificationInfo>("{'identifier': <'x'>, 'tag': <'t'>}");
    ASSERT_TRUE(info);
    EXPECT_EQ(info->identifier(), "x");
}

TEST(Records, ArraysHoldingAnythingButTheirRecordsAreRefusedWhole) {
    LogCapture log;
    std::string refusal;
    // Strings in the actions array.
    EXPECT_FALSE(decode<VLNotificationInfo>("{'identifier': <'x'>, 'actions': <['a']>}", &refusal));
    EXPECT_NE(refusal.find("element 0 is not a VLNotificationActionInfo"), std::string::npos)
        << refusal;
    // A login, and a notification, where a button belongs.
    EXPECT_FALSE(decode<VLNotificationInfo>(
        "{'actions': <[{'title': <'A'>}, {'username': <'alice'>, 'password': <'pw'>}]>}",
        &refusal));
    EXPECT_NE(refusal.find("element 1"), std::string::npos) << refusal;
    EXPECT_FALSE(decode<VLNotificationInfo>(
        "{'actions': <[{'title': <'A'>, 'message': <'m'>, 'actions': <@aa{sv} []>}]>}", &refusal));
    // Array elements wrapped in variants are not records either.
    EXPECT_FALSE(decode<VLNotificationInfo>("{'actions': <[<{'title': <'A'>}>]>}", &refusal));
    // Too many buttons.
    std::string many = "{'actions': <[";
    for (std::size_t i = 0; i <= WireValue::kMaxActions; ++i) {
        many += std::string(i ? ", " : "") + "{'title': <'b'>}";
    }
    many += "]>}";
    EXPECT_FALSE(decode<VLNotificationInfo>(many.c_str(), &refusal));
    EXPECT_NE(refusal.find("over the limit"), std::string::npos) << refusal;
    // Not a dictionary at all.
    EXPECT_FALSE(decode<VLNotificationInfo>("('title', 'T')", &refusal));
    EXPECT_FALSE(decode<VLCredentials>("@a{ss} {'username': 'alice'}", &refusal));
    // An empty array of anything holds no wrong element.
    auto empty = decode<VLNotificationInfo>("{'actions': <@as []>}");
    ASSERT_TRUE(empty);
    ASSERT_TRUE(empty->actions());
    EXPECT_TRUE(empty->actions()->empty());

    // A credentials reply: every element must be a VLCredentials.
    VariantRef reply = parsed("[{'username': <'a'>}, {'username': <'b'>, 'title': <'T'>}]");
    EXPECT_FALSE(RecordCoding::decodeArray<VLCredentials>(reply.get(), 10, &refusal));
    EXPECT_NE(refusal.find("element 1 is not a VLCredentials"), std::string::npos) << refusal;
    VariantRef three = parsed("[{'username': <'a'>}, {'username': <'b'>}, @a{sv} {}]");
    EXPECT_TRUE(RecordCoding::decodeArray<VLCredentials>(three.get(), 3, &refusal));
    EXPECT_FALSE(RecordCoding::decodeArray<VLCredentials>(three.get(), 2, &refusal));
    VariantRef notArray = parsed("{'username': <'a'>}");
    EXPECT_FALSE(RecordCoding::decodeArray<VLCredentials>(notArray.get(), 10, &refusal));
}

TEST(Records, OversizedTextIsAbsentAndBrokenUtf8IsRepaired) {
    LogCapture log;
    VLCredentials big;
    big.setUsername(std::string(WireValue::kMaxTextLength + 1, 'u'));
    big.setPassword(std::string(WireValue::kMaxTextLength, 'p'));
    big.setUrl(url("https://site.example/" + std::string(WireValue::kMaxUrlLength, 'x')));
    VariantRef encoded = RecordCoding::encode(big);
    auto back = RecordCoding::decode<VLCredentials>(encoded.get(), nullptr);
    ASSERT_TRUE(back);
    EXPECT_FALSE(back->username());
    EXPECT_EQ(back->password()->size(), WireValue::kMaxTextLength);
    EXPECT_FALSE(back->url());
    EXPECT_TRUE(log.contains("is over the limit"));

    VLNotificationInfo info;
    info.setTitle(std::string("bad \xff\xfe text"));
    VariantRef repaired = RecordCoding::encode(info);
    auto decoded = RecordCoding::decode<VLNotificationInfo>(repaired.get(), nullptr);
    ASSERT_TRUE(decoded);
    ASSERT_TRUE(decoded->title());
    EXPECT_TRUE(g_utf8_validate(decoded->title()->c_str(), -1, nullptr));
    EXPECT_EQ(decoded->title()->rfind("bad ", 0), 0u);
    EXPECT_TRUE(log.contains("not valid UTF-8"));

    // Optional strings and URLs as method arguments.
    VariantRef absent = WireValue::optionalString(std::nullopt);
    EXPECT_EQ(WireValue::decodeOptionalString(absent.get(), "t"), std::nullopt);
    VariantRef emptyText = WireValue::optionalString(std::string());
    EXPECT_EQ(WireValue::decodeOptionalString(emptyText.get(), "t"), std::string());
    VariantRef noUrl = WireValue::url(std::nullopt);
    EXPECT_STREQ(g_variant_get_type_string(noUrl.get()), "(s)");
    EXPECT_EQ(WireValue::decodeUrl(noUrl.get(), "t"), std::nullopt);
    VariantRef plain = WireValue::string("https://site.example/");
    EXPECT_EQ(WireValue::decodeUrl(plain.get(), "t"), std::nullopt);
}
