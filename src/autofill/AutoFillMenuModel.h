#pragma once

#include <functional>
#include <string>
#include <variant>
#include <vector>

#include "helper/VLCredentials.h"

// The rows of the login menu and its keyboard selection, apart from the toolkit: a row is a
// saved login (44 points high) or another option (30 points).
class AutoFillMenuModel {
  public:
    using Row = std::variant<VLCredentials, std::string>;

    void setItems(std::vector<Row> items);
    const std::vector<Row>& items() const { return items_; }
    int selectedRow() const { return selected_; }
    void select(int row) {
        selected_ = row >= 0 && row < static_cast<int>(items_.size()) ? row : -1;
    }
    void selectDown();
    void selectUp();
    const Row* selectedItem() const;

    static constexpr int kLoginRowHeight = 44;
    static constexpr int kOptionRowHeight = 30;
    // 160 wide or the widest username plus 44; as high as the rows, at most 480.
    struct Size {
        int width = 0;
        int height = 0;
    };
    Size size(const std::function<double(const std::string&)>& textWidth) const;

  private:
    std::vector<Row> items_;
    int selected_ = -1;
};
