#pragma once
// Drives the real launcher.exe as a player would: a fresh game folder in a temporary directory,
// the program started there, its window and controls found, real mouse and keyboard input, the
// exit code and the bytes of the options file. Nothing here calls into the launcher's code.

#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace launcher_e2e {

// The options window's controls by their window identifiers.
enum Control : int {
    kPlayer1Caption = 0,
    kPlayer1Field = 1,
    kPlayer2Caption = 2,
    kResolutionCaption = 3,
    kCreditLabel = 4,
    kMusicCaption = 5,
    kSoundCaption = 6,
    kPlayer2Field = 7,
    kResolutionList = 8,
    kSaveButton = 9,
    kCancelButton = 10,
    kNativeButton = 12,
    kSoundSlider = 13,
    kMusicSlider = 14,
    kLaunchButton = 15,
};

constexpr int kCurrentResolutionItem = 17;

constexpr int kWindowTimeoutMs = 60000;
constexpr int kStateTimeoutMs = 15000;
constexpr int kExitTimeoutMs = 30000;

// "Data\Optionen.txt" under a game folder.
constexpr const char* kOptionsRelative = "Data\\Optionen.txt";

// Readable form of bytes for failure messages: control and high bytes as \xNN.
std::string printable(std::string_view bytes);

std::optional<std::string> read_file(const std::string& path);
bool write_file(const std::string& path, std::string_view bytes);
bool file_exists(const std::string& path);
bool folder_exists(const std::string& path);

// A new folder under the user's temporary directory; removed with all it holds at destruction.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // path\relative
    std::string operator/(std::string_view relative) const;

  private:
    std::string path_;
};

struct GameSetup {
    // Copy the stand-in game as "Zindrop Alpha.exe" beside the launcher.
    bool game = true;
    // Make the "Data" folder.
    bool data = true;
    // Bytes of "Data\Optionen.txt"; no file when empty.
    std::optional<std::string> options;
};

// A game folder as a player has it: launcher.exe, optionally the game, "Data" and the options
// file. The folder's name holds a space, as game folders often do.
class GameFolder {
  public:
    explicit GameFolder(const GameSetup& setup = {});

    // Whether every file and folder asked for could be made.
    bool ready() const { return ready_; }
    const std::string& path() const { return path_; }
    std::string operator/(std::string_view relative) const;
    std::string options_path() const { return *this / kOptionsRelative; }
    std::optional<std::string> options() const { return read_file(options_path()); }
    // Where the stand-in game writes its report (outside the game folder).
    std::string report_path() const { return root_ / "report.txt"; }

  private:
    TempFolder root_;
    std::string path_;
    bool ready_ = false;
};

// A window that a process of the launcher's family (the launcher and what it started) showed
// besides the options window, for example the shell's message about a program it cannot start.
struct ForeignWindow {
    std::string class_name;
    std::string title;
};

// The running launcher. Its environment also names the game's report file, so that a game it
// starts ends at once instead of opening a window.
class Launcher {
  public:
    explicit Launcher(const GameFolder& folder);
    ~Launcher();
    Launcher(const Launcher&) = delete;
    Launcher& operator=(const Launcher&) = delete;

    bool started() const { return process_ != nullptr; }
    DWORD process_id() const { return process_id_; }
    DWORD thread_id() const { return thread_id_; }
    bool running() const;
    // Waits as wait_handled does for the launcher to end after input that should end it; its exit
    // code, or nothing.
    std::optional<DWORD> wait_exit(int timeout_ms = kExitTimeoutMs);
    // For a launcher that works through a backlog of posted messages before it reaches the input
    // that ends it: it answers meanwhile, so only the time-out ends this wait.
    std::optional<DWORD> wait_exit_draining(int timeout_ms);

    // Waits for the shown top-level window titled "Optionen" of this process.
    HWND wait_window(int timeout_ms = kWindowTimeoutMs);
    HWND window() const { return window_; }
    HWND control(int id) const { return GetDlgItem(window_, id); }

    // Closes any dialog box that a process of the launcher's family shows (the shell's error
    // messages); what it closed is kept in foreign_windows().
    void start_dialog_watchdog();
    std::vector<ForeignWindow> foreign_windows();
    // A message box of the launcher that no message_box_answer waits for fails the case at once:
    // every wait and every question to the launcher looks for one, reports its text and closes it.
    bool stray_message_box() const;

    // Questions answered by the launcher's thread (messages that carry no pointer, or ones the
    // platform copies between processes). A query that gets no answer fails the current test.
    LRESULT ask(HWND target, UINT message, WPARAM wparam = 0, LPARAM lparam = 0) const;
    bool answers(int timeout_ms = 5000) const;
    std::string text(HWND target) const;
    std::string text(int id) const { return text(control(id)); }
    std::vector<std::string> list_items() const;
    int list_selection() const;
    int slider_position(int id) const;
    // The control that holds the keyboard focus in the launcher's thread.
    HWND focus() const;

    // Input, at a user's pace: before each press and release the launcher has time to take the
    // previous input and wait again. Each returns false when the platform refused the input or
    // the expected state did not come.
    bool to_foreground();
    bool click(POINT screen);
    bool click(int id);
    // Presses a push button, with Space on the focused button or with the mouse, and checks that
    // it showed pressed before the release.
    enum class Route { keyboard, mouse };
    bool press_button(int id, Route route = Route::keyboard);
    // Presses the button once and waits as wait_handled does until effect() holds.
    bool use_button(int id, const std::function<bool()>& effect, Route route = Route::keyboard,
                    int effect_timeout_ms = kStateTimeoutMs);
    // Presses "Speichern" once and waits for the file as wait_saved does.
    ::testing::AssertionResult save(const GameFolder& folder, const std::string& expected,
                                    Route route = Route::keyboard);
    // Waits as wait_handled does for the options file to hold `expected` after a press of "Speichern"
    // sent while it held `before`; fails at once too when it comes to hold other bytes; shows all three.
    ::testing::AssertionResult wait_saved(const GameFolder& folder, const std::optional<std::string>& before,
                                          const std::string& expected, int timeout_ms = kStateTimeoutMs);
    // Press and release in one input batch, as a tap on a touchpad, a remote desktop or an
    // automation tool sends them: the launcher gets no time between the two. False when the
    // platform refused the input.
    bool press_button_at_once(int id, Route route);
    // "Abbrechen", then waits for the launcher to end; its exit code, or nothing.
    std::optional<DWORD> cancel(Route route = Route::keyboard);
    // A click on the close box, found by asking the window (WM_NCHITTEST), then waits for the
    // launcher to end; its exit code, or nothing.
    std::optional<DWORD> close_with_close_box();
    bool drag(POINT from, POINT to);
    // Moves the pointer out of the launcher's window.
    bool park_pointer();
    bool key(WORD virtual_key, bool shift = false);
    bool key_with_ctrl(WORD virtual_key);
    bool keys(WORD virtual_key, int times);
    bool type(std::string_view cp1252_text);
    // Gives a control the focus with a click and waits until it has it.
    ::testing::AssertionResult focus_by_click(int id);
    // Gives a control the focus with Tab presses, after a click on text field 1 if the focus is elsewhere.
    ::testing::AssertionResult focus_by_tab(int id);
    // Selects an item of the resolution list: opened and clicked, or focused and chosen with
    // Home and Down.
    bool choose_with_mouse(int item);
    bool choose_with_keyboard(int item);
    // Selects the whole content of the focused text field and deletes it.
    bool clear_focused_field();

    // Wait until done() holds, or a text, the selection, a slider or the focus is the value, after input; each fails
    // once the launcher has handled it and waits again (AnswerCount), or has ended, and says what it saw.
    ::testing::AssertionResult wait_handled(const std::function<bool()>& done, int timeout_ms = kStateTimeoutMs) const;
    ::testing::AssertionResult wait_text(int id, const std::string& value, int timeout_ms = kStateTimeoutMs) const;
    ::testing::AssertionResult wait_selection(int item, int timeout_ms = kStateTimeoutMs) const;
    ::testing::AssertionResult wait_slider(int id, int position, int timeout_ms = kStateTimeoutMs) const;
    ::testing::AssertionResult wait_focus(int id, int timeout_ms = kStateTimeoutMs) const;

  private:
    void settle() const;
    bool paced(const std::function<bool()>& send);
    bool press(POINT screen, const std::function<bool()>& pressed);
    // Milliseconds since the last press was sent (or since `start` when none is recorded); the
    // press is forgotten, as the wait that asks is the one that follows it.
    ULONGLONG since_press(ULONGLONG start);

    // Holds the launcher and what it starts: they end when this closes or this process ends.
    HANDLE job_ = nullptr;
    HANDLE process_ = nullptr;
    DWORD process_id_ = 0;
    DWORD thread_id_ = 0;
    HWND window_ = nullptr;
    POINT last_press_ = {-1000, -1000};
    DWORD last_press_time_ = 0;
    // When the last click's release and the last press of a button went out; the latter for the
    // failure messages of the wait that follows the press.
    ULONGLONG released_at_ = 0;
    ULONGLONG pressed_at_ = 0;

    std::atomic<bool> watching_{false};
    std::thread watchdog_;
    std::mutex seen_lock_;
    std::vector<ForeignWindow> seen_;
};

// A game folder with the launcher started in it and its window shown.
struct Session {
    explicit Session(const GameSetup& setup, int window_timeout_ms = kWindowTimeoutMs);
    bool ready() const { return folder.ready() && launcher && launcher->window(); }

    GameFolder folder;
    std::unique_ptr<Launcher> launcher;
};

// Polls done() until it holds or the time-out passes.
bool wait_for(const std::function<bool()>& done, int timeout_ms = kStateTimeoutMs);

// Processes whose parent chain leads to the given process, found by a process snapshot.
std::vector<DWORD> descendant_processes(DWORD process_id);
// Waits for the descendants of the process to end; true when none is left.
bool wait_descendants_gone(DWORD process_id, int timeout_ms);

// Waits for a message box of the launcher's thread, reads it and closes it with Enter, as a player
// does. Succeeds when it was owned by the options window and read: the headline, the full path,
// the system's own text for the error code and, when given, the note, a blank line apart. Fails as
// soon as the launcher ends or goes back to waiting without one, or when the box stays.
::testing::AssertionResult message_box_answer(Launcher& launcher, const std::string& headline, const std::string& path,
                                              DWORD code, const std::string& note = "");

}  // namespace launcher_e2e
