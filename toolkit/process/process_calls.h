#pragma once
// The platform functions through which programs are started and their handles released. Tests
// replace entries of process_calls() to watch or fake them, and put process_calls_platform() back
// afterwards.

#include <windows.h>
#include <shellapi.h>

struct ProcessCalls {
    BOOL(WINAPI* create_process)
    (LPCSTR application, LPSTR command_line, LPSECURITY_ATTRIBUTES process_security,
     LPSECURITY_ATTRIBUTES thread_security, BOOL inherit_handles, DWORD creation_flags, LPVOID environment,
     LPCSTR directory, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION started);
    BOOL(WINAPI* shell_execute)(SHELLEXECUTEINFOA* start);
    DWORD(WINAPI* wait)(HANDLE handle, DWORD milliseconds);
    BOOL(WINAPI* close_handle)(HANDLE handle);
};

// The table in force.
ProcessCalls& process_calls();
// The platform's own functions.
const ProcessCalls& process_calls_platform();
