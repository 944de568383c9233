#pragma once

#include <new>
#include <utility>

// Holds a process-wide instance that is never destroyed, so nothing runs (or saves, or logs)
// during static destruction at exit.
template <class T>
class NoDestructor {
  public:
    template <class... Args>
    explicit NoDestructor(Args&&... args) {
        new (storage_) T(std::forward<Args>(args)...);
    }
    NoDestructor(const NoDestructor&) = delete;
    NoDestructor& operator=(const NoDestructor&) = delete;
    ~NoDestructor() = default;

    T& get() { return *std::launder(reinterpret_cast<T*>(storage_)); }
    T* operator->() { return &get(); }
    T& operator*() { return get(); }

  private:
    alignas(T) unsigned char storage_[sizeof(T)];
};
