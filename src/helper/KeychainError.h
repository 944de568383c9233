#pragma once

#include "helper/KeychainItemStore.h"

// Why a keychain operation failed.
class KeychainError {
  public:
    enum class Kind { unhandledError, noPassword, unexpectedPasswordData };

    static KeychainError unhandledError(OSStatus status) { return {Kind::unhandledError, status}; }
    static KeychainError noPassword() { return {Kind::noPassword, errSecItemNotFound}; }
    static KeychainError unexpectedPasswordData() { return {Kind::unexpectedPasswordData, 0}; }

    Kind kind() const { return kind_; }
    // The store's result code (meaningful for unhandledError).
    OSStatus status() const { return status_; }
    bool operator==(const KeychainError& other) const = default;

  private:
    KeychainError(Kind kind, OSStatus status) : kind_(kind), status_(status) {}
    Kind kind_;
    OSStatus status_;
};
