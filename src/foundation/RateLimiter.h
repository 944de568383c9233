#pragma once

#include <algorithm>
#include <chrono>
#include <map>

// At most `burst` events at once per key and `perSecond` on average (a token bucket each): what
// a page may send the helper. Keys are compared as given (a page's address in memory, say).
template <class Key>
class RateLimiter {
  public:
    using Clock = std::chrono::steady_clock;

    RateLimiter(double perSecond, double burst) : perSecond_(perSecond), burst_(burst) {}

    // True when the event may go ahead (and it is counted).
    bool allow(const Key& key, Clock::time_point now = Clock::now()) {
        Bucket& bucket = buckets_.try_emplace(key, Bucket{burst_, now}).first->second;
        const double elapsed = std::chrono::duration<double>(now - bucket.at).count();
        bucket.tokens = std::min(burst_, bucket.tokens + elapsed * perSecond_);
        bucket.at = now;
        if (bucket.tokens < 1) {
            return false;
        }
        bucket.tokens -= 1;
        return true;
    }
    void forget(const Key& key) { buckets_.erase(key); }

  private:
    struct Bucket {
        double tokens;
        Clock::time_point at;
    };
    double perSecond_;
    double burst_;
    std::map<Key, Bucket> buckets_;
};
