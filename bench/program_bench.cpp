// program_bench <runs> <idle runs> <idle seconds> <name>=<program.exe>...
// Starts each program in turn from the current folder, alternating them run by run, and measures:
//   startup_ms    from just before CreateProcess until the program's visible window "Optionen" exists
//                 and its thread has answered a sent WM_NULL, that is, it waits in its message loop;
//   startup_linux_cpu_ms
//                 where the program runs under Wine: the processor time its threads had used when it was
//                 ready, from Linux's scheduler statistics (below); less disturbed by other work on the
//                 machine than the elapsed time, but blind to what Wine's server and X do for it;
//   idle_cpu_ms   processor time (GetProcessTimes, user + kernel) used in <idle seconds> without input,
//                 from 0.5 s after start-up on (first <idle runs> runs only);
//   idle_linux_cpu_ms, idle_wakeups
//                 where the program runs under Wine: the time its threads spent on a processor in that
//                 span and the times they were put on one, from Linux's per-thread scheduler
//                 statistics (/proc/<pid>/task/*/schedstat, nanosecond resolution; n/a elsewhere);
//   peak_ws_kib   peak working set (GetProcessMemoryInfo) when the program is ended.
// It ends each program as a user would: "Abbrechen" when the window has it, else the close box.
// Prints one "sample" line per measurement and one "median" line per figure and program.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "bench/bench_support.h"

namespace {

constexpr DWORD kReadyTimeoutMs = 30000;
constexpr DWORD kEndTimeoutMs = 10000;
constexpr DWORD kSettleMs = 500;

struct Program {
    std::string name;
    std::string path;
    std::vector<double> startup_ms, startup_linux_cpu_ms, idle_cpu_ms, idle_linux_cpu_ms, idle_wakeups, peak_ws_kib;
    int children = -1;
};

BOOL CALLBACK count_child(HWND, LPARAM context) {
    ++*reinterpret_cast<int*>(context);
    return TRUE;
}

double seconds_between(LARGE_INTEGER from, LARGE_INTEGER to) {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double processor_ms(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
    auto ticks = [](FILETIME t) { return (static_cast<ULONGLONG>(t.dwHighDateTime) << 32) | t.dwLowDateTime; };
    return static_cast<double>(ticks(kernel) + ticks(user)) / 10000.0;  // 100 ns units
}

std::string read_file(const std::string& path) {
    std::string content;
    HANDLE file =
        CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    CloseHandle(file);
    return content;
}

// Under Wine the Linux process table shows through drive Z:, and a Wine process's Linux command
// line is its Windows command line. Finds the process whose command line carries the tag; empty
// elsewhere.
std::string linux_process(const char* tag) {
    // An argument of its own: NUL bytes on both sides.
    std::string needle = std::string(1, '\0') + tag + '\0';
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA("Z:\\proc\\*", &entry);
    if (search == INVALID_HANDLE_VALUE) return {};
    std::string found;
    do {
        std::string name = entry.cFileName;
        if (name.empty() || name.find_first_not_of("0123456789") != std::string::npos) continue;
        std::string command = read_file("Z:\\proc\\" + name + "\\cmdline");
        if (command.find(needle) != std::string::npos) found = "Z:\\proc\\" + name;
    } while (found.empty() && FindNextFileA(search, &entry));
    FindClose(search);
    return found;
}

// The scheduler's figures of all the process's threads (schedstat: time on a processor in ns,
// time waiting for one, times put on one). known is false where there are none.
struct LinuxTimes {
    bool known = false;
    double on_cpu_ms = 0;
    double wakeups = 0;
};

LinuxTimes linux_times(const std::string& process) {
    LinuxTimes times;
    if (process.empty()) return times;
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((process + "\\task\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return times;
    do {
        if (entry.cFileName[0] == '.') continue;
        std::string stat = read_file(process + "\\task\\" + entry.cFileName + "\\schedstat");
        unsigned long long fields[3];
        char* next = stat.data();
        int read = 0;
        for (; read < 3; ++read) {
            char* end = nullptr;
            fields[read] = std::strtoull(next, &end, 10);
            if (end == next) break;
            next = end;
        }
        if (read != 3) continue;
        times.known = true;
        times.on_cpu_ms += static_cast<double>(fields[0]) / 1e6;
        times.wakeups += static_cast<double>(fields[2]);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return times;
}

// One start of a program; false when it never became ready.
bool run_once(Program& program, bool measure, bool idle, DWORD idle_ms, int serial) {
    // The programs ignore their command line; a tag on it tells this start's process from other
    // instances of the same program that may run on the machine.
    char tag[32];
    std::snprintf(tag, sizeof tag, "b%lu-%d", GetCurrentProcessId(), serial);
    std::string command = "\"";
    command += program.path;
    command += "\" ";
    command += tag;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};

    LARGE_INTEGER started, ready;
    QueryPerformanceCounter(&started);
    if (!CreateProcessA(program.path.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process)) {
        std::fprintf(stderr, "cannot start %s (error %lu)\n", program.path.c_str(), GetLastError());
        return false;
    }
    HWND window = wait_until_ready(process, kReadyTimeoutMs);
    QueryPerformanceCounter(&ready);
    bool ok = window != nullptr;

    if (ok && measure) {
        program.startup_ms.push_back(1000.0 * seconds_between(started, ready));
        int children = 0;
        EnumChildWindows(window, count_child, reinterpret_cast<LPARAM>(&children));
        program.children = children;
        std::string linux_side = linux_process(tag);
        LinuxTimes at_ready = linux_times(linux_side);
        if (at_ready.known) program.startup_linux_cpu_ms.push_back(at_ready.on_cpu_ms);
        if (idle) {
            Sleep(kSettleMs);
            double cpu_before = processor_ms(process.hProcess);
            LinuxTimes linux_before = linux_times(linux_side);
            Sleep(idle_ms);
            program.idle_cpu_ms.push_back(processor_ms(process.hProcess) - cpu_before);
            LinuxTimes linux_after = linux_times(linux_side);
            if (linux_before.known && linux_after.known) {
                program.idle_linux_cpu_ms.push_back(linux_after.on_cpu_ms - linux_before.on_cpu_ms);
                program.idle_wakeups.push_back(linux_after.wakeups - linux_before.wakeups);
            }
        }
        PROCESS_MEMORY_COUNTERS memory = {};
        memory.cb = sizeof memory;
        if (GetProcessMemoryInfo(process.hProcess, &memory, sizeof memory))
            program.peak_ws_kib.push_back(static_cast<double>(memory.PeakWorkingSetSize) / 1024.0);
    }

    if (window) {
        HWND cancel = FindWindowExA(window, nullptr, "Button", "Abbrechen");
        if (cancel)
            PostMessageA(cancel, BM_CLICK, 0, 0);
        else
            PostMessageA(window, WM_CLOSE, 0, 0);
    }
    if (WaitForSingleObject(process.hProcess, kEndTimeoutMs) != WAIT_OBJECT_0) {
        std::fprintf(stderr, "%s did not end by itself; terminated\n", program.name.c_str());
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, kEndTimeoutMs);
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    if (!ok) std::fprintf(stderr, "%s showed no ready window \"Optionen\"\n", program.name.c_str());
    return ok;
}

void print_figure(const char* figure, const Program& program, const std::vector<double>& values) {
    for (double value : values) std::printf("sample %s %s %.3f\n", figure, program.name.c_str(), value);
    if (values.empty())
        std::printf("median %s %s n/a\n", figure, program.name.c_str());
    else
        std::printf("median %s %s %.3f\n", figure, program.name.c_str(), median(values));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5) {
        std::fprintf(stderr, "usage: program_bench <runs> <idle runs> <idle seconds> <name>=<program.exe>...\n");
        return 2;
    }
    int runs = std::atoi(argv[1]);
    int idle_runs = std::atoi(argv[2]);
    auto idle_ms = static_cast<DWORD>(std::atoi(argv[3]) * 1000);
    std::vector<Program> programs;
    char folder[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, folder);
    for (int i = 4; i < argc; ++i) {
        const char* equals = std::strchr(argv[i], '=');
        if (!equals) return 2;
        Program program;
        program.name.assign(argv[i], static_cast<std::size_t>(equals - argv[i]));
        program.path = std::string(folder) + "\\" + (equals + 1);
        programs.push_back(program);
    }

    int serial = 0;
    bool ok = true;
    // One start of each that is not counted: it brings the program's files into the cache.
    for (Program& program : programs) ok = run_once(program, false, false, 0, ++serial) && ok;
    for (int run = 0; run < runs; ++run) {
        // Each run starts with another program, so that none always follows the same one.
        for (std::size_t k = 0; k < programs.size(); ++k) {
            Program& program = programs[(k + static_cast<std::size_t>(run)) % programs.size()];
            ok = run_once(program, true, run < idle_runs, idle_ms, ++serial) && ok;
        }
    }

    for (const Program& program : programs) {
        print_figure("startup_ms", program, program.startup_ms);
        print_figure("startup_linux_cpu_ms", program, program.startup_linux_cpu_ms);
        print_figure("idle_cpu_ms", program, program.idle_cpu_ms);
        print_figure("idle_linux_cpu_ms", program, program.idle_linux_cpu_ms);
        print_figure("idle_wakeups", program, program.idle_wakeups);
        print_figure("peak_ws_kib", program, program.peak_ws_kib);
        std::printf("children %s %d\n", program.name.c_str(), program.children);
    }
    return ok ? 0 : 1;
}
