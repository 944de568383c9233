#pragma once

#include <string>
#include <vector>

// What an alert says and offers, apart from the toolkit that shows it. The first button is the
// default; AlertDialog answers with the chosen button's index.
struct Alert {
    enum class Style { Informational, Warning, Critical };

    std::string messageText;
    std::string informativeText;
    std::vector<std::string> buttons;
    Style style = Style::Informational;

    static Alert vellSuccessAlertWithMessage(const std::string& text);
    static Alert vellErrorAlertWithMessage(const std::string& text);
};
