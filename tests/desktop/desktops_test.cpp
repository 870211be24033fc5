// The desktop list built from displays shown through a replaced table of display functions.
#include "toolkit/desktop/desktops.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "toolkit/desktop/display_calls.h"
#include "toolkit/desktop/display_scale.h"
#include "toolkit/objects/heap.h"
#include "toolkit/objects/os_seam.h"

namespace {

constexpr DWORD kAttached = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP;
constexpr DWORD kPrimary = DISPLAY_DEVICE_ATTACHED_TO_DESKTOP | DISPLAY_DEVICE_PRIMARY_DEVICE;

struct FakeDevice {
    std::string name;
    DWORD flags;
    DWORD width;
    bool readable = true;
};

struct FakeMonitor {
    std::string device;
    LONG left;
    LONG top;
    bool readable = true;
};

// The displays the fake functions show, and what the desktop service did with them.
struct FakeWorld {
    std::vector<FakeDevice> devices;
    std::vector<FakeDevice> devices_later;  // shown from the second walk on when `changes`
    bool changes = false;
    std::vector<FakeMonitor> monitors;
    bool library = true;
    std::set<std::string> missing;
    bool dc = true;
    int refresh = 75;
    int logical_dpi = 144;  // LOGPIXELSY of the screen
    int walks = 0;
    int loads = 0;
    int frees = 0;
    int dcs_deleted = 0;
    int faults = 0;  // calls made in a way the platform would refuse
};

FakeWorld g_world;
const HMODULE kLibrary = reinterpret_cast<HMODULE>(static_cast<INT_PTR>(0x5150));
const HDC kDc = reinterpret_cast<HDC>(static_cast<INT_PTR>(0x0DC0));

const std::vector<FakeDevice>& devices_now() {
    return g_world.changes && g_world.walks > 0 ? g_world.devices_later : g_world.devices;
}

bool check(bool condition) {
    if (!condition) ++g_world.faults;
    return condition;
}

// A device's mode is made from its width: height width / 2, refresh width % 97, depth 32.
BOOL WINAPI fake_enum_display_devices(LPCSTR device, DWORD index, DISPLAY_DEVICEA* found, DWORD flags) {
    if (!check(!device && !flags && found && found->cb == sizeof(DISPLAY_DEVICEA))) return FALSE;
    const std::vector<FakeDevice>& devices = devices_now();
    if (index >= devices.size()) {
        ++g_world.walks;
        return FALSE;
    }
    *found = DISPLAY_DEVICEA{};
    found->cb = sizeof *found;
    devices[index].name.copy(found->DeviceName, sizeof found->DeviceName);
    found->StateFlags = devices[index].flags;
    return TRUE;
}

BOOL WINAPI fake_enum_display_settings(LPCSTR device, DWORD mode, DEVMODEA* settings) {
    if (!check(device && mode == ENUM_CURRENT_SETTINGS && settings && settings->dmSize == sizeof(DEVMODEA) &&
               settings->dmDriverExtra == 0))
        return FALSE;
    for (const FakeDevice& shown : devices_now()) {
        if (shown.name != device || !shown.readable) continue;
        settings->dmPelsWidth = shown.width;
        settings->dmPelsHeight = shown.width / 2;
        settings->dmDisplayFrequency = shown.width % 97;
        settings->dmBitsPerPel = 32;
        return TRUE;
    }
    return FALSE;
}

BOOL WINAPI fake_get_monitor_info(HMONITOR monitor, MONITORINFO* info) {
    const auto n = static_cast<std::size_t>(reinterpret_cast<INT_PTR>(monitor));
    if (!check(n < g_world.monitors.size() && info && info->cbSize == sizeof(MONITORINFOEXA))) return FALSE;
    if (!g_world.monitors[n].readable) return FALSE;
    auto* extended = reinterpret_cast<MONITORINFOEXA*>(info);
    // Only the rectangle handed to the enumeration counts.
    extended->rcMonitor = RECT{-9999, -9999, 0, 0};
    g_world.monitors[n].device.copy(extended->szDevice, sizeof extended->szDevice);
    return TRUE;
}

BOOL WINAPI fake_enum_display_monitors(HDC dc, LPCRECT clip, MONITORENUMPROC visit, LPARAM data) {
    if (!check(!dc && !clip && !data && visit)) return FALSE;
    for (std::size_t n = 0; n < g_world.monitors.size(); ++n) {
        RECT rectangle{g_world.monitors[n].left, g_world.monitors[n].top, 0, 0};
        visit(reinterpret_cast<HMONITOR>(static_cast<INT_PTR>(n)), nullptr, &rectangle, data);
    }
    return TRUE;
}

template <typename Function>
FARPROC as_entry_point(Function function) {
#if defined(__GNUC__)
#pragma GCC diagnostic push
// A fake GetProcAddress result: handed out as FARPROC like the real one, cast back by the caller.
#pragma GCC diagnostic ignored "-Wcast-function-type"
#endif
    return reinterpret_cast<FARPROC>(function);
#if defined(__GNUC__)
#pragma GCC diagnostic pop
#endif
}

HMODULE WINAPI fake_load_library(LPCSTR name) {
    ++g_world.loads;
    check(std::string(name) == "User32.DLL" || std::string(name) == "Shcore.dll");
    return g_world.library ? kLibrary : nullptr;
}

UINT WINAPI fake_get_dpi_for_system() {
    return 120;
}
UINT WINAPI fake_get_dpi_for_window(HWND) {
    return 168;
}
HRESULT WINAPI fake_get_dpi_for_monitor(HMONITOR, int, UINT* x, UINT* y) {
    *x = *y = 192;
    return S_OK;
}

FARPROC WINAPI fake_get_proc_address(HMODULE module, LPCSTR name) {
    check(module == kLibrary);
    const std::string wanted = name;
    if (g_world.missing.count(wanted)) return nullptr;
    if (wanted == "EnumDisplayDevicesA") return as_entry_point(fake_enum_display_devices);
    if (wanted == "GetMonitorInfoA") return as_entry_point(fake_get_monitor_info);
    if (wanted == "EnumDisplayMonitors") return as_entry_point(fake_enum_display_monitors);
    if (wanted == "GetDpiForSystem") return as_entry_point(fake_get_dpi_for_system);
    if (wanted == "GetDpiForWindow") return as_entry_point(fake_get_dpi_for_window);
    if (wanted == "GetDpiForMonitor") return as_entry_point(fake_get_dpi_for_monitor);
    check(false);
    return nullptr;
}

BOOL WINAPI fake_free_library(HMODULE module) {
    ++g_world.frees;
    return check(module == kLibrary);
}

HDC WINAPI fake_create_dc(LPCSTR driver, LPCSTR device, LPCSTR output, const DEVMODEA* settings) {
    check(driver && std::string(driver) == "DISPLAY" && !device && !output && !settings);
    return g_world.dc ? kDc : nullptr;
}

int WINAPI fake_get_device_caps(HDC dc, int index) {
    check(dc == kDc && (index == BITSPIXEL || index == VREFRESH || index == LOGPIXELSY));
    return index == BITSPIXEL ? 24 : index == LOGPIXELSY ? g_world.logical_dpi : g_world.refresh;
}

BOOL WINAPI fake_delete_dc(HDC dc) {
    ++g_world.dcs_deleted;
    return check(dc == kDc);
}

int WINAPI fake_get_system_metrics(int index) {
    check(index == SM_CXSCREEN || index == SM_CYSCREEN);
    return index == SM_CXSCREEN ? 1280 : 1024;
}

// The list as "name width" per desktop, then " @x,y" where a monitor placed it.
std::string summary() {
    std::string text;
    for (std::int32_t n = 0; const Desktop* desktop = desktop_record(n); ++n) {
        if (n > 0) text += ", ";
        text += std::string(desktop->name) + " " + std::to_string(desktop->width);
        if (desktop->x || desktop->y) text += " @" + std::to_string(desktop->x) + "," + std::to_string(desktop->y);
    }
    return text;
}

class DesktopsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        g_world = FakeWorld{};
        display_calls() =
            DisplayCalls{fake_load_library, fake_get_proc_address, fake_free_library, fake_enum_display_settings,
                         fake_create_dc,    fake_get_device_caps,  fake_delete_dc,    fake_get_system_metrics};
    }
    void TearDown() override {
        desktops_end();
        display_calls() = display_calls_platform();
        EXPECT_EQ(g_world.faults, 0);
    }
};

TEST_F(DesktopsTest, ThePrimaryDisplayComesFirstAndDetachedOutputsGetNoRecord) {
    g_world.devices = {{"D1", kAttached, 1024}, {"D2", kPrimary, 1920}, {"D3", 0, 800}, {"D4", kAttached, 640}};
    ASSERT_EQ(desktops_examine(), 3);
    EXPECT_EQ(summary(), "D2 1920, D1 1024, D4 640");
    const Desktop* primary = desktop_record(0);
    EXPECT_EQ(primary->height, 960);
    EXPECT_EQ(primary->frequency, 1920 % 97);
    EXPECT_EQ(primary->depth, 32);
    EXPECT_EQ(desktop_width(1), 1024);
    EXPECT_EQ(desktop_height(1), 512);
    EXPECT_EQ(desktop_width(3), 0);
    EXPECT_EQ(desktop_height(-1), 0);
}

// Records that received no device are dropped, so every record describes a real device.
TEST_F(DesktopsTest, EveryRecordDescribesADeviceWhoseModeCouldBeRead) {
    g_world.devices = {{"D1", kAttached, 1024}, {"D2", kAttached, 1600, false}, {"D3", kPrimary, 1920}};
    ASSERT_EQ(desktops_examine(), 2);
    EXPECT_EQ(summary(), "D3 1920, D1 1024");
    g_world.devices = {{"D1", kPrimary, 1024, false}, {"D2", kAttached, 1600}};
    ASSERT_EQ(desktops_examine(), 1);
    EXPECT_EQ(summary(), "D2 1600");
    // No mode readable at all: the whole screen stands in.
    g_world.devices = {{"D1", kPrimary, 1024, false}};
    ASSERT_EQ(desktops_examine(), 1);
    EXPECT_EQ(summary(), " 1280");
}

TEST_F(DesktopsTest, WithoutAPrimaryFlagTheDisplaysKeepTheirOrderAndTheFirstOfTwoWins) {
    g_world.devices = {{"D1", kAttached, 1024}, {"D2", kAttached, 1600}, {"D3", kAttached, 800}};
    ASSERT_EQ(desktops_examine(), 3);
    EXPECT_EQ(summary(), "D1 1024, D2 1600, D3 800");
    g_world.devices = {{"D1", kAttached, 1024}, {"D2", kPrimary, 1600}, {"D3", kPrimary, 800}};
    ASSERT_EQ(desktops_examine(), 3);
    EXPECT_EQ(summary(), "D2 1600, D1 1024, D3 800");
}

TEST_F(DesktopsTest, DevicesChangingBetweenThePassesNeverOverrunTheList) {
    struct Case {
        std::vector<FakeDevice> counted, filled;
        const char* expected;
    };
    const Case cases[] = {
        // More devices: the list holds what was counted, the primary display first.
        {{{"D1", kPrimary, 1024}, {"D2", kAttached, 1600}},
         {{"D3", kAttached, 800}, {"D1", kPrimary, 1024}, {"D2", kAttached, 1600}, {"D4", kAttached, 640}},
         "D1 1024, D3 800"},
        // A primary display that turns up when the list is full takes the last place.
        {{{"D1", kAttached, 1024}, {"D2", kAttached, 1600}},
         {{"D1", kAttached, 1024}, {"D2", kAttached, 1600}, {"D5", kPrimary, 2560}},
         "D5 2560, D1 1024"},
        // Fewer devices: only those still there count.
        {{{"D1", kAttached, 1024}, {"D2", kAttached, 1600}, {"D3", kPrimary, 800}},
         {{"D2", kAttached, 1600}},
         "D2 1600"},
    };
    for (const Case& c : cases) {
        g_world.changes = true;
        g_world.walks = 0;
        g_world.devices = c.counted;
        g_world.devices_later = c.filled;
        desktops_examine();
        EXPECT_EQ(summary(), c.expected);
    }
}

TEST_F(DesktopsTest, TheMonitorPassPlacesDesktopsByExactDeviceName) {
    g_world.devices = {{"D1", kPrimary, 1920}, {"D2", kAttached, 1280}, {"D3", kAttached, 800}};
    g_world.monitors = {{"D2", -1280, 56}, {"D9", 5000, 5000}, {"D3", 1920, 200, false}, {"D1", 0, 0}, {"d1", 77, 77}};
    ASSERT_EQ(desktops_examine(), 3);
    EXPECT_EQ(summary(), "D1 1920, D2 1280 @-1280,56, D3 800");
    // Either monitor entry point missing skips the pass, not the devices.
    for (const char* missing : {"EnumDisplayMonitors", "GetMonitorInfoA"}) {
        desktops_end();
        g_world.missing = {missing};
        ASSERT_EQ(desktops_examine(), 3);
        EXPECT_EQ(summary(), "D1 1920, D2 1280, D3 800") << missing;
    }
}

// The platform fills a 32-byte name without a terminating NUL when the name takes all 32.
TEST_F(DesktopsTest, ANameThatFillsItsFieldIsCutToStayTerminated) {
    const std::string full(kDesktopNameSize, 'X');
    g_world.devices = {{full, kPrimary, 1024}};
    g_world.monitors = {{full, 5, 6}};
    ASSERT_EQ(desktops_examine(), 1);
    EXPECT_EQ(summary(), full.substr(0, kDesktopNameSize - 1) + " 1024 @5,6");
}

TEST_F(DesktopsTest, WithoutTheDevicePathOneDesktopCoversTheScreen) {
    g_world.devices = {{"D1", kPrimary, 1920}};
    g_world.monitors = {{"D1", 10, 10}};
    g_world.missing = {"EnumDisplayDevicesA"};
    g_world.refresh = 1;
    ASSERT_EQ(desktops_examine(), 1);
    EXPECT_EQ(summary(), " 1280");
    const Desktop* screen = desktop_record(0);
    EXPECT_EQ(screen->height, 1024);
    EXPECT_EQ(screen->depth, 24);
    EXPECT_EQ(screen->frequency, 0);  // 1 is the hardware default
    EXPECT_EQ(g_world.dcs_deleted, 1);
    g_world.refresh = 59;
    ASSERT_EQ(desktops_examine(), 1);
    EXPECT_EQ(desktop_record(0)->frequency, 59);
    // No device attached takes the same road.
    desktops_end();
    g_world.missing.clear();
    g_world.devices = {{"D1", 0, 1920}};
    ASSERT_EQ(desktops_examine(), 1);
    EXPECT_EQ(summary(), " 1280");
}

TEST_F(DesktopsTest, AMissingLibraryIsTriedAgainAndOnlyALoadedOneReleased) {
    g_world.devices = {{"D1", kPrimary, 1920}};
    g_world.library = false;
    ASSERT_EQ(desktops_examine(), 1);
    EXPECT_EQ(summary(), " 1280");
    g_world.library = true;
    desktops_examine();
    desktops_examine();
    EXPECT_EQ(summary(), "D1 1920");
    EXPECT_EQ(g_world.loads, 2);
    desktops_end();
    desktops_end();
    EXPECT_EQ(g_world.frees, 1);
    EXPECT_EQ(desktop_width(0), 0);
}

// Systems before Windows 10 lack GetDpiForSystem: the screen's logical pixels per inch stand in.
TEST_F(DesktopsTest, TheDisplayScaleIsTheSystemsOrElseTheScreens) {
    EXPECT_EQ(desktop_dpi(), 120);
    g_world.missing = {"GetDpiForSystem"};
    EXPECT_EQ(desktop_dpi(), 144);
    EXPECT_EQ(g_world.frees, 2);
    // A screen that knows no figure leaves the window at the plain scale, not collapsed to nothing.
    g_world.logical_dpi = 0;
    EXPECT_EQ(desktop_dpi(), 96);
}

// A window's own scale from Windows 10 on; its monitor's on 8.1; the system's before.
TEST_F(DesktopsTest, AWindowsScaleIsItsOwnOrElseItsMonitorsOrElseTheSystems) {
    EXPECT_EQ(desktop_window_dpi(nullptr), 168);
    g_world.missing = {"GetDpiForWindow"};
    EXPECT_EQ(desktop_window_dpi(nullptr), 192);
    g_world.missing = {"GetDpiForWindow", "GetDpiForMonitor"};
    EXPECT_EQ(desktop_window_dpi(nullptr), 120);
    EXPECT_EQ(g_world.frees, g_world.loads);
}

TEST_F(DesktopsTest, WithNoDisplayOrNoMemoryThereIsNoDesktop) {
    g_world.dc = false;
    g_world.library = false;
    EXPECT_EQ(desktops_examine(), 0);
    g_world.library = true;
    EXPECT_EQ(desktops_examine(), 0);
    EXPECT_EQ(desktop_width(0), 0);
    EXPECT_EQ(g_world.dcs_deleted, 0);

    g_world.dc = true;
    g_world.devices = {{"D1", kPrimary, 1920}, {"D2", kAttached, 1024}};
    ASSERT_EQ(desktops_examine(), 2);
    os_seam().heap_alloc = [](OsHeap, std::size_t) -> void* { return nullptr; };
    const std::int32_t count = desktops_examine();
    os_seam().heap_alloc = os_seam_platform().heap_alloc;
    EXPECT_EQ(count, 0);
    EXPECT_EQ(desktop_height(0), 0);
    EXPECT_EQ(g_world.dcs_deleted, 1);
}

}  // namespace

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    if (!heap_start()) return 2;
    const int result = RUN_ALL_TESTS();
    heap_end();
    return result;
}
