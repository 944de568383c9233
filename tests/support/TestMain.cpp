#include <gtest/gtest.h>

#include "TestHome.h"

int main(int argc, char** argv) {
    testing::InitGoogleTest(&argc, argv);
    TestHome::installListener();
    return RUN_ALL_TESTS();
}
