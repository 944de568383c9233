#pragma once

#include <glib-object.h>

#include <memory>
#include <utility>

// Owning reference to a GObject (WebKitWebView, SoupMessage, GdkPixbuf, ...).
template <class T>
class GObjectPtr {
  public:
    GObjectPtr() = default;
    // Takes over a reference the caller owns (a `_new` result).
    static GObjectPtr adopt(T* object) { return GObjectPtr(object); }
    // Adds a reference of its own (a borrowed pointer from a getter or signal).
    static GObjectPtr retain(T* object) {
        if (object) {
            g_object_ref(object);
        }
        return GObjectPtr(object);
    }
    ~GObjectPtr() { reset(); }
    GObjectPtr(const GObjectPtr& other) : object_(other.object_) {
        if (object_) {
            g_object_ref(object_);
        }
    }
    GObjectPtr& operator=(const GObjectPtr& other) {
        GObjectPtr copy(other);
        std::swap(object_, copy.object_);
        return *this;
    }
    GObjectPtr(GObjectPtr&& other) noexcept : object_(std::exchange(other.object_, nullptr)) {}
    GObjectPtr& operator=(GObjectPtr&& other) noexcept {
        if (this != &other) {
            reset();
            object_ = std::exchange(other.object_, nullptr);
        }
        return *this;
    }
    void reset() {
        if (object_) {
            g_object_unref(std::exchange(object_, nullptr));
        }
    }
    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    T* release() { return std::exchange(object_, nullptr); }

  private:
    explicit GObjectPtr(T* object) : object_(object) {}
    T* object_ = nullptr;
};

// Owning GError*, for out-parameters: `GErrorPtr error; call(..., error.out());`
class GErrorPtr {
  public:
    GErrorPtr() = default;
    ~GErrorPtr() { reset(); }
    GErrorPtr(const GErrorPtr&) = delete;
    GErrorPtr& operator=(const GErrorPtr&) = delete;
    GErrorPtr(GErrorPtr&& other) noexcept : error_(std::exchange(other.error_, nullptr)) {}
    GError** out() {
        reset();
        return &error_;
    }
    void reset() {
        if (error_) {
            g_error_free(std::exchange(error_, nullptr));
        }
    }
    GError* get() const { return error_; }
    GError* operator->() const { return error_; }
    explicit operator bool() const { return error_ != nullptr; }
    const char* message() const { return error_ ? error_->message : ""; }
    bool matches(GQuark domain, int code) const { return g_error_matches(error_, domain, code); }

  private:
    GError* error_ = nullptr;
};

// Owning g_malloc'd memory (strings from C APIs).
struct GFreeDeleter {
    void operator()(void* p) const { g_free(p); }
};
using GCharPtr = std::unique_ptr<char, GFreeDeleter>;
