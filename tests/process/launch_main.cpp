// Every launch test process runs with the toolkit's heap and the launch service started.
#include <gtest/gtest.h>

#include "toolkit/objects/heap.h"
#include "toolkit/process/programs.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!heap_start()) return 2;
    programs_start();
    const int result = RUN_ALL_TESTS();
    heap_end();
    return result;
}
