#pragma once

#include <string>

// The find bar's counting: which match is current after a search and each step. Stepping
// "next" walks down from the first match and wraps to the last; "previous" walks up and wraps to
// the first (0).
class FindSteps {
  public:
    // After a search with `count` matches: the result label, and the current match (1 when
    // there are matches, else 0).
    void searched(long count);
    void cleared() {
        searched(0);
        label_.clear();
    }
    long next();
    long previous();

    long index() const { return index_; }
    long count() const { return count_; }
    bool canStep() const { return count_ > 0; }
    // "", "Not Found" or "%ld match".
    const std::string& label() const { return label_; }

  private:
    long index_ = 0;
    long count_ = 0;
    std::string label_;
};
