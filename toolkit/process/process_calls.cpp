#include "toolkit/process/process_calls.h"

namespace {

// The shell is looked up by name on first use: it is needed only when CreateProcessA fails, and
// loading it at start-up costs every run. Without it the shell start fails.
BOOL WINAPI shell_execute_by_name(SHELLEXECUTEINFOA* start) {
    using ShellExecuteExFunction = BOOL(WINAPI*)(SHELLEXECUTEINFOA*);
    static const ShellExecuteExFunction shell_execute = []() -> ShellExecuteExFunction {
        HMODULE library = LoadLibraryA("shell32.dll");
        FARPROC address = library ? GetProcAddress(library, "ShellExecuteExA") : nullptr;
#if defined(__GNUC__)
#pragma GCC diagnostic push
// GetProcAddress gives every entry point as FARPROC; the real signature is the one named here.
#pragma GCC diagnostic ignored "-Wcast-function-type"
#endif
        return reinterpret_cast<ShellExecuteExFunction>(address);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
    }();
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
