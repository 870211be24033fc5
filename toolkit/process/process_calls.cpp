#include "toolkit/process/process_calls.h"

#include "toolkit/objects/platform_function.h"

namespace {

// The shell is looked up by name on first use: it is needed only when CreateProcessA fails, and
// loading it at start-up costs every run. Without it the shell start fails.
BOOL WINAPI shell_execute_by_name(SHELLEXECUTEINFOA* start) {
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
    static const auto shell_execute = platform_function<ShellExecuteExFunction>("shell32.dll", "ShellExecuteExA");
    return shell_execute ? shell_execute(start) : FALSE;
}

const ProcessCalls kPlatform = {CreateProcessA, shell_execute_by_name, WaitForSingleObject, CloseHandle};

ProcessCalls g_calls = kPlatform;

}  // namespace

ProcessCalls& process_calls() {
    return g_calls;
}

const ProcessCalls& process_calls_platform() {
    return kPlatform;
}
