#include "bench/direct_options_window.h"

#include <commctrl.h>

#include "launcher/options_window_layout.h"

namespace {

constexpr DWORD kWindowStyle = kOptionsWindowFlags;
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

HWND slider(int number, int x, int y, int width, int height) {
    HWND handle = control(TRACKBAR_CLASSA, 0, kSlider, number, x, y, width, height, nullptr);
    SendMessageA(handle, TBM_SETRANGEMIN, FALSE, kVolumeMinimum);
    SendMessageA(handle, TBM_SETRANGEMAX, FALSE, kVolumeMaximum);
    SendMessageA(handle, TBM_SETPOS, TRUE, kVolumeMinimum);
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

}  // namespace

void direct_start_common_controls() {
    g_font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    INITCOMMONCONTROLSEX classes = {sizeof classes, kControlClasses};
    InitCommonControlsEx(&classes);
}

HWND direct_open_window(WNDPROC procedure) {
    HINSTANCE instance = GetModuleHandleA(nullptr);
    WNDCLASSA window_class = {};
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = procedure;
    window_class.hInstance = instance;
    window_class.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(1));
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "DirectWindow";
    RegisterClassA(&window_class);

    RECT outer = {0, 0, kOptionsClientWidth, kOptionsClientHeight};
    AdjustWindowRectEx(&outer, kWindowStyle, FALSE, 0);
    g_window = CreateWindowExA(0, "DirectWindow", kOptionsWindowTitle, kWindowStyle, kOptionsWindowPlace.x,
                               kOptionsWindowPlace.y, outer.right - outer.left, outer.bottom - outer.top, nullptr,
                               nullptr, instance, nullptr);
    if (g_window) ShowWindow(g_window, SW_SHOWNORMAL);
    return g_window;
}

void direct_build_controls() {
    HWND resolutions = nullptr, music = nullptr, sound = nullptr;
    for (const ControlPlace& place : kOptionsControls) {
        const int number = place.number, x = place.x, y = place.y, width = place.width, height = place.height;
        switch (place.kind) {
            case OptionsControlKind::label:
                control("Static", 0, kLabel, number, x, y, width, height, place.text);
                break;
            case OptionsControlKind::text_field:
                // The names of a first start, which the bench's options file holds.
                control("Edit", WS_EX_CLIENTEDGE, kTextField, number, x, y, width, height,
                        number == kPlayer1Field ? "Spieler1" : "Spieler2");
                break;
            case OptionsControlKind::list:
                resolutions = list(number, x, y, width, height);
                for (int item = 0; item < kFixedResolutionCount; ++item)
                    SendMessageA(resolutions, CB_INSERTSTRING, static_cast<WPARAM>(item),
                                 reinterpret_cast<LPARAM>(kResolutions[item].text));
                break;
            case OptionsControlKind::button:
                control("Button", 0, number == kOptionsDefaultButton ? kButton | BS_DEFPUSHBUTTON : kButton, number, x,
                        y, width, height, place.text);
                break;
            case OptionsControlKind::slider:
                (number == kMusicSlider ? music : sound) = slider(number, x, y, width, height);
                break;
        }
        // Item 17, the desktop's resolution, comes after the launch button, as in the launcher.
        if (number == kLaunchButton) {
            char current[32];
            wsprintfA(current, "%d*%d", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
            SendMessageA(resolutions, CB_INSERTSTRING, static_cast<WPARAM>(kCurrentResolutionItem),
                         reinterpret_cast<LPARAM>(current));
            SendMessageA(resolutions, CB_SETCURSEL, static_cast<WPARAM>(kCurrentResolutionItem), 0);
        }
    }
    SendMessageA(music, TBM_SETPOS, TRUE, kVolumeMaximum);
    SendMessageA(sound, TBM_SETPOS, TRUE, kVolumeMaximum);
    // The first name starts with the focus and its text selected, as in the launcher.
    HWND first = GetDlgItem(g_window, kPlayer1Field);
    SendMessageA(first, EM_SETSEL, 0, -1);
    SetFocus(first);
}
