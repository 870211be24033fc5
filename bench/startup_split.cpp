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

#include "launcher/options.h"
#include "launcher/options_window.h"
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
    HWND controls[16] = {};
    for (std::int32_t number = 0; number < 16; ++number)
        controls[number] = GetDlgItem(window_handle(kOptionsWindow), number);
    split.mark("launcher_finding_the_controls");
    for (HWND control : controls)
        if (control) SetWindowLongPtrA(control, GWLP_WNDPROC, GetWindowLongPtrA(control, GWLP_WNDPROC));
    split.mark("launcher_attach_procedure_once_more");
    for (std::int32_t number = 0; number < 16; ++number)
        if (controls[number]) SetWindowLongPtrA(controls[number], GWLP_ID, number);
    split.mark("launcher_attach_identifier_once_more");
    for (std::int32_t number = 0; number < 16; ++number)
        if (controls[number])
            SetPropA(controls[number], "ToolkitControlNumber",
                     reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(number)));
    split.mark("launcher_attach_property_once_more");
}

// The direct program's own code (direct_window.cpp), unchanged.
namespace direct {
constexpr DWORD kWindowStyle = WS_CAPTION | WS_SYSMENU;
constexpr int kCancelButton = 10;
// The common-control classes that the toolkit registers, and the slider's own set.
constexpr DWORD kControlClasses = 0xB48 | ICC_BAR_CLASSES;
constexpr int kListOpenHeight = 350;
constexpr int kListItemHeight = 15;

constexpr DWORD kLabel = WS_CHILD | WS_VISIBLE | WS_GROUP;
constexpr DWORD kTextField = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kList =
    WS_CHILD | WS_VISIBLE | WS_BORDER | WS_VSCROLL | WS_GROUP | CBS_HASSTRINGS | WS_TABSTOP | CBS_DROPDOWNLIST;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_GROUP | WS_TABSTOP;
constexpr DWORD kSlider = WS_CHILD | WS_VISIBLE | WS_TABSTOP;

const char* const kResolutionItems[] = {
    "640*480",  "720*480",  "800*600",   "960*720",  "1024*768", "1200*800", "1200*900",  "1280*720",  "1280*768",
    "1280*800", "1280*960", "1280*1024", "1366*768", "1600*768", "1600*900", "1600*1200", "1920*1080",
};

HWND g_window = nullptr;
HFONT g_font = nullptr;

HWND control(const char* window_class, DWORD extended, DWORD style, int number, int x, int y, int width, int height,
             const char* text) {
    HWND handle =
        CreateWindowExA(extended, window_class, text, style, x, y, width, height, g_window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(number)), GetModuleHandleA(nullptr), nullptr);
    SendMessageA(handle, WM_SETFONT, reinterpret_cast<WPARAM>(g_font), TRUE);
    return handle;
}

HWND label(int number, int x, int y, int width, int height, const char* text) {
    return control("Static", 0, kLabel, number, x, y, width, height, text);
}

HWND button(int number, int x, int y, int width, int height, const char* text) {
    return control("Button", 0, kButton, number, x, y, width, height, text);
}

HWND slider(int number, int x, int y, int width, int height) {
    HWND handle = control(TRACKBAR_CLASSA, 0, kSlider, number, x, y, width, height, nullptr);
    SendMessageA(handle, TBM_SETRANGEMIN, FALSE, 0);
    SendMessageA(handle, TBM_SETRANGEMAX, FALSE, 100);
    SendMessageA(handle, TBM_SETPOS, TRUE, 0);
    return handle;
}

// The list is made tall enough for its opened items; its closed height is set through the height
// of the selection field, less the frame that the platform draws around it.
HWND list(int number, int x, int y, int width, int height) {
    HWND handle = control("ComboBox", WS_EX_CLIENTEDGE, kList, number, x, y, width, kListOpenHeight, nullptr);
    SendMessageA(handle, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), kListItemHeight);
    RECT frame;
    GetWindowRect(handle, &frame);
    int frame_height = (frame.bottom - frame.top) - kListItemHeight;
    SendMessageA(handle, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), height - frame_height);
    return handle;
}

LRESULT CALLBACK direct_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void build_controls() {
    label(0, 20, 20, 50, 20, "Spieler 1");
    control("Edit", WS_EX_CLIENTEDGE, kTextField, 1, 80, 20, 240, 20, "Spieler1");
    label(2, 20, 50, 50, 20, "Spieler 2");
    label(5, 20, 110, 50, 20, "Musik");
    label(6, 20, 140, 50, 20, "Sounds");
    control("Edit", WS_EX_CLIENTEDGE, kTextField, 7, 80, 50, 240, 20, "Spieler2");

    HWND resolutions = list(8, 80, 80, 190, 20);
    for (int item = 0; item < 17; ++item)
        SendMessageA(resolutions, CB_INSERTSTRING, static_cast<WPARAM>(item),
                     reinterpret_cast<LPARAM>(kResolutionItems[item]));

    button(15, 220, 180, 135, 30, "Zum Zindrop Launcher");

    char current[32];
    wsprintfA(current, "%d*%d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    SendMessageA(resolutions, CB_INSERTSTRING, 17, reinterpret_cast<LPARAM>(current));
    SendMessageA(resolutions, CB_SETCURSEL, 17, 0);

    label(3, 20, 80, 60, 20, "Aufl\xF6sung");
    label(4, 257, 227, 120, 20, "Vellmark Software");
    HWND music = slider(14, 80, 110, 250, 30);
    HWND sound = slider(13, 80, 140, 250, 30);
    button(9, 20, 180, 90, 30, "Speichern");
    button(kCancelButton, 120, 180, 90, 30, "Abbrechen");
    button(12, 275, 80, 90, 22, "Native Aufl\xF6sung");

    SendMessageA(music, TBM_SETPOS, TRUE, 100);
    SendMessageA(sound, TBM_SETPOS, TRUE, 100);
}

}  // namespace direct

void direct_steps(Split& split) {
    using namespace direct;
    split.mark("reading_the_statistics");
    g_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    INITCOMMONCONTROLSEX classes = {sizeof classes, kControlClasses};
    InitCommonControlsEx(&classes);
    split.mark("direct_common_controls");
    WNDCLASSA window_class = {};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = direct_procedure;
    window_class.hInstance = GetModuleHandleA(nullptr);
    window_class.hIcon = LoadIconA(window_class.hInstance, MAKEINTRESOURCEA(1));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "DirectWindow";
    RegisterClassA(&window_class);
    RECT outer = {0, 0, 370, 240};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    g_window = CreateWindowExA(0, "DirectWindow", "Optionen", kWindowStyle, 478, 416, outer.right - outer.left,
                               outer.bottom - outer.top, nullptr, nullptr, window_class.hInstance, nullptr);
    ShowWindow(g_window, SW_SHOWNORMAL);
    split.mark("direct_window");
    build_controls();
    split.mark("direct_controls");
    drain();
    split.mark("direct_first_messages");
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
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
