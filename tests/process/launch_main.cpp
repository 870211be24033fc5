// Every launch test process runs with the toolkit's heap and the launch service started, inside a
// job that ends the programs it starts when it ends itself, however that comes.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/kill_on_close_job.h"
#include "toolkit/objects/heap.h"
#include "toolkit/process/programs.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    // The handle stays open until the process ends: closing it earlier would end this process too.
    HANDLE job = kill_on_close_job_create();
    if (!job || !AssignProcessToJobObject(job, GetCurrentProcess())) {
        std::fprintf(stderr, "cannot put the test into a job (error %lu)\n", GetLastError());
        return 2;
    }
    if (!heap_start()) return 2;
    programs_start();
    const int result = RUN_ALL_TESTS();
    heap_end();
    return result;
}
