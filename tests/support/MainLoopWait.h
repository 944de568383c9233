#pragma once

#include <chrono>
#include <functional>

// Runs the default main context until `done` is true or the time limit has passed; returns
// `done()`. The context wakes at least every few milliseconds, so state changed by other threads
// is seen too.
bool runMainLoopUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10));
