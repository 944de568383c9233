#pragma once

#include <any>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "foundation/Notification.h"

// The process's default notification centre. Main thread only.
//
// addObserver returns an Observer token; the observation ends when the token is destroyed, so
// an owner that keeps its tokens as members stops observing when it goes away.
class NotificationCenter {
  public:
    using Handler = std::function<void(const Notification&)>;

    class Observer {
      public:
        Observer() = default;
        ~Observer() { reset(); }
        Observer(Observer&& other) noexcept;
        Observer& operator=(Observer&& other) noexcept;
        Observer(const Observer&) = delete;
        Observer& operator=(const Observer&) = delete;
        void reset();
        bool active() const;

      private:
        friend class NotificationCenter;
        Observer(NotificationCenter* center, std::shared_ptr<bool> alive);
        NotificationCenter* center_ = nullptr;
        std::shared_ptr<bool> alive_;
    };

    static NotificationCenter& defaultCenter();

    // An empty name observes every notification.
    [[nodiscard]] Observer addObserver(const std::string& name, Handler handler);

    void post(const std::string& name, std::any object = {},
              std::map<std::string, std::any> userInfo = {});
    void post(const Notification& notification);

    size_t observerCount() const;

  private:
    struct Entry {
        std::string name;
        std::shared_ptr<Handler> handler;
        std::shared_ptr<bool> alive;
    };
    void prune();
    std::vector<Entry> entries_;
};
