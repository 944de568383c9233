#include "browser/FindSteps.h"

void FindSteps::searched(long count) {
    count_ = count > 0 ? count : 0;
    index_ = count_ > 0 ? 1 : 0;
    label_ = count_ > 0 ? std::to_string(count_) + " match" : "Not Found";
}

long FindSteps::next() {
    index_ = index_ - 1 < 0 ? count_ - 1 : index_ - 1;
    return index_;
}

long FindSteps::previous() {
    index_ = index_ < count_ - 1 ? index_ + 1 : 0;
    return index_;
}
