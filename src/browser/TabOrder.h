#pragma once

#include <optional>
#include <vector>

// The most-recently-selected order of a window's tabs (last = most recent), and which tab to
// select when the selected one closes.
class TabOrder {
  public:
    using Tab = const void*;

    // A selected tab moves to the end (or is appended).
    void didSelect(Tab tab);
    // The closing tab leaves the order. With `returnToPrior` the answer is the tab to select
    // instead (the one selected before it), when one is left; without it the order is kept
    // as it is and the tab bar's own choice stands.
    std::optional<Tab> willClose(Tab tab, bool returnToPrior);
    // A tab that is gone without a closing decision (its window closed, for example).
    void forget(Tab tab);
    const std::vector<Tab>& order() const { return order_; }

  private:
    std::vector<Tab> order_;
};
