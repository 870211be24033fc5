#include "tests/launcher/e2e/launcher_driver.h"

#include <commctrl.h>
#include <tlhelp32.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cwchar>
#include <cwctype>
#include <cstdlib>
#include <set>

#include "tests/support/event_pump.h"
#include "tests/support/kill_on_close_job.h"
#include "tests/support/user_input.h"

namespace launcher_e2e {

namespace {

// Between inputs the driver leaves the launcher time to take the previous input, as a quick
// user's hand does; the presses sent at once (press_button_at_once) leave none.
constexpr DWORD kUserPaceMs = 40;
constexpr UINT kAnswerTimeoutMs = 5000;
constexpr DWORD kWatchdogRoundMs = 50;
constexpr int kSettleRounds = 5;
constexpr std::chrono::milliseconds kQuickAnswer{5};

// Paths of the build tree as Windows sees them: Wine reaches the Unix root through drive Z:.
std::string host_path(const char* path) {
    std::string result = path;
    if (!result.empty() && result[0] == '/') result = "Z:" + result;
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

void remove_tree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            std::string child = path + "\\" + name;
            SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                remove_tree(child);
            else
                DeleteFileA(child.c_str());
        } while (FindNextFileA(search, &entry));
        FindClose(search);
    }
    SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    RemoveDirectoryA(path.c_str());
}

std::string class_of(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

std::string title_of(HWND window) {
    char title[512] = "";
    GetWindowTextA(window, title, sizeof title);
    return title;
}

DWORD process_of(HWND window) {
    DWORD process_id = 0;
    GetWindowThreadProcessId(window, &process_id);
    return process_id;
}

std::vector<HWND> top_level_windows() {
    std::vector<HWND> windows;
    EnumWindows(
        [](HWND window, LPARAM list) -> BOOL {
            reinterpret_cast<std::vector<HWND>*>(list)->push_back(window);
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// Strict: a character that Windows-1252 lacks reads as "?", not as a look-alike.
std::string to_cp1252(const std::wstring& wide) {
    if (wide.empty()) return {};
    const auto length = static_cast<int>(wide.size());
    int size = WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(std::max(size, 0)), '\0');
    WideCharToMultiByte(1252, WC_NO_BEST_FIT_CHARS, wide.data(), length, bytes.data(), size, nullptr, nullptr);
    return bytes;
}

INPUT mouse_button(DWORD flags) {
    INPUT input = {};
    input.type = INPUT_MOUSE;
    input.mi.dwFlags = flags;
    return input;
}

bool send_input(INPUT* inputs, UINT count) {
    return SendInput(count, inputs, sizeof(INPUT)) == count;
}

bool cursor_at(POINT screen) {
    POINT cursor = {};
    return GetCursorPos(&cursor) && cursor.x == screen.x && cursor.y == screen.y;
}

// The shown message box of a thread, or null.
HWND message_box_of(DWORD thread_id) {
    HWND found = nullptr;
    EnumThreadWindows(
        thread_id,
        [](HWND window, LPARAM data) -> BOOL {
            if (!IsWindowVisible(window) || class_of(window) != "#32770") return TRUE;
            *reinterpret_cast<HWND*>(data) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// "Title: text" of a message box, whose text is its static control 0xFFFF.
std::string message_box_read(HWND box) {
    wchar_t title[64] = L"", text[2048] = L"";
    GetWindowTextW(box, title, 64);
    SendMessageTimeoutW(GetDlgItem(box, 0xFFFF), WM_GETTEXT, 2048, reinterpret_cast<LPARAM>(text), SMTO_NORMAL,
                        kAnswerTimeoutMs, nullptr);
    return to_cp1252(title) + ": " + to_cp1252(text);
}

// Whether the launcher's thread runs a loop of its own inside a command: it shows a window besides
// the options window (a message box of the shell, an opened list) or tracks a menu.
bool in_nested_loop(const Launcher& launcher) {
    struct Search {
        HWND own;
        bool found;
    } search = {launcher.window(), false};
    EnumThreadWindows(
        launcher.thread_id(),
        [](HWND window, LPARAM data) -> BOOL {
            auto* seen = reinterpret_cast<Search*>(data);
            if (window != seen->own && IsWindowVisible(window)) seen->found = true;
            return !seen->found;
        },
        reinterpret_cast<LPARAM>(&search));
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    const DWORD tracking = GUI_INMENUMODE | GUI_INMOVESIZE | GUI_POPUPMENUMODE | GUI_SYSTEMMENUMODE;
    return search.found || (GetGUIThreadInfo(launcher.thread_id(), &info) && (info.flags & tracking));
}

// Tells when the launcher has handled the input sent before the count began. The launcher answers
// a message sent from another thread only inside GetMessage or PeekMessage, which handle sent
// messages first and then return the next queued message, if there is one, instead of waiting:
// each answer is followed by the launcher taking a message, or proves that none is left. Input
// sent by SendInput is in its queue when SendInput returns. So once the answers outnumber what a
// press and its handling put into the queue (press and release, the character that
// TranslateMessage posts, a command that the platform posts), the launcher has handled the press
// and is waiting for more. A nested loop answers before its command is done: no answer counts
// while one runs.
class AnswerCount {
  public:
    static constexpr int kEnough = 5;

    explicit AnswerCount(const Launcher& launcher) : launcher_(launcher) {}

    // Asks once more when a user's pace has passed since the last question; true once enough
    // answers have come.
    bool settled() {
        if (answers_ >= kEnough) return true;
        if (GetTickCount64() - asked_ < kUserPaceMs) return false;
        if (in_nested_loop(launcher_))
            answers_ = 0;
        else if (launcher_.answers(kAnswerTimeoutMs))
            ++answers_;
        asked_ = GetTickCount64();
        return answers_ >= kEnough;
    }

  private:
    const Launcher& launcher_;
    int answers_ = 0;
    ULONGLONG asked_ = 0;
};

// "control 9", or where else the launcher's keyboard focus is.
std::string focus_name(const Launcher& launcher) {
    HWND focused = launcher.focus();
    if (!focused) return "no window";
    if (GetParent(focused) == launcher.window()) return "control " + std::to_string(GetDlgCtrlID(focused));
    return "a window of class " + class_of(focused);
}

// A save writes over the old bytes and then cuts the file at the end of what it wrote: in between,
// the file holds the new bytes followed by the rest of the old ones.
bool cut_pending(const std::optional<std::string>& now, const std::optional<std::string>& before,
                 const std::string& expected) {
    return now && before && before->size() > expected.size() && *now == expected + before->substr(expected.size());
}

std::string shown(const std::optional<std::string>& bytes) {
    return bytes ? printable(*bytes) : "<no file>";
}

}  // namespace

std::string printable(std::string_view bytes) {
    std::string text;
    for (char c : bytes) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte >= 0x20 && byte < 0x7F && byte != '\\') {
            text += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            text += escaped;
        }
    }
    return text;
}

std::optional<std::string> read_file(const std::string& path) {
    // Share everything: the launcher must be able to open the file while a test looks at it.
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::string bytes;
    std::vector<char> chunk(1 << 16);
    DWORD got = 0;
    while (ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0)
        bytes.append(chunk.data(), got);
    CloseHandle(file);
    return bytes;
}

bool write_file(const std::string& path, std::string_view bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

bool file_exists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool folder_exists(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool wait_for(const std::function<bool()>& done, int timeout_ms) {
    return wait_until(done, timeout_ms);
}

TempFolder::TempFolder() {
    static unsigned counter = 0;
    char base[MAX_PATH + 1] = "";
    GetTempPathA(sizeof base, base);
    for (unsigned attempt = 0; attempt < 100 && path_.empty(); ++attempt) {
        char name[96];
        std::snprintf(name, sizeof name, "zindrop-e2e-%lu-%lu-%u", GetCurrentProcessId(), GetTickCount(), ++counter);
        std::string candidate = std::string(base) + name;
        if (CreateDirectoryA(candidate.c_str(), nullptr)) path_ = candidate;
    }
}

TempFolder::~TempFolder() {
    if (path_.empty()) return;
    // A program that was started in the folder may still be ending.
    wait_for(
        [this] {
            remove_tree(path_);
            return !folder_exists(path_);
        },
        10000);
}

std::string TempFolder::operator/(std::string_view relative) const {
    return path_ + "\\" + std::string(relative);
}

GameFolder::GameFolder(const GameSetup& setup) : path_(root_ / "Zindrop Spiel") {
    ready_ = !root_.path().empty() && CreateDirectoryA(path_.c_str(), nullptr) &&
             CopyFileA(host_path(LAUNCHER_EXE_PATH).c_str(), (*this / "launcher.exe").c_str(), TRUE);
    if (ready_ && setup.game)
        ready_ = CopyFileA(host_path(GAME_EXE_PATH).c_str(), (*this / "Zindrop Alpha.exe").c_str(), TRUE);
    if (ready_ && setup.data) ready_ = CreateDirectoryA((*this / "Data").c_str(), nullptr);
    if (ready_ && setup.options) ready_ = write_file(options_path(), *setup.options);
}

std::string GameFolder::operator/(std::string_view relative) const {
    return path_ + "\\" + std::string(relative);
}

Launcher::Launcher(const GameFolder& folder) {
    // Places, sizes and clicks in device pixels, as the launcher, which declares itself aware of the
    // display scale, lays itself out: an unaware test would see scaled figures on Windows.
    SetProcessDPIAware();
    // The launcher's environment is this process's with the game's report file added.
    std::vector<std::string> variables;
    if (char* block = GetEnvironmentStringsA()) {
        for (const char* entry = block; *entry; entry += std::strlen(entry) + 1)
            if (_strnicmp(entry, "ZINDROP_REPORT=", 15) != 0) variables.push_back(entry);
        FreeEnvironmentStringsA(block);
    }
    variables.push_back("ZINDROP_REPORT=" + folder.report_path());
    std::string environment;
    for (const std::string& variable : variables) environment += variable + '\0';
    environment += '\0';

    std::string program = folder / "launcher.exe";
    std::string command_line = "\"" + program + "\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    // Suspended until it is in the job, so that nothing it starts escapes the job.
    job_ = kill_on_close_job_create();
    if (!job_) {
        ADD_FAILURE() << "cannot make a job for the launcher (error " << GetLastError() << ")";
        return;
    }
    PROCESS_INFORMATION info = {};
    // Wine answers ERROR_INTERNAL_ERROR when a new process dies while the platform is still setting
    // it up, before its entry point (seen once, on a loaded machine). Only that answer is tried once
    // more: a program that cannot start fails the second try the same way.
    bool started = false;
    for (int attempt = 0; attempt < 2 && !started; ++attempt) {
        started = CreateProcessA(program.c_str(), command_line.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED,
                                 environment.data(), folder.path().c_str(), &startup, &info) != 0;
        if (!started && GetLastError() != ERROR_INTERNAL_ERROR) break;
    }
    if (!started) {
        ADD_FAILURE() << "cannot start " << program << " (error " << GetLastError() << ")";
        return;
    }
    if (!AssignProcessToJobObject(job_, info.hProcess)) {
        ADD_FAILURE() << "cannot put the launcher into the test's job (error " << GetLastError() << ")";
        TerminateProcess(info.hProcess, 1);
        CloseHandle(info.hThread);
        CloseHandle(info.hProcess);
        return;
    }
    ResumeThread(info.hThread);
    CloseHandle(info.hThread);
    process_ = info.hProcess;
    process_id_ = info.dwProcessId;
    thread_id_ = info.dwThreadId;
}

Launcher::~Launcher() {
    if (watchdog_.joinable()) {
        watching_ = false;
        watchdog_.join();
    }
    // Only a failed test leaves the launcher, or a program it started, running: closing the job
    // ends them all.
    if (job_) CloseHandle(job_);
    if (!process_) return;
    WaitForSingleObject(process_, 10000);
    wait_descendants_gone(process_id_, 10000);
    CloseHandle(process_);
}

bool Launcher::running() const {
    return process_ && WaitForSingleObject(process_, 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> Launcher::wait_exit(int timeout_ms) {
    if (!process_) return std::nullopt;
    const ULONGLONG start = GetTickCount64();
    if (::testing::AssertionResult ended = wait_handled([&] { return !running(); }, timeout_ms); !ended) {
        ADD_FAILURE() << "the launcher still runs " << since_press(start) << " ms after the press: " << ended.message();
        return std::nullopt;
    }
    pressed_at_ = 0;
    return wait_exit_draining(0);
}

std::optional<DWORD> Launcher::wait_exit_draining(int timeout_ms) {
    if (!process_ || WaitForSingleObject(process_, static_cast<DWORD>(timeout_ms)) != WAIT_OBJECT_0)
        return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_, &code)) return std::nullopt;
    return code;
}

ULONGLONG Launcher::since_press(ULONGLONG start) {
    const ULONGLONG from = pressed_at_ ? pressed_at_ : start;
    pressed_at_ = 0;
    return GetTickCount64() - from;
}

HWND Launcher::wait_window(int timeout_ms) {
    auto find = [this] {
        for (HWND candidate : top_level_windows())
            if (process_of(candidate) == process_id_ && IsWindowVisible(candidate) && title_of(candidate) == "Optionen")
                window_ = candidate;
        return window_ != nullptr;
    };
    wait_for([&] { return find() || !running(); }, timeout_ms);
    // The window shows before its controls exist; the launcher answers a sent message only once
    // it waits for events, that is after the window has been built.
    if (window_ && !answers(timeout_ms)) window_ = nullptr;
    return window_;
}

void Launcher::start_dialog_watchdog() {
    watching_ = true;
    watchdog_ = std::thread([this] {
        std::set<HWND> closing;
        while (watching_) {
            std::vector<DWORD> family = descendant_processes(process_id_);
            family.push_back(process_id_);
            for (HWND candidate : top_level_windows()) {
                if (!IsWindowVisible(candidate) || candidate == window_) continue;
                if (std::find(family.begin(), family.end(), process_of(candidate)) == family.end()) continue;
                std::string name = class_of(candidate);
                if (name != "#32770") continue;
                if (closing.insert(candidate).second) {
                    std::lock_guard<std::mutex> hold(seen_lock_);
                    seen_.push_back({name, title_of(candidate)});
                    PostMessageA(candidate, WM_COMMAND, IDOK, 0);
                } else {
                    PostMessageA(candidate, WM_CLOSE, 0, 0);
                }
            }
            Sleep(kWatchdogRoundMs);
        }
    });
}

std::vector<ForeignWindow> Launcher::foreign_windows() {
    std::lock_guard<std::mutex> hold(seen_lock_);
    return seen_;
}

bool Launcher::stray_message_box() const {
    // Boxes that the case expects are answered by message_box_answer or, for the shell's, the watchdog.
    HWND box = watching_ || !thread_id_ ? nullptr : message_box_of(thread_id_);
    if (!box) return false;
    ADD_FAILURE() << "the launcher shows a message box that the case did not expect: \""
                  << printable(message_box_read(box)) << "\"; closed";
    // Closed as its OK button does, so that the case's later steps and the next case find the window free.
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    if (!wait_for([&] { return !IsWindow(box); }, 5000)) PostMessageW(box, WM_CLOSE, 0, 0);
    return true;
}

LRESULT Launcher::ask(HWND target, UINT message, WPARAM wparam, LPARAM lparam) const {
    stray_message_box();
    DWORD_PTR result = 0;
    if (!SendMessageTimeoutA(target, message, wparam, lparam, SMTO_NORMAL, kAnswerTimeoutMs, &result))
        ADD_FAILURE() << "the launcher did not answer message " << message << " within " << kAnswerTimeoutMs << " ms";
    return static_cast<LRESULT>(result);
}

bool Launcher::answers(int timeout_ms) const {
    DWORD_PTR result = 0;
    return window_ &&
           SendMessageTimeoutA(window_, WM_NULL, 0, 0, SMTO_NORMAL, static_cast<UINT>(timeout_ms), &result) != 0;
}

std::string Launcher::text(HWND target) const {
    if (!target) return {};
    // As UTF-16, what the window shows, in Windows-1252 here: never through this system's code page.
    LRESULT length = ask(target, WM_GETTEXTLENGTH);
    std::wstring text(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(target, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL,
                             kAnswerTimeoutMs, &copied)) {
        ADD_FAILURE() << "the launcher did not answer WM_GETTEXT";
        return {};
    }
    text.resize(std::wcslen(text.c_str()));
    return to_cp1252(text);
}

std::vector<std::string> Launcher::list_items() const {
    // Under Wine an ANSI CB_GETLBTEXT from another process comes back as UTF-16; asking for UTF-16
    // and converting here gives the same bytes on every platform.
    std::vector<std::string> items;
    HWND list = control(kResolutionList);
    LRESULT count = ask(list, CB_GETCOUNT);
    for (LRESULT item = 0; item < count; ++item) {
        LRESULT length = ask(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(item));
        std::wstring wide(static_cast<std::size_t>(std::max<LRESULT>(length, 0)) + 1, L'\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutW(list, CB_GETLBTEXT, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(wide.data()),
                                 SMTO_NORMAL, kAnswerTimeoutMs, &copied))
            ADD_FAILURE() << "the launcher did not answer CB_GETLBTEXT";
        wide.resize(std::wcslen(wide.c_str()));
        items.push_back(to_cp1252(wide));
    }
    return items;
}

int Launcher::list_selection() const {
    return static_cast<int>(ask(control(kResolutionList), CB_GETCURSEL));
}

int Launcher::slider_position(int id) const {
    return static_cast<int>(ask(control(id), TBM_GETPOS));
}

HWND Launcher::focus() const {
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    return GetGUIThreadInfo(thread_id_, &info) ? info.hwndFocus : nullptr;
}

void Launcher::settle() const {
    // A slow answer means the launcher was still busy, or had no processor: give it another pause.
    for (int round = 0; round < kSettleRounds; ++round) {
        Sleep(kUserPaceMs);
        auto asked = std::chrono::steady_clock::now();
        if (!answers(kAnswerTimeoutMs)) {
            // A launcher that has ended, as after "Abbrechen", has nothing left to answer.
            if (running() && IsWindow(window_)) ADD_FAILURE() << "the launcher stopped answering its window's messages";
            return;
        }
        if (std::chrono::steady_clock::now() - asked <= kQuickAnswer) return;
    }
}

bool Launcher::to_foreground() {
    settle();
    bool ok = bring_to_foreground(window_, 10000);
    settle();
    return ok && GetForegroundWindow() == window_;
}

bool Launcher::press(POINT screen, const std::function<bool()>& pressed) {
    // A click into an inactive window activates it first, and the activation's events could take
    // the place of the click's in the launcher's loop; a user's window is active before the click.
    if (GetForegroundWindow() != window_ && !to_foreground()) return false;
    settle();
    if (!input_move(screen) || !wait_for([&] { return cursor_at(screen); }, 5000)) return false;
    settle();
    // A second press near the first within the double-click time would be a double click, which
    // for example gives a text field no focus; a user's separate clicks lie further apart.
    const int near_x = GetSystemMetrics(SM_CXDOUBLECLK) / 2, near_y = GetSystemMetrics(SM_CYDOUBLECLK) / 2;
    if (std::abs(screen.x - last_press_.x) <= near_x && std::abs(screen.y - last_press_.y) <= near_y)
        wait_for([&] { return GetTickCount() - last_press_time_ > GetDoubleClickTime(); }, kStateTimeoutMs);
    INPUT down = mouse_button(MOUSEEVENTF_LEFTDOWN);
    if (!send_input(&down, 1)) return false;
    last_press_ = screen;
    last_press_time_ = GetTickCount();
    // The pressed state may be reported from within the pass that took the press; the pause comes
    // after it, so that the release finds the launcher waiting again.
    bool ok = !pressed || wait_handled(pressed);
    settle();
    INPUT up = mouse_button(MOUSEEVENTF_LEFTUP);
    ok = send_input(&up, 1) && ok;
    released_at_ = GetTickCount64();
    settle();
    return ok;
}

bool Launcher::click(POINT screen) {
    return press(screen, nullptr);
}

bool Launcher::click(int id) {
    HWND target = control(id);
    return target && click(window_middle(target));
}

bool Launcher::press_button(int id, Route route) {
    HWND button = control(id);
    if (!button) return false;
    auto pushed = [&] { return (ask(button, BM_GETSTATE) & BST_PUSHED) != 0; };
    if (route == Route::mouse) {
        const bool ok = press(window_middle(button), pushed);
        pressed_at_ = released_at_;
        return ok;
    }

    // Space on the focused button, with the pointer away from the window, where it cannot press
    // or hover anything.
    if (GetForegroundWindow() != window_ && !to_foreground()) return false;
    if (focus() != button && !focus_by_tab(id)) return false;
    if (!park_pointer()) return false;
    settle();
    INPUT down = key_input(VK_SPACE, false);
    if (!send_input(&down, 1)) return false;
    bool ok = wait_handled(pushed);
    settle();
    INPUT up = key_input(VK_SPACE, true);
    ok = send_input(&up, 1) && ok;
    pressed_at_ = GetTickCount64();
    settle();
    return ok;
}

bool Launcher::park_pointer() {
    // The top left corner of the screen lies outside the launcher's window.
    POINT corner = {0, 0};
    return input_move(corner) && wait_for([&] { return cursor_at(corner); }, 5000);
}

bool Launcher::use_button(int id, const std::function<bool()>& effect, Route route, int effect_timeout_ms) {
    return press_button(id, route) && wait_handled(effect, effect_timeout_ms);
}

::testing::AssertionResult Launcher::save(const GameFolder& folder, const std::string& expected, Route route) {
    const std::optional<std::string> before = folder.options();
    if (!press_button(kSaveButton, route)) return ::testing::AssertionFailure() << "\"Speichern\" did not show pressed";
    return wait_saved(folder, before, expected);
}

::testing::AssertionResult Launcher::wait_saved(const GameFolder& folder, const std::optional<std::string>& before,
                                                const std::string& expected, int timeout_ms) {
    const ULONGLONG start = GetTickCount64();
    std::optional<std::string> now, changed;
    bool other = false;
    const ::testing::AssertionResult waited = wait_handled(
        [&] {
            now = folder.options();
            if (now == expected) return true;
            if (now != before && !cut_pending(now, before, expected)) {
                // Other bytes, read twice: a read that met the write half done would not repeat.
                other = now == changed;
                changed = now;
            }
            return other;
        },
        timeout_ms);
    const ULONGLONG elapsed = since_press(start);
    if (now == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (other ? "the file changed to other bytes" : waited.message()) << "; "
                                         << elapsed << " ms after the press.\nThe file holds:      " << shown(now)
                                         << "\nexpected:            " << printable(expected)
                                         << "\nbefore the press:    " << shown(before);
}

bool Launcher::press_button_at_once(int id, Route route) {
    HWND button = control(id);
    if (!button) return false;
    if (GetForegroundWindow() != window_ && !to_foreground()) return false;
    INPUT inputs[2];
    if (route == Route::mouse) {
        POINT middle = window_middle(button);
        // Far from the last press, so that this is no double click.
        if (GetTickCount() - last_press_time_ <= GetDoubleClickTime()) Sleep(GetDoubleClickTime());
        if (!input_move(middle) || !wait_for([&] { return cursor_at(middle); }, 5000)) return false;
        settle();
        inputs[0] = mouse_button(MOUSEEVENTF_LEFTDOWN);
        inputs[1] = mouse_button(MOUSEEVENTF_LEFTUP);
        last_press_ = middle;
        last_press_time_ = GetTickCount();
    } else {
        if (focus() != button && !focus_by_tab(id)) return false;
        settle();
        inputs[0] = key_input(VK_SPACE, false);
        inputs[1] = key_input(VK_SPACE, true);
    }
    const bool sent = send_input(inputs, 2);
    pressed_at_ = GetTickCount64();
    return sent;
}

std::optional<DWORD> Launcher::cancel(Route route) {
    EXPECT_TRUE(press_button(kCancelButton, route)) << "\"Abbrechen\" did not show pressed";
    return wait_exit();
}

std::optional<DWORD> Launcher::close_with_close_box() {
    std::optional<POINT> close_box = find_close_box(window_);
    EXPECT_TRUE(close_box.has_value()) << "no close box found by WM_NCHITTEST";
    EXPECT_TRUE(close_box && click(*close_box)) << "the click on the close box was refused";
    pressed_at_ = released_at_;
    return wait_exit();
}

bool Launcher::drag(POINT from, POINT to) {
    settle();
    if (!input_move(from) || !wait_for([&] { return cursor_at(from); }, 5000)) return false;
    settle();
    INPUT down = mouse_button(MOUSEEVENTF_LEFTDOWN);
    if (!send_input(&down, 1)) return false;
    settle();
    constexpr int kSteps = 6;
    bool ok = true;
    for (int step = 1; step <= kSteps; ++step) {
        POINT point = {from.x + (to.x - from.x) * step / kSteps, from.y + (to.y - from.y) * step / kSteps};
        ok = input_move(point) && ok;
        settle();
    }
    INPUT up = mouse_button(MOUSEEVENTF_LEFTUP);
    ok = send_input(&up, 1) && ok;
    settle();
    return ok;
}

bool Launcher::paced(const std::function<bool()>& send) {
    settle();
    const bool ok = send();
    settle();
    return ok;
}

bool Launcher::key(WORD virtual_key, bool shift) {
    return paced([&] { return input_key(virtual_key, shift); });
}

bool Launcher::key_with_ctrl(WORD virtual_key) {
    INPUT inputs[4] = {key_input(VK_CONTROL, false), key_input(virtual_key, false), key_input(virtual_key, true),
                       key_input(VK_CONTROL, true)};
    return paced([&] { return send_input(inputs, 4); });
}

bool Launcher::keys(WORD virtual_key, int times) {
    return paced([&] {
        bool ok = true;
        for (int press_count = 0; press_count < times; ++press_count) ok = input_key(virtual_key) && ok;
        return ok;
    });
}

bool Launcher::type(std::string_view cp1252_text) {
    return paced([&] { return input_type(cp1252_text); });
}

::testing::AssertionResult Launcher::focus_by_click(int id) {
    if (!control(id) || !click(id)) return ::testing::AssertionFailure() << "the click on control " << id << " failed";
    return wait_focus(id);
}

::testing::AssertionResult Launcher::focus_by_tab(int id) {
    HWND target = control(id);
    if (!target) return ::testing::AssertionFailure() << "no control " << id;
    // From a focused control Tab reaches every tab stop; with the focus nowhere, a click starts it.
    HWND current = focus();
    if (!current || GetParent(current) != window_) {
        if (::testing::AssertionResult clicked = focus_by_click(kPlayer1Field); !clicked) return clicked;
    }
    if (!park_pointer()) return ::testing::AssertionFailure() << "the pointer did not move off the window";
    int stops = 0;
    for (HWND child = GetWindow(window_, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        stops += IsWindowEnabled(child) && IsWindowVisible(child) && (GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP);
    std::string path = focus_name(*this);
    for (int step = 0; step < stops && focus() != target; ++step) {
        HWND before = focus();
        if (!key(VK_TAB)) return ::testing::AssertionFailure() << "Tab was refused after " << path;
        if (::testing::AssertionResult moved = wait_handled([&] { return focus() != before; }); !moved)
            return moved << "; Tab left the focus where it was, after " << path;
        path += ", " + focus_name(*this);
    }
    if (focus() == target) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << stops << " Tab presses took the focus through " << path
                                         << " without reaching control " << id;
}

bool Launcher::choose_with_keyboard(int item) {
    return focus_by_tab(kResolutionList) && key(VK_HOME) && wait_selection(0) &&
           (item == 0 || (keys(VK_DOWN, item) && wait_selection(item)));
}

bool Launcher::choose_with_mouse(int item) {
    if (!click(kResolutionList)) return false;
    // The opened list is a top-level window of the launcher's thread.
    HWND list = nullptr;
    if (!wait_handled([&] {
            for (HWND candidate : top_level_windows())
                if (process_of(candidate) == process_id_ && IsWindowVisible(candidate) &&
                    class_of(candidate) == "ComboLBox")
                    list = candidate;
            return list != nullptr;
        }))
        return false;
    LRESULT height = ask(list, LB_GETITEMHEIGHT, 0);
    LRESULT top = ask(list, LB_GETTOPINDEX);
    RECT client = {};
    GetClientRect(list, &client);
    POINT point = {client.right / 2, static_cast<LONG>((item - top) * height + height / 2)};
    if (point.y < 0 || point.y >= client.bottom) return false;
    ClientToScreen(list, &point);
    return click(point) && wait_selection(item);
}

bool Launcher::clear_focused_field() {
    return key(VK_HOME) && key(VK_END, true) && key(VK_DELETE);
}

::testing::AssertionResult Launcher::wait_handled(const std::function<bool()>& done, int timeout_ms) const {
    const ULONGLONG start = GetTickCount64();
    AnswerCount answers(*this);
    bool reached = false;
    const char* outcome = "the time-out passed";
    wait_for(
        [&] {
            // The launcher's state first, so that done() is asked once more after it has settled.
            const bool ended = !running();
            const bool settled = ended || answers.settled();
            if ((reached = done())) return true;
            if (stray_message_box()) {
                outcome = "a message box stood in the way";
                return true;
            }
            if (settled)
                outcome = ended ? "the launcher ended" : "the launcher handled the input and went back to waiting";
            return settled;
        },
        timeout_ms);
    if (reached) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << outcome << ", " << GetTickCount64() - start << " ms into the wait";
}

::testing::AssertionResult Launcher::wait_text(int id, const std::string& value, int timeout_ms) const {
    std::string now;
    return wait_handled([&] { return (now = text(id)) == value; }, timeout_ms)
           << ": control " << id << " reads \"" << printable(now) << "\", expected \"" << printable(value) << "\"";
}

::testing::AssertionResult Launcher::wait_selection(int item, int timeout_ms) const {
    int now = -1;
    return wait_handled([&] { return (now = list_selection()) == item; }, timeout_ms)
           << ": the list's selection is item " << now << ", expected " << item;
}

::testing::AssertionResult Launcher::wait_slider(int id, int position, int timeout_ms) const {
    int now = -1;
    return wait_handled([&] { return (now = slider_position(id)) == position; }, timeout_ms)
           << ": slider " << id << " stands at " << now << ", expected " << position;
}

::testing::AssertionResult Launcher::wait_focus(int id, int timeout_ms) const {
    return wait_handled([&] { return focus() == control(id); }, timeout_ms)
           << ": the focus is on " << focus_name(*this) << ", expected control " << id;
}

Session::Session(const GameSetup& setup, int window_timeout_ms) : folder(setup) {
    if (!folder.ready()) return;
    launcher = std::make_unique<Launcher>(folder);
    if (launcher->started()) launcher->wait_window(window_timeout_ms);
}

std::vector<DWORD> descendant_processes(DWORD process_id) {
    std::vector<std::pair<DWORD, DWORD>> parent_of;  // (process, parent)
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return {};
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry))
        parent_of.emplace_back(entry.th32ProcessID, entry.th32ParentProcessID);
    CloseHandle(snapshot);

    // Ids come round again, and a child's entry keeps its dead parent's: a launcher given the id of
    // whatever started services.exe would have it as a child. A child starts no earlier than its parent.
    auto created = [](DWORD id) {
        FILETIME times[4] = {};
        if (HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id)) {
            GetProcessTimes(process, &times[0], &times[1], &times[2], &times[3]);
            CloseHandle(process);
        }
        return (ULONGLONG{times[0].dwHighDateTime} << 32) | times[0].dwLowDateTime;
    };
    std::vector<DWORD> family;
    std::vector<std::pair<DWORD, ULONGLONG>> frontier = {{process_id, created(process_id)}};
    while (!frontier.empty()) {
        const auto [parent, parent_created] = frontier.back();
        frontier.pop_back();
        for (const auto& [child, its_parent] : parent_of)
            if (its_parent == parent && child != process_id &&
                std::find(family.begin(), family.end(), child) == family.end() && created(child) >= parent_created) {
                family.push_back(child);
                frontier.emplace_back(child, created(child));
            }
    }
    return family;
}

bool wait_descendants_gone(DWORD process_id, int timeout_ms) {
    return wait_for([&] { return descendant_processes(process_id).empty(); }, timeout_ms);
}

::testing::AssertionResult message_box_answer(Launcher& launcher, const std::string& headline, const std::string& path,
                                              DWORD code, const std::string& note) {
    HWND box = nullptr;
    AnswerCount answers(launcher);
    // A modal loop shows its box only once it runs, and it answers meanwhile.
    wait_for([&] { return (box = message_box_of(launcher.thread_id())) || !launcher.running() || answers.settled(); });
    if (!box) return ::testing::AssertionFailure() << "the launcher showed no message box";
    const std::string shown = message_box_read(box);
    const bool owned = GetWindow(box, GW_OWNER) == launcher.window();
    if (!bring_to_foreground(box) || !input_key(VK_RETURN) || !wait_for([&] { return !IsWindow(box); }))
        return ::testing::AssertionFailure() << "the message box \"" << printable(shown) << "\" did not close on Enter";
    wchar_t reason[1024] = L"";
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, reason,
                                  1024, nullptr);
    while (length > 0 && std::iswspace(reason[length - 1])) --length;
    const std::string expected = "Zindrop Launcher: " + headline + "\n\n" + path + "\n\n" +
                                 to_cp1252(std::wstring(reason, length)) + (note.empty() ? "" : "\n\n" + note);
    if (owned && shown == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << (owned ? "" : "not owned by the options window; ")
                                         << "the message box read\n"
                                         << printable(shown) << "\nexpected:\n"
                                         << printable(expected);
}

}  // namespace launcher_e2e
