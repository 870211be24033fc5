#include "toolkit/ui/window.h"

#include <algorithm>
#include <cwchar>
#include <iterator>

#include "toolkit/objects/heap.h"
#include "toolkit/objects/platform_function.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/event_record.h"
#include "toolkit/ui/sizing.h"
#include "toolkit/ui/text_boundary.h"
#include "toolkit/ui/window_internal.h"

namespace {

constexpr std::int32_t kWindowTableStep = 16;
constexpr int kIconResource = 1;
constexpr std::uint32_t kToolkitBits = WF_CENTER_SCREEN | WF_CENTER_OWNER | WF_TOOL;
// Every bit but the centring flags and WF_INVISIBLE: a caller that sets none of them gets a caption.
constexpr std::uint32_t kStyleBits = 0xEFFFFFFC;
constexpr std::uint32_t kNotForToolWindows = 0xDEFCFFFF;  // ~(WS_MINIMIZE | WS_MAXIMIZE | min and max boxes)
constexpr DWORD kMinimizedOrMaximized = WS_MINIMIZE | WS_MAXIMIZE;

ObjectTable* g_windows = nullptr;
HICON g_icon = nullptr;
HICON g_small_icon = nullptr;
HCURSOR g_cursor = nullptr;

// The last answer of window_number_of: under Wine each property lookup is a round trip to the
// server, as costly as fetching the message itself.
struct KnownWindow {
    HWND handle;
    std::int32_t number;
};
KnownWindow g_known = {nullptr, -1};

struct ClassName {
    wchar_t text[32];
};

ClassName class_name(std::int32_t number) {
    ClassName name;
    std::swprintf(name.text, std::size(name.text), L"WindowClass_%d", static_cast<int>(number));
    return name;
}

HINSTANCE module() {
    return GetModuleHandleA(nullptr);
}

void register_class(const ClassName& name) {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.style = CS_DBLCLKS;
    window_class.lpfnWndProc = window_procedure;
    window_class.hInstance = module();
    window_class.hIcon = g_icon;
    window_class.hCursor = g_cursor;
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(COLOR_BTNFACE + 1));
    window_class.lpszClassName = name.text;
    window_class.hIconSm = g_small_icon;
    RegisterClassExW(&window_class);
}

struct Placement {
    DWORD style;
    DWORD ex_style;
    bool show;
    int x, y, width, height;
};

Placement place(std::int32_t x, std::int32_t y, std::int32_t inner_width, std::int32_t inner_height,
                std::uint32_t flags, HWND owner) {
    Placement placement = {};
    std::uint32_t bits = flags;
    if ((bits & kStyleBits) == 0) bits |= WS_CAPTION;
    placement.show = (bits & WF_INVISIBLE) == 0;
    bits &= ~static_cast<std::uint32_t>(WF_INVISIBLE);
    if (bits & WF_TOOL) {
        placement.ex_style = WS_EX_TOOLWINDOW;
        bits &= kNotForToolWindows;
    }
    placement.style = bits & ~kToolkitBits;

    RECT outer = {0, 0, inner_width, inner_height};
    AdjustWindowRectEx(&outer, placement.style, FALSE, placement.ex_style);
    placement.width = outer.right - outer.left;
    placement.height = outer.bottom - outer.top;

    const bool center_screen = (flags & WF_CENTER_SCREEN) != 0;
    const bool center_owner = (flags & WF_CENTER_OWNER) != 0;
    const bool keep = x == KEEP_POSITION || y == KEEP_POSITION;
    if (keep && !center_screen && !center_owner) x = y = CW_USEDEFAULT;
    if (center_screen) {
        const int screen_width = GetSystemMetrics(SM_CXSCREEN);
        const int screen_height = GetSystemMetrics(SM_CYSCREEN);
        placement.width = std::min(placement.width, screen_width);
        placement.height = std::min(placement.height, screen_height);
        x = (screen_width - placement.width) / 2;
        y = (screen_height - placement.height) / 2;
    } else if (center_owner) {
        HWND reference = owner ? owner : GetActiveWindow();
        RECT frame;
        if (reference && GetWindowRect(reference, &frame)) {
            x = std::max(0L, frame.left + (frame.right - frame.left - placement.width) / 2);
            y = std::max(0L, frame.top + (frame.bottom - frame.top - placement.height) / 2);
        } else if (keep) {
            // Nothing to centre on: KEEP_POSITION would otherwise put the window at -65535,
            // far off the screen.
            x = y = CW_USEDEFAULT;
        }
    }
    placement.x = x;
    placement.y = y;
    return placement;
}

void window_release(std::int32_t number) {
    window_close(number);
}

void make_accelerators(WindowRecord* record) {
    auto* entries = static_cast<ACCEL*>(heap_alloc(2 * sizeof(ACCEL)));
    // Without entries or a table the window works as before, only Tab does not move the focus.
    if (!entries) return;
    entries[0] = {FVIRTKEY | FNOINVERT, VK_TAB, FOCUS_NEXT_COMMAND};
    entries[1] = {FVIRTKEY | FNOINVERT | FSHIFT, VK_TAB, FOCUS_PREVIOUS_COMMAND};
    record->accel_entries = entries;
    record->accel_count = 2;
    record->accel_table = CreateAcceleratorTableW(entries, 2);
}

// OLE is looked up by name on first use, so that a program whose windows are never drop targets
// does not load it at start-up. Without it there is nothing to revoke.
void revoke_drop_target(HWND hwnd) {
    using RevokeDragDropFunction = HRESULT(WINAPI*)(HWND);
    static const auto revoke = platform_function<RevokeDragDropFunction>("ole32.dll", "RevokeDragDrop");
    if (revoke) revoke(hwnd);
}

}  // namespace

ObjectTable* window_table() {
    return g_windows;
}

WindowRecord* window_find(std::int32_t number) {
    return object_table_find<WindowRecord>(g_windows, number);
}

void window_number_forget() {
    g_known = {nullptr, -1};
}

std::int32_t window_number_of(HWND hwnd) {
    if (!hwnd) return -1;
    // Most messages go to the window of the one before; only window_open and window_close change
    // the property, and they forget the answer, as does a window's last message.
    if (hwnd == g_known.handle) {
        if (g_known.number == -1) return -1;
        WindowRecord* record = window_find(g_known.number);
        if (record && record->handle == hwnd) return g_known.number;
    }
    auto value = reinterpret_cast<std::intptr_t>(GetPropA(hwnd, WINDOW_NUMBER_PROPERTY));
    g_known.handle = hwnd;
    g_known.number = value == 0 ? -1 : static_cast<std::int32_t>(value - 1);
    return g_known.number;
}

bool window_is_toolkit(HWND hwnd) {
    return window_number_of(hwnd) != -1;
}

void windows_start() {
    g_windows = object_table_create<WindowRecord>(kWindowTableStep, window_release);
    event_record_start();
    // Test executables carry no icon resource: their windows then have none.
    g_icon = LoadIconA(module(), MAKEINTRESOURCEA(kIconResource));
    // The caption's icon: the image drawn for the small size, not the large one shrunk. Not shared:
    // the shared cache hands out the first size loaded, whatever size is asked for.
    g_small_icon = static_cast<HICON>(LoadImageW(module(), MAKEINTRESOURCEW(kIconResource), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    g_cursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
    sizing_start();
}

std::intptr_t window_open(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t inner_width,
                          std::int32_t inner_height, const char* title, std::int32_t flags) {
    return window_open_owned(number, x, y, inner_width, inner_height, title, flags, nullptr);
}

std::intptr_t window_open_owned(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t inner_width,
                                std::int32_t inner_height, const char* title, std::int32_t flags, HWND owner) {
    if (!g_windows) return 0;
    std::int32_t identity = number;
    // Closes the window that holds the number, if any.
    WindowRecord* loose = object_table_slot<WindowRecord>(g_windows, number, &identity);
    if (!loose) return 0;
    const ClassName name = class_name(identity);
    register_class(name);

    auto bits = static_cast<std::uint32_t>(flags);
    const bool controls = (bits & WF_NO_CONTROLS) == 0;
    bits &= ~static_cast<std::uint32_t>(WF_NO_CONTROLS);
    const Placement placement = place(x, y, inner_width, inner_height, bits, owner);

    // A Unicode window, so that what it shows and what is typed into it never pass through the
    // system's code page.
    const std::optional<std::wstring> caption = text_to_wide(title ? title : "");
    HWND hwnd = caption
                    ? CreateWindowExW(placement.ex_style, name.text, caption->c_str(), placement.style, placement.x,
                                      placement.y, placement.width, placement.height, owner, nullptr, module(), nullptr)
                    : nullptr;
    if (!hwnd) {
        UnregisterClassW(name.text, module());
        object_table_release(g_windows, identity);
        return 0;
    }
    // Creation ran the window procedure; only window_open grows the table, but take the slot anew
    // rather than trust an address across it. An ANY_NUMBER record does not move.
    WindowRecord* record = number == ANY_NUMBER ? loose : object_table_slot<WindowRecord>(g_windows, number);
    record->handle = hwnd;
    SetPropA(hwnd, WINDOW_NUMBER_PROPERTY, reinterpret_cast<HANDLE>(static_cast<std::intptr_t>(identity) + 1));
    window_number_forget();

    if (placement.show) {
        int command = SW_SHOWNORMAL;
        if (placement.style & WS_MAXIMIZE)
            command = SW_MAXIMIZE;
        else if (placement.style & WS_MINIMIZE)
            command = SW_SHOWMINIMIZED;
        ShowWindow(hwnd, command);
    }
    record = window_find(identity);
    if (!record) return 0;
    record->min_or_max = (placement.style & kMinimizedOrMaximized) ? 1 : 0;
    window_dpi_start(record);
    make_accelerators(record);

    if (controls) control_list_select(hwnd);
    return number == ANY_NUMBER ? identity : reinterpret_cast<std::intptr_t>(hwnd);
}

void window_close(std::int32_t number) {
    WindowRecord* record = window_find(number);
    if (!record) return;
    HWND hwnd = record->handle;
    if (HWND owner = GetWindow(hwnd, GW_OWNER)) SetActiveWindow(owner);
    // Without the property the messages of the destruction raise no events.
    RemovePropA(hwnd, WINDOW_NUMBER_PROPERTY);
    window_number_forget();
    if (RemovePropA(hwnd, DROP_TARGET_PROPERTY)) revoke_drop_target(hwnd);
    DestroyWindow(hwnd);
    UnregisterClassW(class_name(number).text, module());
    if ((record = window_find(number)) != nullptr) {
        heap_free(record->accel_entries);
        if (record->accel_table) DestroyAcceleratorTable(record->accel_table);
        window_dpi_end(record);
    }
    object_table_release(g_windows, number);
}

HWND window_handle(std::int32_t number) {
    WindowRecord* record = window_find(number);
    return record ? record->handle : nullptr;
}

void windows_end() {
    object_table_release_all(g_windows);
    event_record_end();
    if (g_small_icon) DestroyIcon(g_small_icon);
    g_small_icon = nullptr;
}
