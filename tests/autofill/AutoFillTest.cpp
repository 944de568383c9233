#include <gtest/gtest.h>

#include "autofill/AutoFillMenuModel.h"
#include "autofill/AutoFillMessage.h"
#include "autofill/AutoFillSuggestions.h"
#include "autofill/NotificationRequest.h"

namespace {
VLCredentials login(const std::string& username) {
    VLCredentials credentials;
    credentials.setUsername(username);
    credentials.setPassword("pw-" + username);
    return credentials;
}

std::vector<std::string> names(const std::vector<VLCredentials>& logins) {
    std::vector<std::string> out;
    for (const auto& l : logins) {
        out.push_back(*l.username());
    }
    return out;
}

const nlohmann::json kFrame = {
    {"origin", "https://a.test"}, {"url", "https://a.test/in"}, {"top", true}};
}  // namespace

TEST(AutoFillSuggestions, PrefixRulesPerField) {
    using Field = AutoFillSuggestions::Field;
    const std::vector<VLCredentials> saved = {login("ann"), login("anna"), login("Bob")};
    EXPECT_EQ(names(AutoFillSuggestions::filter(saved, "", Field::Username)),
              (std::vector<std::string>{"ann", "anna", "Bob"}));
    EXPECT_EQ(names(AutoFillSuggestions::filter(saved, "ann", Field::Username)),
              std::vector<std::string>{"anna"})
        << "the exact name leaves the username menu";
    EXPECT_EQ(names(AutoFillSuggestions::filter(saved, "ann", Field::Password)),
              (std::vector<std::string>{"ann", "anna"}));
    EXPECT_TRUE(AutoFillSuggestions::filter(saved, "bob", Field::Password).empty())
        << "case-sensitive";
    EXPECT_TRUE(AutoFillSuggestions::filter(saved, "anna", Field::Username).empty());
}

TEST(AutoFillMenuModel, KeyboardSelectionAndSize) {
    AutoFillMenuModel model;
    model.setItems({login("a"), login("b"), std::string("Other…")});
    model.selectUp();
    EXPECT_EQ(model.selectedItem(), nullptr);
    model.selectDown();
    EXPECT_EQ(model.selectedRow(), 0) << "down from nothing picks the first row";
    model.selectDown();
    model.selectDown();
    model.selectDown();
    EXPECT_EQ(model.selectedRow(), 2) << "the last row stays";
    model.select(0);
    model.selectUp();
    EXPECT_EQ(model.selectedRow(), -1) << "up from the first row clears";

    auto width = [](const std::string& text) { return text == "wide" ? 200.0 : 10.0; };
    EXPECT_EQ(model.size(width).width, 160);
    EXPECT_EQ(model.size(width).height, 44 + 44 + 30);
    model.setItems({login("wide")});
    EXPECT_EQ(model.size(width).width, 244);
    model.setItems(std::vector<AutoFillMenuModel::Row>(20, login("x")));
    EXPECT_EQ(model.size(width).height, 480);
}

TEST(AutoFillMessage, OnlyWellFormedMessagesCount) {
    auto found =
        AutoFillMessage::parse({"onLoginFound", {{"username", "ann"}, {"password", "s"}}, kFrame});
    ASSERT_TRUE(found);
    EXPECT_EQ(found->username, "ann");
    EXPECT_EQ(found->origin, "https://a.test");
    EXPECT_TRUE(found->topFrame);
    auto change =
        AutoFillMessage::parse({"onUsernameChange", "an", {{"left", 10}, {"top", 20.5}}, kFrame});
    ASSERT_TRUE(change);
    EXPECT_EQ(change->text, "an");
    EXPECT_EQ(change->position.top, 20.5);
    EXPECT_EQ(AutoFillMessage::parse({"onKeyUp", 13, kFrame})->keyCode, 13);

    const std::string huge(AutoFillMessage::kMaxText + 1, 'x');
    for (const nlohmann::json& hostile : std::vector<nlohmann::json>{
             "onLoginFound",
             {"onLoginFound", {{"username", 1}}, kFrame},
             {"onUsernameChange", huge, {{"left", 1}, {"top", 1}}, kFrame},
             {"onUsernameChange", "a", {{"left", "1"}, {"top", 1}}, kFrame},
             {"onUsernameChange", "a", {{"left", 1}, {"top", 1}}},
             {"onKeyUp", 1.5, kFrame},
             {"onKeyUp", 1, kFrame, kFrame},
             {"onPasswordBlurred", {{"origin", 1}, {"url", ""}, {"top", true}}},
             {"noSuchEvent", kFrame},
         }) {
        EXPECT_FALSE(AutoFillMessage::parse(hostile)) << hostile.dump();
    }
}

TEST(NotificationRequest, PageMessagesBecomeRecordsWithinLimits) {
    auto plain = NotificationRequest::parse({"Hello"});
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->message, "");
    EXPECT_TRUE(plain->actions.empty());
    EXPECT_EQ(plain->pageNumber, std::nullopt);

    auto full = NotificationRequest::parse(
        {"T",
         {{"body", "B"},
          {"actions",
           {{{"action", "a1"}, {"title", "Open"}}, {{"title", "no name"}}, {{"action", "a2"}}}}},
         7});
    ASSERT_TRUE(full);
    ASSERT_EQ(full->actions.size(), 2u) << "an action without its name is left out";
    EXPECT_EQ(full->actions[1].title(), "a2") << "no title: the name stands in";
    EXPECT_EQ(full->pageNumber, 7);

    nlohmann::json many = nlohmann::json::array();
    for (int i = 0; i < 50; ++i) {
        many.push_back({{"action", std::to_string(i)}});
    }
    auto capped = NotificationRequest::parse({std::string(5000, 'x'), {{"actions", many}}});
    EXPECT_EQ(capped->actions.size(), NotificationRequest::kMaxActions);
    EXPECT_EQ(capped->title.size(), NotificationRequest::kMaxText);
    EXPECT_FALSE(NotificationRequest::parse("x"));
    EXPECT_FALSE(NotificationRequest::parse({1, 2}));
    EXPECT_EQ(NotificationRequest::parse({"t", {{"body", 5}}, -1})->pageNumber, std::nullopt);
}
