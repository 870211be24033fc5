#pragma once
// Ties the processes that a test starts to the test: a job object that ends every process in it
// once its last handle is closed, by its owner or by the system when the process that holds it
// ends for any reason, a kill from outside included (Wine 8 honours this as Windows does). The
// children of a process in the job join it by themselves, so a game or helper that a started
// program starts in turn goes with it.
//
// Under Wine the ending matters beyond tidiness: a started program inherits the test's Unix
// stderr, whatever standard handles it is given, and ctest waits for that pipe to close.

#include <windows.h>

// A new job with that limit; null when the platform refuses one.
inline HANDLE kill_on_close_job_create() {
    HANDLE job = CreateJobObjectA(nullptr, nullptr);
    if (!job) return nullptr;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits, sizeof limits)) {
        CloseHandle(job);
        return nullptr;
    }
    return job;
}
