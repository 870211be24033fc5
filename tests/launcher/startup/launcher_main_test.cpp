// The launcher's entry point run inside the test process, where the platform can be made to refuse
// its window: without the window there is nothing to wait for, and the launcher must end.
#include "launcher/launcher_main.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "tests/files/file_test_support.h"

namespace {

// Refuses every toolkit window ("WindowClass_%d") while installed; other windows are left alone.
LRESULT CALLBACK refuse_toolkit_windows(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        char name[64] = "";
        GetClassNameA(reinterpret_cast<HWND>(wParam), name, sizeof name);
        if (std::strncmp(name, "WindowClass_", 12) == 0) return 1;
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST(LauncherMain, EndsWithExitCodeZeroWhenItsWindowCannotBeOpened) {
    TempFolder game(true);
    std::filesystem::create_directory(game.path() / "Data");
    HHOOK hook = SetWindowsHookExA(WH_CBT, refuse_toolkit_windows, nullptr, GetCurrentThreadId());
    ASSERT_NE(hook, nullptr);
    // Were the loop entered, this call would never come back and the test would time out.
    const int exit_code = launcher_main();
    UnhookWindowsHookEx(hook);
    EXPECT_EQ(exit_code, 0);
    EXPECT_EQ(FindWindowA(nullptr, "Optionen"), nullptr);
    // Start-up before the window still ran: the first-run file holds the defaults that start-up
    // set, with the desktop's own size.
    const std::string width = std::to_string(GetSystemMetrics(SM_CXSCREEN));
    const std::string height = std::to_string(GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(read_bytes(game.path() / "Data" / "Optionen.txt"),
              "Spieler1\r\nSpieler2\r\n1\r\n0\r\n" + width + "\r\n" + height + "\r\n0\r\n100\r\n100\r\n");
}

}  // namespace
