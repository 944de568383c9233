#include <gtest/gtest.h>

#include <cstdlib>

#include "TestHome.h"

int main(int argc, char** argv) {
    // The engine's web-process sandbox cannot start inside containers such as CI machines.
    setenv("WEBKIT_DISABLE_SANDBOX_THIS_IS_DANGEROUS", "1", 0);
    testing::InitGoogleTest(&argc, argv);
    TestHome::installListener();
    return RUN_ALL_TESTS();
}
