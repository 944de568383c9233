#include "autofill/AutoFillMenuModel.h"

#include <algorithm>
#include <cmath>

void AutoFillMenuModel::setItems(std::vector<Row> items) {
    items_ = std::move(items);
    if (selected_ >= static_cast<int>(items_.size())) {
        selected_ = -1;
    }
}

void AutoFillMenuModel::selectDown() {
    if (selected_ + 1 < static_cast<int>(items_.size())) {
        ++selected_;
    }
}

void AutoFillMenuModel::selectUp() {
    selected_ = selected_ < 1 ? -1 : selected_ - 1;
}

const AutoFillMenuModel::Row* AutoFillMenuModel::selectedItem() const {
    return selected_ >= 0 ? &items_[static_cast<size_t>(selected_)] : nullptr;
}

AutoFillMenuModel::Size AutoFillMenuModel::size(
    const std::function<double(const std::string&)>& textWidth) const {
    double width = 160;
    int height = 0;
    for (const Row& row : items_) {
        if (const auto* login = std::get_if<VLCredentials>(&row)) {
            width = std::max(width, textWidth(login->username().value_or("")) + 44);
            height += kLoginRowHeight;
        } else {
            height += kOptionRowHeight;
        }
    }
    return {static_cast<int>(std::ceil(width)), std::min(height, 480)};
}
