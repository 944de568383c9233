#include "browser/TabOrder.h"

#include <algorithm>

void TabOrder::didSelect(Tab tab) {
    forget(tab);
    order_.push_back(tab);
}

std::optional<TabOrder::Tab> TabOrder::willClose(Tab tab, bool returnToPrior) {
    if (!returnToPrior) {
        return std::nullopt;
    }
    forget(tab);
    if (order_.empty()) {
        return std::nullopt;
    }
    return order_.back();
}

void TabOrder::forget(Tab tab) {
    std::erase(order_, tab);
}
