// The launcher under hostile conditions: a missing or odd "Data" folder and options file, files
// it may not write or open, a huge file, binary bytes, a game that is missing or no program, and a
// flood of messages. In every case it shows its window, ends with exit code 0 when asked, never
// crashes or hangs, and leaves an options file that existed either untouched or as nine lines
// with CR LF.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "tests/launcher/e2e/launcher_driver.h"
#include "tests/support/options_file.h"

namespace launcher_e2e {
namespace {

// Bounds against a hang, not speeds: the huge file's window shows within a second or two, and the
// flood takes seconds to work through.
constexpr int kHugeFileWindowTimeoutMs = 60000;
constexpr int kFloodDrainTimeoutMs = 60000;
constexpr int kFloodSize = 100000;

// Saves, then leaves with "Abbrechen": the launcher must go on after a save that failed.
std::optional<DWORD> save_then_cancel(Launcher& launcher) {
    EXPECT_TRUE(launcher.to_foreground());
    EXPECT_TRUE(launcher.press_button(kSaveButton)) << "\"Speichern\" did not show pressed";
    EXPECT_TRUE(launcher.answers()) << "the launcher stopped answering after \"Speichern\"";
    return launcher.cancel();
}

// Presses "Speichern", answers the message that the save failed for the reason given, and leaves.
std::optional<DWORD> save_refused_then_cancel(Launcher& launcher, const GameFolder& folder, DWORD code) {
    EXPECT_TRUE(launcher.to_foreground() && launcher.press_button(kSaveButton));
    EXPECT_TRUE(message_box_answer(launcher, "Die Einstellungen konnten nicht gespeichert werden.",
                                   folder.options_path(), code));
    return launcher.cancel();
}

// The names in the game's "Data" folder: a save leaves nothing there but the options file.
std::vector<std::string> data_files(const GameFolder& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "Data"))
        names.push_back(entry.path().filename().string());
    return names;
}
const std::vector<std::string> kOnlyOptions = {"Optionen.txt"};

constexpr const char* kNotCreated = "Die Einstellungen konnten im Ordner \"Data\" nicht angelegt werden.";
constexpr const char* kDefaultsShown = "Das Fenster zeigt die Standardwerte.";

// A cheap fingerprint of a large file (FNV-1a over all bytes), read in pieces.
std::optional<std::uint64_t> fingerprint(const std::string& path, std::uint64_t* size) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return std::nullopt;
    std::uint64_t hash = 1469598103934665603ull;
    std::vector<unsigned char> chunk(1 << 20);
    DWORD got = 0;
    *size = 0;
    while (ReadFile(file, chunk.data(), static_cast<DWORD>(chunk.size()), &got, nullptr) && got > 0) {
        for (DWORD index = 0; index < got; ++index) hash = (hash ^ chunk[index]) * 1099511628211ull;
        *size += got;
    }
    CloseHandle(file);
    return hash;
}

TEST(LauncherHostile, DataFolderMissing) {
    Session session({.data = false, .options = std::nullopt});
    ASSERT_TRUE(session.ready());
    ASSERT_TRUE(message_box_answer(*session.launcher, kNotCreated, session.folder / "Data", ERROR_PATH_NOT_FOUND,
                                   kDefaultsShown));
    EXPECT_EQ(save_refused_then_cancel(*session.launcher, session.folder, ERROR_PATH_NOT_FOUND), 0u);
    EXPECT_FALSE(folder_exists(session.folder / "Data"));
}

TEST(LauncherHostile, OptionsFileIsAFolder) {
    GameFolder folder({.data = true, .options = std::nullopt});
    ASSERT_TRUE(folder.ready());
    ASSERT_TRUE(CreateDirectoryA(folder.options_path().c_str(), nullptr));
    ASSERT_TRUE(write_file(folder.options_path() + "\\inside.txt", "x"));
    Launcher launcher(folder);
    ASSERT_TRUE(launcher.wait_window());
    // A file that is there but cannot be read is no first run: told, and nothing is written.
    ASSERT_TRUE(message_box_answer(launcher, "Die Einstellungen konnten nicht gelesen werden.", folder.options_path(),
                                   ERROR_ACCESS_DENIED, kDefaultsShown));
    EXPECT_EQ(launcher.text(kPlayer1Field), "Spieler1");
    EXPECT_EQ(save_refused_then_cancel(launcher, folder, ERROR_ACCESS_DENIED), 0u);
    EXPECT_TRUE(folder_exists(folder.options_path()));
    EXPECT_EQ(read_file(folder.options_path() + "\\inside.txt"), "x");
}

const std::string kOptions = options_file_bytes({});

TEST(LauncherHostile, ReadOnlyOptionsFile) {
    GameFolder folder({.options = kOptions});
    ASSERT_TRUE(folder.ready());
    ASSERT_TRUE(SetFileAttributesA(folder.options_path().c_str(), FILE_ATTRIBUTE_READONLY));
    // Whether the attribute keeps writers out is the platform's decision (Wine running as root, for
    // one, lets them in); ask it the way the launcher's save opens the file.
    HANDLE probe =
        CreateFileA(folder.options_path().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    const bool writable = probe != INVALID_HANDLE_VALUE;
    if (writable) {
        CloseHandle(probe);
        std::printf("this platform lets a read-only file be opened for writing\n");
    }
    Launcher launcher(folder);
    ASSERT_TRUE(launcher.wait_window());
    EXPECT_EQ(launcher.text(kPlayer1Field), "Anna");
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.choose_with_keyboard(2));
    if (writable)
        EXPECT_EQ(save_then_cancel(launcher), 0u);
    else
        EXPECT_EQ(save_refused_then_cancel(launcher, folder, ERROR_ACCESS_DENIED), 0u);
    EXPECT_EQ(folder.options(),
              writable ? options_file_bytes({.screen_width = "800", .screen_height = "600"}) : kOptions);
    EXPECT_TRUE(GetFileAttributesA(folder.options_path().c_str()) & FILE_ATTRIBUTE_READONLY);
}

TEST(LauncherHostile, OptionsFileOpenElsewhereForReadingOnly) {
    // Another reader that shares reading only: the launcher can load, but no save can open the file.
    GameFolder folder({.options = kOptions});
    ASSERT_TRUE(folder.ready());
    HANDLE reader = CreateFileA(folder.options_path().c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(reader, INVALID_HANDLE_VALUE);
    {
        Launcher launcher(folder);
        EXPECT_TRUE(launcher.wait_window());
        if (launcher.window()) {
            EXPECT_EQ(launcher.text(kPlayer1Field), "Anna");
            EXPECT_EQ(launcher.list_items().back(), "1024*768");
            EXPECT_TRUE(launcher.to_foreground());
            EXPECT_TRUE(launcher.choose_with_keyboard(2));
            EXPECT_EQ(save_refused_then_cancel(launcher, folder, ERROR_SHARING_VIOLATION), 0u);
        }
    }
    CloseHandle(reader);
    EXPECT_EQ(folder.options(), kOptions);
    EXPECT_EQ(data_files(folder), kOnlyOptions);
}

TEST(LauncherHostile, OptionsFileHeldOpenForWritingAndShared) {
    // As a game, a virus scanner or a sync client holds it: the launcher loads it as it is, and as
    // it may not take the file's place, saves over it.
    GameFolder folder({.options = kOptions});
    ASSERT_TRUE(folder.ready());
    std::unique_ptr<void, decltype(&CloseHandle)> held(
        CreateFileA(folder.options_path().c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr),
        &CloseHandle);
    ASSERT_NE(held.get(), INVALID_HANDLE_VALUE);
    Launcher launcher(folder);
    ASSERT_TRUE(launcher.wait_window());
    ASSERT_EQ(launcher.text(kPlayer1Field), "Anna");
    EXPECT_EQ(launcher.list_items().back(), "1024*768");
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.choose_with_keyboard(2));
    EXPECT_EQ(save_then_cancel(launcher), 0u);
    EXPECT_EQ(folder.options(), options_file_bytes({.screen_width = "800", .screen_height = "600"}));
    EXPECT_EQ(data_files(folder), kOnlyOptions);
}

TEST(LauncherHostile, HundredMegabytesWithoutLineBreak) {
    GameFolder folder({.options = ""});
    ASSERT_TRUE(folder.ready());
    {
        std::string block(1 << 20, '\0');
        for (std::size_t index = 0; index < block.size(); ++index) block[index] = static_cast<char>('a' + index % 26);
        HANDLE file = CreateFileA(folder.options_path().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        bool ok = true;
        for (int megabyte = 0; megabyte < 100 && ok; ++megabyte) {
            DWORD written = 0;
            ok = WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr) &&
                 written == block.size();
        }
        CloseHandle(file);
        ASSERT_TRUE(ok);
    }
    std::uint64_t size_before = 0, size_after = 0;
    std::optional<std::uint64_t> before = fingerprint(folder.options_path(), &size_before);
    ASSERT_EQ(size_before, 100u << 20);

    Launcher launcher(folder);
    DWORD start = GetTickCount();
    ASSERT_TRUE(launcher.wait_window(kHugeFileWindowTimeoutMs))
        << "no window within " << kHugeFileWindowTimeoutMs / 1000 << " s";
    std::printf("the window showed after %lu ms\n", static_cast<unsigned long>(GetTickCount() - start));
    // How much of a 100 MB name a one-line field takes is the platform's affair; the rest of the
    // record is empty, as nothing follows the first line.
    EXPECT_EQ(launcher.text(kPlayer2Field), "");
    EXPECT_EQ(launcher.list_items().back(), "0*0");
    EXPECT_EQ(launcher.slider_position(kMusicSlider), 0);
    EXPECT_TRUE(launcher.to_foreground());
    EXPECT_EQ(launcher.cancel(), 0u);
    EXPECT_EQ(fingerprint(folder.options_path(), &size_after), before);
    EXPECT_EQ(size_after, size_before);
}

TEST(LauncherHostile, BinaryBytesNulBytesAndLongNumbers) {
    using namespace std::string_literals;
    struct Case {
        std::string file;
        std::string item17;
        // The next save but its line 1, which is whatever the name field made of line 1. Numbers
        // wrap modulo 2 to the 64th, pass through a double, and come back rounded.
        OptionsLines saved;
    };
    // Every file here saves 0 on lines 3 and 7 to 9.
    auto saved = [](const char* player2, const char* aux2, const char* width, const char* height) {
        return OptionsLines{.player2_name = player2,
                            .aux1 = "0",
                            .aux2 = aux2,
                            .screen_width = width,
                            .screen_height = height,
                            .aux3 = "0",
                            .music_volume = "0",
                            .sound_volume = "0"};
    };
    const std::vector<Case> cases = {
        {"\x01\x02\xFF\xFE name\0hidden\r\n\x80\x81\x9F\x7F\r\n123456789012345678901234567890\r\n"
         "-99999999999999999999999999\r\n$FFFFFFFFFFFFFFFFFFFF\r\n"
         "%1111111111111111111111111111111111111111111111111111111111111111111111\r\n\0\0\0\r\n"
         "18446744073709551616\r\n9223372036854775808\r\n"s,
         "2537764290115403776*-1", saved("hidden", "-4362896299872286208", "2537764290115403776", "-1")},
        {std::string(4096, '\0') + "after the NULs\r\n", "0*0", saved("", "0", "0", "0")},
        {"\r\n\r\n\r\n" + std::string(9000, '9') + "\r\n" + std::string(9000, '-') + "\r\n\x80\x81\x9F\r\n", "0*0",
         saved("", "-1", "0", "0")},
    };
    for (std::size_t index = 0; index < cases.size(); ++index) {
        SCOPED_TRACE("file " + std::to_string(index));
        GameFolder folder({.options = cases[index].file});
        ASSERT_TRUE(folder.ready());
        Launcher launcher(folder);
        ASSERT_TRUE(launcher.wait_window());
        std::vector<std::string> items = launcher.list_items();
        ASSERT_EQ(items.size(), 18u);
        EXPECT_EQ(items.back(), cases[index].item17);
        EXPECT_EQ(launcher.slider_position(kMusicSlider), 0);
        EXPECT_EQ(launcher.slider_position(kSoundSlider), 0);
        OptionsLines expected = cases[index].saved;
        expected.player1_name = launcher.text(kPlayer1Field);
        EXPECT_EQ(save_then_cancel(launcher), 0u);
        std::optional<std::string> after = folder.options();
        EXPECT_EQ(after, options_file_bytes(expected)) << printable(after.value_or("<no file>").substr(0, 400));
    }
}

TEST(LauncherHostile, GameMissingOrNoProgram) {
    struct Case {
        const char* name;
        GameSetup setup;
        const char* fake_game;  // bytes of a "Zindrop Alpha.exe" that is no program, or null
    };
    const std::vector<Case> cases = {
        {"missing, and no Data folder", {.game = false, .data = false, .options = std::nullopt}, nullptr},
        {"a text file", {.game = false, .data = true, .options = kOptions}, "This is no program.\r\n"},
        {"an empty file", {.game = false, .data = true, .options = kOptions}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        GameFolder folder(c.setup);
        ASSERT_TRUE(folder.ready());
        if (c.fake_game) {
            ASSERT_TRUE(write_file(folder / "Zindrop Alpha.exe", c.fake_game));
        }
        std::optional<std::string> before = folder.options();
        Launcher launcher(folder);
        ASSERT_TRUE(launcher.wait_window());
        ASSERT_TRUE(c.setup.data ||
                    message_box_answer(launcher, kNotCreated, folder / "Data", ERROR_PATH_NOT_FOUND, kDefaultsShown));
        // The shell may show a message of its own about the program it cannot start.
        launcher.start_dialog_watchdog();
        ASSERT_TRUE(launcher.to_foreground());
        EXPECT_TRUE(launcher.use_button(
            kLaunchButton, [&] { return !launcher.running(); }, Launcher::Route::keyboard, kStateTimeoutMs));
        EXPECT_EQ(launcher.wait_exit(), 0u);
        for (const ForeignWindow& shown : launcher.foreign_windows())
            std::printf("%s: the shell showed \"%s\" (%s)\n", c.name, shown.title.c_str(), shown.class_name.c_str());
        EXPECT_TRUE(wait_descendants_gone(launcher.process_id(), kExitTimeoutMs));
        EXPECT_FALSE(file_exists(folder.report_path()));
        EXPECT_EQ(folder.options(), before);
    }
}

TEST(LauncherHostile, FloodOfPostedMessagesThenAbbrechen) {
    GameFolder folder({.options = kOptions});
    ASSERT_TRUE(folder.ready());
    Launcher launcher(folder);
    ASSERT_TRUE(launcher.wait_window());
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_tab(kCancelButton));

    // Until the platform refuses one: its queue has a limit on some systems.
    int accepted = 0;
    DWORD refusal = 0;
    for (int index = 0; index < kFloodSize; ++index) {
        UINT message = index % 2 ? WM_USER + static_cast<UINT>(index % 256) : WM_NULL;
        if (!PostMessageA(launcher.window(), message, 0, 0)) {
            refusal = GetLastError();
            break;
        }
        ++accepted;
    }
    std::printf("%d of %d messages accepted (refusal %lu)\n", accepted, kFloodSize,
                static_cast<unsigned long>(refusal));
    EXPECT_GT(accepted, 0);
    EXPECT_TRUE(launcher.answers()) << "a sent message must still get an answer during the flood";

    // Space on the focused "Abbrechen" queues behind every posted message: the launcher ends once
    // it has worked through them.
    DWORD start = GetTickCount();
    ASSERT_TRUE(launcher.press_button_at_once(kCancelButton, Launcher::Route::keyboard));
    EXPECT_EQ(launcher.wait_exit_draining(kFloodDrainTimeoutMs), 0u);
    std::printf("the launcher ended %lu ms after \"Abbrechen\"\n", static_cast<unsigned long>(GetTickCount() - start));
    EXPECT_EQ(folder.options(), kOptions);
}

}  // namespace
}  // namespace launcher_e2e
