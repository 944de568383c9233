#pragma once

#include <functional>

// Runs the default main context until `condition` holds or `timeoutMs` passes; returns
// `condition()`. The context wakes at least every few milliseconds, so state changed by other
// threads is seen too; nothing sleeps.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);
// Runs every event that is ready now, without waiting.
void drainMainContext();
