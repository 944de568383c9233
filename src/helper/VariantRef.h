#pragma once

#include <glib.h>

#include <utility>

// Owning reference to a GVariant. Floating references are sunk on adoption, so a value made with
// g_variant_new_* and a value returned owned by a getter are held the same way.
class VariantRef {
  public:
    VariantRef() = default;
    static VariantRef adopt(GVariant* value) {
        return VariantRef(value ? g_variant_take_ref(value) : nullptr);
    }
    static VariantRef retain(GVariant* value) {
        return VariantRef(value ? g_variant_ref_sink(value) : nullptr);
    }
    ~VariantRef() { reset(); }
    VariantRef(const VariantRef& other)
        : value_(other.value_ ? g_variant_ref(other.value_) : nullptr) {}
    VariantRef& operator=(const VariantRef& other) {
        VariantRef copy(other);
        std::swap(value_, copy.value_);
        return *this;
    }
    VariantRef(VariantRef&& other) noexcept : value_(std::exchange(other.value_, nullptr)) {}
    VariantRef& operator=(VariantRef&& other) noexcept {
        if (this != &other) {
            reset();
            value_ = std::exchange(other.value_, nullptr);
        }
        return *this;
    }
    void reset() {
        if (value_) {
            g_variant_unref(std::exchange(value_, nullptr));
        }
    }
    GVariant* get() const { return value_; }
    explicit operator bool() const { return value_ != nullptr; }
    // GLib calls that take a value (builders, replies, calls) add their own reference to a
    // non-floating one, so pass get() to them; release() is for the rare owner-taking API.
    GVariant* release() { return std::exchange(value_, nullptr); }

  private:
    explicit VariantRef(GVariant* value) : value_(value) {}
    GVariant* value_ = nullptr;
};
