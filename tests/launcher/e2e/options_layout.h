#pragma once
// The options window as it is laid out at 100 % (96 DPI), in the client area's pixels: the oracle
// of the layout tests, which at any other display scale expect it multiplied by dpi / 96.

#include <windows.h>

#include <cstdlib>
#include <vector>

#include "tests/launcher/e2e/launcher_driver.h"

namespace launcher_e2e {

// The window's outer top-left corner on the screen and its client size.
constexpr POINT kWindowPlace = {478, 416};
constexpr SIZE kClientSize = {370, 240};

struct ControlLayout {
    int id;
    const char* class_name;
    RECT rect;         // left, top, right, bottom in the window's client area
    const char* text;  // after loading the layout test's file
};

// In the order of creation, which is also the order of the platform's sibling list.
inline const std::vector<ControlLayout> kOptionsLayout = {
    {kPlayer1Caption, "Static", {20, 20, 70, 40}, "Spieler 1"},
    {kPlayer1Field, "Edit", {80, 20, 320, 40}, "Anna"},
    {kPlayer2Caption, "Static", {20, 50, 70, 70}, "Spieler 2"},
    {kPlayer2Field, "Edit", {80, 50, 320, 70}, "Bob"},
    {kResolutionCaption, "Static", {20, 80, 80, 100}, "Aufl\xF6sung"},
    {kResolutionList, "ComboBox", {80, 80, 270, 100}, "1920*1080"},
    {kLaunchButton, "Button", {220, 180, 355, 210}, "Zum Zindrop Launcher"},
    {kMusicCaption, "Static", {20, 110, 70, 130}, "Musik"},
    {kMusicSlider, "msctls_trackbar32", {80, 110, 330, 140}, ""},
    {kSoundCaption, "Static", {20, 140, 70, 160}, "Sounds"},
    {kSoundSlider, "msctls_trackbar32", {80, 140, 330, 170}, ""},
    {kSaveButton, "Button", {20, 180, 110, 210}, "Speichern"},
    {kCancelButton, "Button", {120, 180, 210, 210}, "Abbrechen"},
    {kNativeButton, "Button", {275, 80, 365, 102}, "Native Aufl\xF6sung"},
    {kCreditLabel, "Static", {257, 227, 377, 247}, "Vellmark Software"},
};

// A control's rectangle in its window's client area.
inline RECT client_rect_of(HWND control, HWND window) {
    RECT rect = {};
    GetWindowRect(control, &rect);
    MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// Whether the control lies where the 96-DPI layout puts it at `dpi`, within a pixel; the closed
// list's height is the platform's field around the font, sized to come within two.
inline ::testing::AssertionResult placed_at(HWND control, HWND window, const ControlLayout& want, int dpi) {
    const RECT rect = client_rect_of(control, window);
    auto within = [dpi](LONG got, LONG at96, LONG slack) { return std::abs(got - MulDiv(at96, dpi, 96)) <= slack; };
    if (control && within(rect.left, want.rect.left, 1) && within(rect.top, want.rect.top, 1) &&
        within(rect.right, want.rect.right, 1) &&
        within(rect.bottom, want.rect.bottom, want.id == kResolutionList ? 2 : 1))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "control " << want.id << " at (" << rect.left << ", " << rect.top << ")-("
                                         << rect.right << ", " << rect.bottom << "), not at " << dpi << " DPI";
}

// What the system tells a window that has come onto a monitor of another scale. Wine does not carry
// the suggested rectangle across processes: it is put into the launcher's memory first.
inline bool send_dpi_change(const Launcher& launcher, int dpi, const RECT& suggested) {
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_WRITE, FALSE, launcher.process_id());
    if (!process) return false;
    void* remote = VirtualAllocEx(process, nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    DWORD_PTR answer = 0;
    const bool sent = remote && WriteProcessMemory(process, remote, &suggested, sizeof suggested, nullptr) &&
                      SendMessageTimeoutW(launcher.window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                          reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000, &answer);
    if (remote) VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    return sent;
}

}  // namespace launcher_e2e
