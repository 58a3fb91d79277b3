// Test main of the support tests. Started with "--child <role> <args...>", the program plays
// the second process of a cross-process test instead of running the tests.
#include "MutexChild.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv) {
    if (argc >= 2 && std::strcmp(argv[1], "--child") == 0) return RunMutexChild(argc - 2, argv + 2);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
