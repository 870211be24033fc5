#pragma once
// Windows only: a function of a system DLL looked up by name at run time, for entry points that
// are needed rarely (so their DLL is not loaded at start-up) or that older systems may lack.

#include <windows.h>

// An address from GetProcAddress as the function type it really has.
template <typename Function>
Function function_cast(FARPROC address) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
// GetProcAddress gives every entry point as FARPROC; the real signature is the caller's Function.
#pragma GCC diagnostic ignored "-Wcast-function-type"
#endif
    return reinterpret_cast<Function>(address);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

// The entry point as Function, or null when the DLL or the entry point is missing. The DLL stays
// loaded for the rest of the process.
template <typename Function>
Function platform_function(const char* library_name, const char* entry_name) {
    HMODULE library = LoadLibraryA(library_name);
    return function_cast<Function>(library ? GetProcAddress(library, entry_name) : nullptr);
}
