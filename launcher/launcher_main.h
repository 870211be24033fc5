#pragma once
// The launcher's entry point and its event loop.

#include <cstdint>

// Receives the gadget number of each gadget event; answers true when the loop is to end.
using CommandHook = bool (*)(std::int32_t gadget);

// Runs the launcher from start-up to shut-down; the process's exit code, always 0.
int launcher_main();
