#pragma once

#include <memory>

// Lets asynchronous callbacks find out whether the object that started them still exists:
// the owner keeps a LifeToken member, callbacks capture `watch()` and check `expired()`.
class LifeToken {
  public:
    LifeToken() = default;
    LifeToken(const LifeToken&) = delete;
    LifeToken& operator=(const LifeToken&) = delete;
    std::weak_ptr<void> watch() const { return alive_; }

  private:
    std::shared_ptr<void> alive_ = std::make_shared<int>(0);
};
