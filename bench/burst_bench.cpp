// burst_bench <rounds> <name>=<program.exe>...
// How long a burst of posted messages holds a program's window: each program is started in turn
// from the current folder, alternating them round by round; once its visible window "Optionen"
// answers a sent WM_NULL, 100,000 messages (WM_APP, which nothing handles) are posted to that
// window as fast as they go, and then "Abbrechen" is pressed by a posted BM_CLICK. Measured:
//   burst_ms      from the first posted message until the process has ended.
// The press is posted again every 100 ms while the program runs on: a loop that loses a press
// needs another, as a user would give it. A press posted while the burst is still being worked
// through waits behind it, so that repeating it adds nothing to a loop that loses nothing.
// Prints one "sample" line per round and program, one "median" line per program, and
// "value burst_lost_posts <name> <count>": posts that the platform refused, over all rounds.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

constexpr int kMessages = 100000;
constexpr DWORD kReadyTimeoutMs = 30000;
// A bound against a program that never ends, far above what any loop needs.
constexpr ULONGLONG kEndTimeoutMs = 600000;
constexpr DWORD kPressAgainMs = 100;

struct Program {
    std::string name;
    std::string path;
    std::vector<double> burst_ms;
    long lost_posts = 0;
};

double ms_between(LARGE_INTEGER from, LARGE_INTEGER to) {
    LARGE_INTEGER frequency;
    QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// One round of a program; false when it never became ready or never ended.
bool run_once(Program& program) {
    std::string command = "\"" + program.path + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(program.path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", program.path.c_str(), GetLastError());
        return false;
    }
    bool ok = false;
    if (HWND window = wait_until_ready(process, kReadyTimeoutMs)) {
        HWND cancel = FindWindowExA(window, nullptr, "Button", "Abbrechen");
        if (!cancel) {
            // A null window would post the presses to this program's own queue.
            std::fprintf(stderr, "%s has no button \"Abbrechen\"\n", program.name.c_str());
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            return false;
        }
        LARGE_INTEGER started, ended;
        QueryPerformanceCounter(&started);
        for (int i = 0; i < kMessages; ++i)
            if (!PostMessageA(window, WM_APP, static_cast<WPARAM>(i), 0)) ++program.lost_posts;
        const ULONGLONG deadline = GetTickCount64() + kEndTimeoutMs;
        do {
            PostMessageA(cancel, BM_CLICK, 0, 0);
        } while (WaitForSingleObject(process.hProcess, kPressAgainMs) == WAIT_TIMEOUT && GetTickCount64() < deadline);
        QueryPerformanceCounter(&ended);
        ok = WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0;
        if (ok)
            program.burst_ms.push_back(ms_between(started, ended));
        else
            std::fprintf(stderr, "%s did not end after the burst\n", program.name.c_str());
    } else {
        std::fprintf(stderr, "%s showed no ready window \"Optionen\"\n", program.name.c_str());
    }
    if (WaitForSingleObject(process.hProcess, 0) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ok;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: burst_bench <rounds> <name>=<program.exe>...\n");
        return 2;
    }
    const int rounds = std::atoi(argv[1]);
    std::vector<Program> programs;
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    for (int i = 2; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (!equals) return 2;
        Program program;
        program.name.assign(argv[i], static_cast<std::size_t>(equals - argv[i]));
        program.path = std::string(folder) + "\\" + (equals + 1);
        programs.push_back(program);
    }

    bool ok = true;
    for (int round = 0; round < rounds; ++round)
        for (std::size_t k = 0; k < programs.size(); ++k)
            ok = run_once(programs[(k + static_cast<std::size_t>(round)) % programs.size()]) && ok;

    for (const Program& program : programs) {
        for (double value : program.burst_ms) std::printf("sample burst_ms %s %.3f\n", program.name.c_str(), value);
        if (program.burst_ms.empty())
            std::printf("median burst_ms %s n/a\n", program.name.c_str());
        else
            std::printf("median burst_ms %s %.3f\n", program.name.c_str(), median(program.burst_ms));
        std::printf("value burst_lost_posts %s %ld\n", program.name.c_str(), program.lost_posts);
    }
    return ok ? 0 : 1;
}
