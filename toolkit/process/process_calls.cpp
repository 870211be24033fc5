#include "toolkit/process/process_calls.h"

namespace {

const ProcessCalls kPlatform = {CreateProcessA, ShellExecuteExA, WaitForSingleObject, CloseHandle};

ProcessCalls g_calls = kPlatform;

}  // namespace

ProcessCalls& process_calls() {
    return g_calls;
}

const ProcessCalls& process_calls_platform() {
    return kPlatform;
}
