#include <gtest/gtest.h>

#include "LogCapture.h"
#include "RecordBuilders.h"
#include "helper/RecordCoding.h"
#include "helper/VLCredentials.h"
#include "helper/WireValue.h"

namespace {
// Builds a value from GVariant text such as "{'title': <'x'>}".
VariantRef parsed(const std::string& text) {
    GError* error = nullptr;
    GVariant* value = g_variant_parse(nullptr, text.c_str(), nullptr, nullptr, &error);
    EXPECT_TRUE(value) << (error ? error->message : "");
    g_clear_error(&error);
    return VariantRef::adopt(value);
}

template <class Record>
std::optional<Record> decode(const std::string& text, std::string* refusal = nullptr) {
    return RecordCoding::decode<Record>(parsed(text).get(), refusal);
}

template <class Record>
std::optional<Record> roundTrip(const Record& record) {
    return RecordCoding::decode<Record>(RecordCoding::encode(record).get(), nullptr);
}

VLCredentials login(std::optional<std::string> username, std::optional<std::string> password,
                    std::optional<Url> url) {
    VLCredentials credentials;
    credentials.setUsername(std::move(username));
    credentials.setPassword(std::move(password));
    credentials.setUrl(std::move(url));
    return credentials;
}
}  // namespace

TEST(Records, EncodeAndDecodeKeepEveryFieldAndEveryAbsence) {
    VLNotificationInfo full = notification("6F9619FF-8B86-D011-B42D-00C04FC964FF",
                                           {action("reply", "Reply"), action("archive", {})});
    full.setMessage("Hello \xe2\x9c\x89");
    EXPECT_EQ(roundTrip(full), full);

    // Absent fields come back absent; an empty array stays an empty array.
    VLNotificationInfo sparse;
    sparse.setIdentifier("id");
    sparse.setActions(std::vector<VLNotificationActionInfo>{});
    EXPECT_EQ(roundTrip(sparse), sparse);

    VLCredentials credentials =
        login("alice", "p\xc3\xa4ss word", Url::parse("https://site.example:8443/login?next=%2F"));
    EXPECT_EQ(roundTrip(credentials), credentials);

    // Arrays of credentials, as in a reply, an empty record among them.
    VariantRef array = RecordCoding::encodeArray(std::vector{credentials, VLCredentials()});
    EXPECT_EQ(RecordCoding::decodeArray<VLCredentials>(array.get(), 10, nullptr),
              (std::vector{credentials, VLCredentials()}));
}

TEST(Records, AValueOfTheWrongTypeLeavesOnlyThatFieldAbsent) {
    LogCapture log;
    VLNotificationInfo expected = notification(std::nullopt, {action("a", "A")});
    EXPECT_EQ(decode<VLNotificationInfo>(
                  "{'title': <'New mail'>, 'subTitle': <'mail.example'>, 'message': <'Hello & "
                  "welcome'>, 'identifier': <int32 42>, 'actions': <[{'identifier': <'a'>, "
                  "'title': <'A'>}]>}"),
              expected);
    EXPECT_TRUE(log.contains("VLNotificationInfo: \"identifier\" holds a value of type 'i'"));
    // A record where a string belongs, an actions value that is no array; unknown keys ignored.
    VLNotificationInfo onlyIdentifier;
    onlyIdentifier.setIdentifier("x");
    EXPECT_EQ(decode<VLNotificationInfo>("{'title': <{'title': <'inner'>}>, 'actions': <'reply'>, "
                                         "'message': <['a', 'b']>, 'identifier': <'x'>, "
                                         "'tag': <'t'>}"),
              onlyIdentifier);

    // A URL is a type of its own: a plain string under "url" is no URL; URL-typed text that is
    // no URL, and the empty text, are absent too.
    for (const char* url : {"<'https://site.example/'>", "<('not a url',)>", "<('',)>"}) {
        EXPECT_EQ(decode<VLCredentials>(std::string("{'username': <'alice'>, 'password': <'pw'>, "
                                                    "'url': ") +
                                        url + "}"),
                  login("alice", "pw", std::nullopt))
            << url;
    }
    EXPECT_EQ(decode<VLCredentials>("{'url': <('https://ok.example/',)>}"),
              login(std::nullopt, std::nullopt, Url::parse("https://ok.example/")));
}

TEST(Records, ArraysHoldingAnythingButTheirRecordsAreRefusedWhole) {
    LogCapture log;
    std::string tooMany = "{'actions': <[";
    for (std::size_t i = 0; i <= WireValue::kMaxActions; ++i) {
        tooMany += std::string(i ? ", " : "") + "{'title': <'b'>}";
    }
    tooMany += "]>}";
    for (auto [text, refusal] : std::vector<std::pair<std::string, std::string>>{
             {"{'identifier': <'x'>, 'actions': <['a']>}",
              "element 0 is not a VLNotificationActionInfo"},
             // A login, and a notification, where a button belongs.
             {"{'actions': <[{'title': <'A'>}, {'username': <'alice'>, 'password': <'pw'>}]>}",
              "element 1"},
             {"{'actions': <[{'title': <'A'>, 'message': <'m'>, 'actions': <@aa{sv} []>}]>}", ""},
             {"{'actions': <[<{'title': <'A'>}>]>}", ""},  // elements wrapped in variants
             {tooMany, "over the limit"},
             {"('title', 'T')", ""}}) {
        std::string why;
        EXPECT_EQ(decode<VLNotificationInfo>(text, &why), std::nullopt) << text;
        EXPECT_NE(why.find(refusal), std::string::npos) << why;
    }
    EXPECT_FALSE(decode<VLCredentials>("@a{ss} {'username': 'alice'}"));
    // An empty array of anything holds no wrong element.
    VLNotificationInfo noButtons;
    noButtons.setActions(std::vector<VLNotificationActionInfo>{});
    EXPECT_EQ(decode<VLNotificationInfo>("{'actions': <@as []>}"), noButtons);

    // A credentials reply: every element must be a VLCredentials, within the count.
    std::string why;
    VariantRef reply = parsed("[{'username': <'a'>}, {'username': <'b'>, 'title': <'T'>}]");
    EXPECT_FALSE(RecordCoding::decodeArray<VLCredentials>(reply.get(), 10, &why));
    EXPECT_NE(why.find("element 1 is not a VLCredentials"), std::string::npos) << why;
    VariantRef three = parsed("[{'username': <'a'>}, {'username': <'b'>}, @a{sv} {}]");
    EXPECT_TRUE(RecordCoding::decodeArray<VLCredentials>(three.get(), 3, nullptr));
    EXPECT_FALSE(RecordCoding::decodeArray<VLCredentials>(three.get(), 2, nullptr));
    VariantRef notArray = parsed("{'username': <'a'>}");
    EXPECT_FALSE(RecordCoding::decodeArray<VLCredentials>(notArray.get(), 10, nullptr));
}

TEST(Records, OversizedTextIsAbsentAndBrokenUtf8IsRepaired) {
    LogCapture log;
    VLCredentials big =
        login(std::string(WireValue::kMaxTextLength + 1, 'u'),
              std::string(WireValue::kMaxTextLength, 'p'),
              Url::parse("https://site.example/" + std::string(WireValue::kMaxUrlLength, 'x')));
    EXPECT_EQ(roundTrip(big), login(std::nullopt, big.password(), std::nullopt));
    EXPECT_TRUE(log.contains("is over the limit"));

    VLNotificationInfo info;
    info.setTitle(std::string("bad \xff\xfe text"));
    std::optional<std::string> title = roundTrip(info).value_or(VLNotificationInfo()).title();
    ASSERT_TRUE(title);
    EXPECT_TRUE(g_utf8_validate(title->c_str(), -1, nullptr));
    EXPECT_TRUE(title->starts_with("bad "));
    EXPECT_TRUE(log.contains("not valid UTF-8"));
}
