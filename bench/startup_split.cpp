// startup_split <rounds>
// Where the launcher's processor time at start-up goes: the launcher's start-up steps, in its own
// order, each timed by the processor time of this thread, and the same for the steps of the direct
// program (direct_window.cpp) in a second process of this program. Under Wine the thread's time
// comes from Linux's scheduler statistics (/proc/thread-self/schedstat through drive Z:); it does
// not see what Wine's server and X do for the thread. Each step's time is the median over
// <rounds> processes; reading the statistics costs the same in every step and is taken off.
// Prints "median split_us <step> <value>" per step.
#include <windows.h>
#include <commctrl.h>
#include <cstdint>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "bench/bench_support.h"
#include "bench/direct_options_window.h"
#include "launcher/options.h"
#include "launcher/options_window.h"
#include "launcher/options_window_layout.h"
#include "toolkit/desktop/desktops.h"
#include "toolkit/files/file_channels.h"
#include "toolkit/objects/heap.h"
#include "toolkit/process/programs.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/window.h"

namespace {

// The thread's time on a processor in microseconds; -1 where there is no such statistic.
double thread_us() {
    HANDLE file = CreateFileA("Z:\\proc\\thread-self\\schedstat", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              0, nullptr);
    if (file == INVALID_HANDLE_VALUE) return -1;
    char text[128] = {};
    DWORD got = 0;
    ReadFile(file, text, sizeof text - 1, &got, nullptr);
    CloseHandle(file);
    return static_cast<double>(std::strtoull(text, nullptr, 10)) / 1000.0;
}

struct Split {
    std::vector<std::pair<std::string, double>> steps;
    double last = thread_us();
    void mark(const char* step) {
        const double now = thread_us();
        steps.emplace_back(step, now - last);
        last = thread_us();
    }
};

// Takes every message that start-up left, as the first waits of a message loop would.
void drain() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

void launcher_steps(Split& split) {
    split.mark("reading_the_statistics");
    heap_start();
    split.mark("launcher_heap");
    file_channels_init();
    windows_start();
    split.mark("launcher_windows_start");
    controls_init();
    split.mark("launcher_controls_init");
    programs_start();
    split.mark("launcher_programs_start");
    desktops_examine();
    split.mark("launcher_desktops_examine");
    if (!file_open_read(kOptionsChannel, kOptionsFile)) options_create_default();
    options_load();
    split.mark("launcher_options_file");
    options_window_build();
    split.mark("launcher_window_and_controls");
    drain();
    split.mark("launcher_first_messages");
    // What attaching a control costs beyond making it: the same calls again, with the values the
    // controls already hold.
    HWND controls[kOptionsControlCount] = {};
    for (int index = 0; index < kOptionsControlCount; ++index)
        controls[index] = GetDlgItem(window_handle(kOptionsWindow), kOptionsControls[index].number);
    split.mark("launcher_finding_the_controls");
    for (HWND control : controls)
        if (control) SetWindowLongPtrA(control, GWLP_WNDPROC, GetWindowLongPtrA(control, GWLP_WNDPROC));
    split.mark("launcher_attach_procedure_once_more");
    for (int index = 0; index < kOptionsControlCount; ++index)
        if (controls[index]) SetWindowLongPtrA(controls[index], GWLP_ID, kOptionsControls[index].number);
    split.mark("launcher_attach_identifier_once_more");
    for (int index = 0; index < kOptionsControlCount; ++index)
        if (controls[index])
            SetPropA(controls[index], "ToolkitControlNumber",
                     reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(kOptionsControls[index].number)));
    split.mark("launcher_attach_property_once_more");
}

void direct_steps(Split& split) {
    split.mark("reading_the_statistics");
    direct_start_common_controls();
    split.mark("direct_common_controls");
    direct_open_window(DefWindowProcA);
    split.mark("direct_window");
    direct_build_controls();
    split.mark("direct_controls");
    drain();
    split.mark("direct_first_messages");
}

// Runs this program once per round and side, and gathers the steps that the children print.
int parent(int rounds, const char* self) {
    std::map<std::string, std::vector<double>> samples;
    std::vector<std::string> order;
    for (int round = 0; round < rounds; ++round) {
        for (const char* side : {"launcher", "direct"}) {
            SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
            HANDLE read_end, write_end;
            if (!CreatePipe(&read_end, &write_end, &inherit, 0)) return 1;
            SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
            std::string command = std::string("\"") + self + "\" child " + side;
            STARTUPINFOA startup = {};
            startup.cb = sizeof startup;
            startup.dwFlags = STARTF_USESTDHANDLES;
            startup.hStdOutput = write_end;
            startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
            PROCESS_INFORMATION process = {};
            if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup,
                                &process))
                return 1;
            CloseHandle(write_end);
            std::string output;
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
            CloseHandle(read_end);
            WaitForSingleObject(process.hProcess, INFINITE);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
            char step[64];
            double value = 0;
            for (const char* line = output.c_str(); *line;) {
                if (std::sscanf(line, "%63s %lf", step, &value) == 2) {
                    if (!samples.count(step)) order.push_back(step);
                    samples[step].push_back(value);
                }
                const char* next = std::strchr(line, '\n');
                if (!next) break;
                line = next + 1;
            }
        }
    }
    for (const std::string& step : order) std::printf("median split_us %s %.0f\n", step.c_str(), median(samples[step]));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::strcmp(argv[1], "child") == 0) {
        Split split;
        if (std::strcmp(argv[2], "launcher") == 0)
            launcher_steps(split);
        else
            direct_steps(split);
        const double overhead = split.steps.front().second;
        for (const auto& [step, us] : split.steps)
            std::printf("%s %.0f\n", step.c_str(), step == "reading_the_statistics" ? us : us - overhead);
        return 0;
    }
    return parent(argc > 1 ? std::atoi(argv[1]) : 5, argv[0]);
}
