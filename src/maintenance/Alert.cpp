#include "maintenance/Alert.h"

Alert Alert::vellSuccessAlertWithMessage(const std::string& text) {
    return Alert{"Corva", text, {"OK"}, Style::Informational};
}

Alert Alert::vellErrorAlertWithMessage(const std::string& text) {
    return Alert{"Corva Error", text, {"OK"}, Style::Informational};
}
