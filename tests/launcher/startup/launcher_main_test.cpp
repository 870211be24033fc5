// The launcher's entry point run inside the test process, where hooks can refuse its window or
// put a whole script of events before its loop at once, as fast input and busy moments do.
#include "launcher/launcher_main.h"

#include <windows.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "tests/files/file_test_support.h"
#include "tests/support/options_file.h"

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
    EXPECT_EQ(read_bytes(game.path() / "Data" / "Optionen.txt"),
              first_run_file(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)));
}

// Gadget events as a control raises them (wParam: control number), and a marker on which the
// message hook queues window events ending in a close event, all in one dispatch.
constexpr UINT kPostGadgetEvent = 13103;
constexpr UINT kQueueThenClose = WM_APP + 1;
// Marks a WM_NULL on whose fetch the message hook closes the window; WM_APP + 2 nobody handles.
constexpr WPARAM kCloseOnNull = 0x5A17;
constexpr UINT kIgnored = WM_APP + 2;

struct Script {
    std::vector<std::pair<UINT, WPARAM>> posts;
    // Window events queued ahead of the close event by the marker's dispatch.
    int events_before_close = 0;
};

const Script* g_script = nullptr;
std::atomic<HWND> g_window{nullptr};

LRESULT CALLBACK post_script(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND) {
        HWND window = reinterpret_cast<HWND>(wParam);
        char name[64] = "";
        GetClassNameA(window, name, sizeof name);
        if (std::strcmp(name, "WindowClass_0") == 0 && !g_window) {
            g_window = window;
            for (const auto& [message, argument] : g_script->posts) PostMessageA(window, message, argument, 0);
        }
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK queue_on_marker(int code, WPARAM wParam, LPARAM lParam) {
    auto* message = reinterpret_cast<MSG*>(lParam);
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == kQueueThenClose) {
        const UINT events[] = {WM_MOVE, WM_SIZE};
        for (int index = 0; index < g_script->events_before_close; ++index)
            SendMessageA(message->hwnd, events[index % 2], 0, 0);
        SendMessageA(message->hwnd, WM_CLOSE, 0, 0);
    }
    if (code == HC_ACTION && wParam == PM_REMOVE && message->message == WM_NULL && message->wParam == kCloseOnNull)
        SendMessageA(message->hwnd, WM_CLOSE, 0, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

struct Outcome {
    int exit_code = -1;
    // Whether the launcher had to be closed from outside because it did not end by itself.
    bool rescued = false;
    std::string file;
};

// Runs the launcher in a game folder whose options file holds the given bytes, with the script
// posted before its loop runs. A launcher still running after a while is closed from outside.
Outcome run_script(const Script& script, const std::string& options) {
    TempFolder game(true);
    std::filesystem::create_directory(game.path() / "Data");
    write_bytes(game.path() / "Data" / "Optionen.txt", options);
    g_script = &script;
    g_window = nullptr;
    HHOOK cbt = SetWindowsHookExA(WH_CBT, post_script, nullptr, GetCurrentThreadId());
    HHOOK messages = SetWindowsHookExA(WH_GETMESSAGE, queue_on_marker, nullptr, GetCurrentThreadId());
    EXPECT_TRUE(cbt && messages);

    Outcome outcome;
    std::atomic<bool> ended{false};
    std::thread rescue([&] {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (!ended && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        while (!ended) {
            outcome.rescued = true;
            PostMessageA(g_window, WM_CLOSE, 0, 0);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    outcome.exit_code = launcher_main();
    ended = true;
    rescue.join();
    UnhookWindowsHookEx(messages);
    UnhookWindowsHookEx(cbt);
    outcome.file = read_bytes(game.path() / "Data" / "Optionen.txt");
    return outcome;
}

// The loop handles every event it fetches, one per pass, in the order they came.
TEST(LauncherLoop, HandlesEveryEventItFetches) {
    const std::string file = options_file_bytes({.screen_width = "800", .screen_height = "600", .aux3 = "5"});
    const std::string width = std::to_string(GetSystemMetrics(SM_CXSCREEN));
    const std::string height = std::to_string(GetSystemMetrics(SM_CYSCREEN));
    ASSERT_NE(width + "*" + height, "800*600");

    // "Native Auflösung", "Speichern" and "Abbrechen" in one burst: each runs, in order, and
    // "Abbrechen" ends the launcher.
    Outcome burst = run_script({{{kPostGadgetEvent, 12}, {kPostGadgetEvent, 9}, {kPostGadgetEvent, 10}}}, file);
    EXPECT_EQ(burst.exit_code, 0);
    EXPECT_FALSE(burst.rescued) << "\"Abbrechen\" did not end the launcher";
    EXPECT_EQ(burst.file, options_file_bytes({.screen_width = width, .screen_height = height}));

    // "Abbrechen" ends the launcher even when the same pass's poll took the next press: that
    // press belongs to the next pass, and there is none.
    Outcome cancelled = run_script({{{kPostGadgetEvent, 10}, {kPostGadgetEvent, 9}}}, file);
    EXPECT_EQ(cancelled.exit_code, 0);
    EXPECT_FALSE(cancelled.rescued) << "\"Abbrechen\" did not end the launcher";
    EXPECT_EQ(cancelled.file, file) << "the press after \"Abbrechen\" was handled";

    // A close event behind other window events ends the launcher without saving, whichever of a
    // pass's two fetches takes it.
    for (int events_before_close : {1, 2}) {
        Outcome closed = run_script({{{kQueueThenClose, 0}}, events_before_close}, file);
        EXPECT_EQ(closed.exit_code, 0);
        EXPECT_FALSE(closed.rescued) << "a close event behind " << events_before_close
                                     << " window events did not end the launcher";
        EXPECT_EQ(closed.file, file);
    }

    // A close request handled while the end-of-pass poll takes a WM_NULL: the poll finds no event,
    // and the close event is left to the next pass's wait, which must end the launcher.
    Outcome woken = run_script({{{kIgnored, 0}, {WM_NULL, kCloseOnNull}}}, file);
    EXPECT_FALSE(woken.rescued) << "a close event taken by the wait did not end the launcher";
    EXPECT_EQ(woken.file, file);
}

}  // namespace
