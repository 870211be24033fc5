// The launcher end to end: launcher.exe started in a game folder of its own, its window read
// through the platform and driven by real mouse and keyboard input, its exit code and the bytes
// it leaves in "Data\Optionen.txt".
#include <windows.h>

#include <commctrl.h>
#include <oleacc.h>
#include <oleauto.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "tests/launcher/e2e/launcher_driver.h"
#include "tests/launcher/e2e/options_layout.h"
#include "tests/support/options_file.h"
#include "tests/support/user_input.h"

namespace launcher_e2e {
namespace {

const std::vector<std::string> kResolutionItems = {
    "640*480",  "720*480",  "800*600",   "960*720",  "1024*768", "1200*800", "1200*900",  "1280*720", "1280*768",
    "1280*800", "1280*960", "1280*1024", "1366*768", "1600*768", "1600*900", "1600*1200", "1920*1080"};

std::string desktop_text() {
    return std::to_string(GetSystemMetrics(SM_CXSCREEN)) + "*" + std::to_string(GetSystemMetrics(SM_CYSCREEN));
}

// "Speichern", then "Abbrechen", both pressed the given way.
std::optional<DWORD> save_and_cancel(Launcher& launcher, const GameFolder& folder, const std::string& expected,
                                     Launcher::Route route = Launcher::Route::keyboard) {
    EXPECT_TRUE(launcher.save(folder, expected, route));
    return launcher.cancel(route);
}

std::string describe(const RECT& rect) {
    char text[96];
    std::snprintf(text, sizeof text, "(%ld, %ld) %ld x %ld", static_cast<long>(rect.left), static_cast<long>(rect.top),
                  static_cast<long>(rect.right - rect.left), static_cast<long>(rect.bottom - rect.top));
    return text;
}

// The accessibility layer's name for a window. MinGW's import library hands IID_IAccessible out as
// code, not as data: the GUID is spelt out here.
std::wstring accessible_name(HWND window) {
    static const GUID kIAccessible = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
    IAccessible* object = nullptr;
    VARIANT self = {};  // CHILDID_SELF
    self.vt = VT_I4;
    BSTR name = nullptr;
    if (SUCCEEDED(AccessibleObjectFromWindow(window, OBJID_CLIENT, kIAccessible, reinterpret_cast<void**>(&object)))) {
        object->get_accName(self, &name);
        object->Release();
    }
    std::wstring text = name ? name : L"<no name>";
    SysFreeString(name);
    return text;
}

const std::string kLoaded = options_file_bytes({.screen_width = "1920", .screen_height = "1080"});

TEST(LauncherLayout, WindowControlsAndLoadedValues) {
    Session session({.options = kLoaded});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    HWND window = launcher.window();

    EXPECT_EQ(launcher.text(window), "Optionen");
    char class_name[64] = "";
    GetClassNameA(window, class_name, sizeof class_name);
    EXPECT_STREQ(class_name, "WindowClass_0");
    // The 96-DPI layout at the display's scale, each place and size scaled as the launcher scales
    // them (the driver measures in device pixels, as the launcher sees them).
    HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    auto px = [dpi](LONG pixels) { return static_cast<LONG>(MulDiv(pixels, dpi, USER_DEFAULT_SCREEN_DPI)); };
    RECT frame = {}, client = {}, area = {};
    GetWindowRect(window, &frame);
    GetClientRect(window, &client);
    ASSERT_TRUE(SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0));
    // Moved just far enough to lie whole on the screen where the scaled place would reach past it.
    EXPECT_EQ(frame.left, std::min(px(kWindowPlace.x), area.right - (frame.right - frame.left)));
    EXPECT_EQ(frame.top, std::min(px(kWindowPlace.y), area.bottom - (frame.bottom - frame.top)));
    EXPECT_EQ(client.right, px(kClientSize.cx));
    EXPECT_EQ(client.bottom, px(kClientSize.cy));
    LONG_PTR style = GetWindowLongPtrA(window, GWL_STYLE);
    EXPECT_EQ(style & WS_CAPTION, WS_CAPTION);
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) << std::hex << style;

    const std::vector<ControlLayout>& expected = kOptionsLayout;
    std::vector<int> order;
    for (HWND child = GetWindow(window, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        order.push_back(GetDlgCtrlID(child));
    std::vector<int> expected_order;
    for (const ControlLayout& control : expected) expected_order.push_back(control.id);
    EXPECT_EQ(order, expected_order) << "the window's children, by identifier, in creation order";
    // Each label lies just before the control that it names for the accessibility layer.
    std::string labels;
    for (int id : {kPlayer1Field, kPlayer2Field, kResolutionList, kMusicSlider, kSoundSlider})
        labels += launcher.text(GetWindow(launcher.control(id), GW_HWNDPREV)) + ";";
    EXPECT_EQ(labels, "Spieler 1;Spieler 2;Aufl\xF6sung;Musik;Sounds;")
        << "the windows before fields, list and sliders";
    // Wine's accessibility layer names only text fields so.
    EXPECT_EQ(accessible_name(launcher.control(kPlayer1Field)), L"Spieler 1");
    EXPECT_EQ(accessible_name(launcher.control(kPlayer2Field)), L"Spieler 2");

    for (const ControlLayout& want : expected) {
        SCOPED_TRACE("control " + std::to_string(want.id));
        HWND control = launcher.control(want.id);
        ASSERT_NE(control, nullptr);
        GetClassNameA(control, class_name, sizeof class_name);
        EXPECT_STREQ(class_name, want.class_name);
        RECT rect = client_rect_of(control, window);
        const RECT& at96 = want.rect;
        const RECT scaled = {px(at96.left), px(at96.top), px(at96.left) + px(at96.right - at96.left),
                             px(at96.top) + px(at96.bottom - at96.top)};
        if (want.id == kResolutionList) {
            // Asked for 20 pixels closed: the selection field is sized so that with its frame it comes
            // to that, as far as the platform's sizing of the field allows.
            EXPECT_EQ(describe({rect.left, rect.top, rect.right, rect.top}),
                      describe({scaled.left, scaled.top, scaled.right, scaled.top}));
            EXPECT_NEAR(rect.bottom - rect.top, px(20), 2) << "closed height of the drop-down list";
            EXPECT_EQ(GetWindowLongPtrA(control, GWL_STYLE) & 3, CBS_DROPDOWNLIST) << "a list that takes no typing";
        } else {
            EXPECT_EQ(describe(rect), describe(scaled));
        }
        EXPECT_EQ(launcher.text(control), want.text);
        EXPECT_TRUE(GetWindowLongPtrA(control, GWL_STYLE) & WS_VISIBLE);
    }

    std::vector<std::string> items = kResolutionItems;
    items.push_back("1920*1080");
    EXPECT_EQ(launcher.list_items(), items);
    EXPECT_EQ(launcher.list_selection(), kCurrentResolutionItem);
    for (int slider : {kMusicSlider, kSoundSlider}) {
        EXPECT_EQ(launcher.ask(launcher.control(slider), TBM_GETRANGEMIN), 0);
        EXPECT_EQ(launcher.ask(launcher.control(slider), TBM_GETRANGEMAX), 100);
    }
    EXPECT_EQ(launcher.slider_position(kMusicSlider), 30);
    EXPECT_EQ(launcher.slider_position(kSoundSlider), 70);

    EXPECT_EQ(launcher.cancel(), 0u);
    EXPECT_EQ(session.folder.options(), kLoaded);
}

// The program file's resources: icon 1, which every toolkit window takes, with an image for each
// size Windows shows it at, the manifest that asks for version 6.0.0.0 of the common controls and
// declares the Windows versions and rights the program is made for, and the German version resource.
TEST(LauncherLayout, TheProgramFileCarriesIconOneTheManifestAndTheVersion) {
    GameFolder folder({.options = kLoaded});
    ASSERT_TRUE(folder.ready());
    HMODULE program = LoadLibraryExA((folder / "launcher.exe").c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(program, nullptr);
    auto resource_bytes = [&](LPCSTR type, WORD id) {
        HRSRC found = FindResourceA(program, MAKEINTRESOURCEA(id), type);
        HGLOBAL loaded = found ? LoadResource(program, found) : nullptr;
        const char* bytes = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
        return bytes ? std::string(bytes, SizeofResource(program, found)) : std::string();
    };

    // An icon group: a 6-byte header (reserved, type 1, count), then 14 bytes per image: width,
    // height, ..., and at offset 12 the number of the image's own icon resource.
    const std::string group = resource_bytes(RT_GROUP_ICON, 1);
    ASSERT_GE(group.size(), 6u) << "no icon group 1";
    WORD header[3] = {};
    std::memcpy(header, group.data(), sizeof header);
    EXPECT_EQ(header[1], 1) << "an icon, not a cursor";
    ASSERT_GE(group.size(), 6u + 14u * header[2]);
    std::vector<int> sizes;
    for (WORD image = 0; image < header[2]; ++image) {
        const char* entry = group.data() + 6 + 14 * image;
        WORD id = 0;
        std::memcpy(&id, entry + 12, sizeof id);
        const std::string bytes = resource_bytes(RT_ICON, id);
        EXPECT_FALSE(bytes.empty()) << "image " << id << " of icon 1 is missing";
        // A width of 0 stands for 256; that image is a PNG, the others bitmaps.
        const int width = static_cast<unsigned char>(entry[0]), height = static_cast<unsigned char>(entry[1]);
        sizes.push_back(width == height ? (width ? width : 256) : -1);
        EXPECT_TRUE(sizes.back() != 256 || bytes.starts_with("\x89PNG")) << "the 256-pixel image is no PNG";
    }
    EXPECT_EQ(sizes, (std::vector<int>{16, 20, 24, 32, 40, 48, 64, 256})) << "square images, -1 for another";

    const std::string manifest = resource_bytes(RT_MANIFEST, 1);
    FreeLibrary(program);
    const std::size_t name = manifest.find("name=\"Microsoft.Windows.Common-Controls\"");
    ASSERT_NE(name, std::string::npos) << "the manifest names no common controls:\n" << manifest;
    const std::size_t start = manifest.rfind("<assemblyIdentity", name);
    const std::size_t end = manifest.find("/>", name);
    ASSERT_TRUE(start != std::string::npos && end != std::string::npos) << manifest;
    EXPECT_NE(manifest.substr(start, end - start).find("version=\"6.0.0.0\""), std::string::npos)
        << manifest.substr(start, end - start);
    // The program's own identity, the manifest's first, which Windows checks before it starts it.
    const std::string own = manifest.substr(0, manifest.find("/>", manifest.find("<assemblyIdentity")));
    EXPECT_NE(own.find("processorArchitecture=\"amd64\""), std::string::npos) << own;
    EXPECT_NE(own.find(std::string("version=\"") + LAUNCHER_VERSION + ".0\""), std::string::npos) << own;
    // Aware of each monitor's display scale (version 2 where Windows has it), so that the system
    // stretches the window on no monitor; made for Windows Vista, 7, 8, 8.1 and 10 or 11, and run
    // with the rights of the user who starts it.
    for (const char* entry : {"SMI/2005/WindowsSettings\">true/pm</dpiAware>",
                              "SMI/2016/WindowsSettings\">PerMonitorV2, PerMonitor</dpiAwareness>",
                              "<compatibility xmlns=\"urn:schemas-microsoft-com:compatibility.v1\">",
                              "<supportedOS Id=\"{e2011457-1546-43c5-a5fe-008deee3d3f0}\"/>",
                              "<supportedOS Id=\"{35138b9a-5d96-4fbd-8e2d-a2440225f93a}\"/>",
                              "<supportedOS Id=\"{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}\"/>",
                              "<supportedOS Id=\"{1f676c76-80e1-4239-95bb-83d0f6d0da78}\"/>",
                              "<supportedOS Id=\"{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}\"/>",
                              "<trustInfo xmlns=\"urn:schemas-microsoft-com:asm.v3\">",
                              "<requestedExecutionLevel level=\"asInvoker\" uiAccess=\"false\"/>"})
        EXPECT_NE(manifest.find(entry), std::string::npos) << entry << " is not in\n" << manifest;
    EXPECT_EQ(manifest.find("<trustInfo"), manifest.rfind("<trustInfo")) << "one trustInfo only";

    // The version resource, which the file's Properties show: the project's version and names.
    const std::string program_path = folder / "launcher.exe";
    std::string version(GetFileVersionInfoSizeA(program_path.c_str(), nullptr), '\0');
    ASSERT_FALSE(version.empty()) << "no version resource";
    ASSERT_TRUE(GetFileVersionInfoA(program_path.c_str(), 0, static_cast<DWORD>(version.size()), version.data()));
    // The block of German (0x0407) texts in Windows-1252 (0x04E4), read as UTF-16 whatever the code page.
    auto value = [&](const wchar_t* key) {
        wchar_t* text = nullptr;
        UINT length = 0;
        const std::wstring path = std::wstring(L"\\StringFileInfo\\040704E4\\") + key;
        return VerQueryValueW(version.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) && text
                   ? std::wstring(text)
                   : std::wstring(L"<none>");
    };
    const std::wstring version_text(LAUNCHER_VERSION, LAUNCHER_VERSION + std::strlen(LAUNCHER_VERSION));
    EXPECT_EQ(value(L"ProductName"), L"Zindrop Launcher");
    EXPECT_EQ(value(L"CompanyName"), L"Vellmark Software");
    EXPECT_EQ(value(L"LegalCopyright"), L"\u00A9 2026 Vellmark Software");
    EXPECT_EQ(value(L"FileDescription"), L"Zindrop options launcher");
    EXPECT_EQ(value(L"FileVersion"), version_text);
    EXPECT_EQ(value(L"ProductVersion"), version_text);
    WORD* translation = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(version.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length) &&
                length == 2 * sizeof(WORD));
    EXPECT_EQ(translation[0], 0x0407);
    EXPECT_EQ(translation[1], 1252);
    VS_FIXEDFILEINFO* fixed = nullptr;
    ASSERT_TRUE(VerQueryValueA(version.data(), "\\", reinterpret_cast<void**>(&fixed), &length) && fixed);
    unsigned major = 0, minor = 0, patch = 0;
    ASSERT_EQ(std::sscanf(LAUNCHER_VERSION, "%u.%u.%u", &major, &minor, &patch), 3);
    EXPECT_EQ(fixed->dwFileVersionMS, (major << 16) | minor);
    EXPECT_EQ(fixed->dwFileVersionLS, patch << 16);
    EXPECT_EQ(fixed->dwProductVersionMS, (major << 16) | minor);
    EXPECT_EQ(fixed->dwProductVersionLS, patch << 16);
}

// The height of the stock font's characters at a scale, from this process's own, made at `start_dpi`.
LONG font_height_at(int dpi, int start_dpi) {
    LOGFONTW font = {};
    GetObjectW(GetStockObject(DEFAULT_GUI_FONT), sizeof font, &font);
    font.lfHeight = MulDiv(font.lfHeight, dpi, start_dpi);
    HFONT made = CreateFontIndirectW(&font);
    HDC dc = CreateCompatibleDC(nullptr);
    SelectObject(dc, made);
    TEXTMETRICW metrics = {};
    GetTextMetricsW(dc, &metrics);
    DeleteDC(dc);
    DeleteObject(made);
    return metrics.tmHeight;
}

TEST(LauncherLayout, ANewDisplayScaleLaysTheWindowOutAgainAndKeepsEveryValue) {
    Session session({.options = kLoaded});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    HWND window = launcher.window();
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_click(kPlayer2Field));
    HDC screen = GetDC(nullptr);
    const int start_dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    auto values = [&] {
        std::string shown;
        for (const ControlLayout& control : kOptionsLayout) shown += launcher.text(control.id) + "|";
        return shown + std::to_string(launcher.list_selection()) + " " +
               std::to_string(launcher.slider_position(kMusicSlider)) + " " +
               std::to_string(launcher.slider_position(kSoundSlider)) + " focus " +
               std::to_string(GetDlgCtrlID(launcher.focus()));
    };
    auto places = [&] {
        std::string all;
        for (const ControlLayout& control : kOptionsLayout)
            all += describe(client_rect_of(launcher.control(control.id), window)) + " ";
        return all;
    };
    const std::string before = values(), start_places = places();
    RECT start = {};
    GetWindowRect(window, &start);
    RECT at144 = {0, 0, MulDiv(kClientSize.cx, 144, 96), MulDiv(kClientSize.cy, 144, 96)};
    AdjustWindowRectEx(&at144, static_cast<DWORD>(GetWindowLongPtrA(window, GWL_STYLE)), FALSE, 0);
    OffsetRect(&at144, 40 - at144.left, 30 - at144.top);

    for (const auto& [dpi, suggested] : {std::pair{144, at144}, std::pair{96, start}}) {
        SCOPED_TRACE("at " + std::to_string(dpi) + " DPI");
        ASSERT_TRUE(send_dpi_change(launcher, dpi, suggested));
        RECT frame = {};
        GetWindowRect(window, &frame);
        EXPECT_EQ(describe(frame), describe(suggested));
        for (const ControlLayout& want : kOptionsLayout)
            EXPECT_TRUE(placed_at(launcher.control(want.id), window, want, dpi));
        EXPECT_EQ(launcher.ask(launcher.control(kResolutionList), CB_GETITEMHEIGHT, 0), font_height_at(dpi, start_dpi))
            << "the list's items are as high as the font's characters";
        EXPECT_EQ(values(), before);
        // Back at the scale it started with, the window is exactly as it was.
        if (dpi == start_dpi) {
            EXPECT_EQ(places(), start_places);
        }
    }
    EXPECT_EQ(launcher.cancel(), 0u);
}

TEST(LauncherLayout, TabAndShiftTabFollowTheTabStops) {
    Session session({.options = kLoaded});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_click(kPlayer1Field));

    // Round the cycle with Tab, back with Shift+Tab and once more, wrapping to the last tab stop.
    const std::vector<int> cycle = {kPlayer2Field, kResolutionList, kLaunchButton, kMusicSlider, kSoundSlider,
                                    kSaveButton,   kCancelButton,   kNativeButton, kPlayer1Field};
    std::vector<std::pair<bool, int>> steps;
    for (int id : cycle) steps.push_back({false, id});
    for (auto it = cycle.rbegin() + 1; it != cycle.rend(); ++it) steps.push_back({true, *it});
    steps.insert(steps.end(), {{true, kPlayer1Field}, {true, kNativeButton}});
    int from = kPlayer1Field;
    for (auto [shift, id] : steps) {
        ASSERT_TRUE(launcher.key(VK_TAB, shift));
        ASSERT_TRUE(launcher.wait_focus(id)) << (shift ? "Shift+Tab" : "Tab") << " from control " << from;
        from = id;
    }

    EXPECT_EQ(launcher.cancel(), 0u);
    EXPECT_EQ(session.folder.options(), kLoaded);
}

// Where the thumb of a 0-to-100 slider stands for a position, roughly: the channel leaves room for
// half a thumb at either end.
POINT slider_point(HWND slider, int position) {
    RECT rect = {};
    GetWindowRect(slider, &rect);
    const LONG inset = 13;
    return {rect.left + inset + (rect.right - rect.left - 2 * inset) * position / 100, (rect.top + rect.bottom) / 2};
}

bool same_folder(std::string a, std::string b) {
    while (!a.empty() && a.back() == '\\') a.pop_back();
    while (!b.empty() && b.back() == '\\') b.pop_back();
    return a.size() == b.size() && _strnicmp(a.c_str(), b.c_str(), a.size()) == 0;
}

TEST(LauncherFirstRun, WritesTheDefaultsForTheDesktopAndShowsThem) {
    Session session({.data = true, .options = std::nullopt});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    const std::string defaults = first_run_file(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    EXPECT_EQ(session.folder.options(), defaults);

    EXPECT_EQ(launcher.text(kPlayer1Field), "Spieler1");
    EXPECT_EQ(launcher.text(kPlayer2Field), "Spieler2");
    std::vector<std::string> items = kResolutionItems;
    items.push_back(desktop_text());
    EXPECT_EQ(launcher.list_items(), items);
    EXPECT_EQ(launcher.list_selection(), kCurrentResolutionItem);
    EXPECT_EQ(launcher.slider_position(kMusicSlider), 100);
    EXPECT_EQ(launcher.slider_position(kSoundSlider), 100);

    EXPECT_EQ(launcher.cancel(), 0u);
    EXPECT_EQ(session.folder.options(), defaults);
}

TEST(LauncherFirstRun, WithoutDataFolderTellsAndShowsTheFirstRunValues) {
    Session session({.data = false, .options = std::nullopt});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    EXPECT_TRUE(message_box_answer(launcher, "Die Einstellungen konnten im Ordner \"Data\" nicht angelegt werden.",
                                   session.folder / "Data", ERROR_PATH_NOT_FOUND,
                                   "Das Fenster zeigt die Standardwerte."));
    EXPECT_FALSE(folder_exists(session.folder / "Data"));

    EXPECT_EQ(launcher.text(kPlayer1Field), "Spieler1");
    EXPECT_EQ(launcher.text(kPlayer2Field), "Spieler2");
    std::vector<std::string> items = kResolutionItems;
    items.push_back(desktop_text());
    EXPECT_EQ(launcher.list_items(), items);
    EXPECT_EQ(launcher.list_selection(), kCurrentResolutionItem);
    EXPECT_EQ(launcher.slider_position(kMusicSlider), 100);
    EXPECT_EQ(launcher.slider_position(kSoundSlider), 100);

    // A save has nowhere to go, and says so: the launcher never makes the folder. Once the player
    // has made it, the same window saves.
    ASSERT_TRUE(launcher.to_foreground());
    EXPECT_TRUE(launcher.press_button(kSaveButton));
    EXPECT_TRUE(message_box_answer(launcher, "Die Einstellungen konnten nicht gespeichert werden.",
                                   session.folder.options_path(), ERROR_PATH_NOT_FOUND));
    EXPECT_FALSE(folder_exists(session.folder / "Data"));
    ASSERT_TRUE(CreateDirectoryA((session.folder / "Data").c_str(), nullptr));
    EXPECT_EQ(save_and_cancel(launcher, session.folder,
                              first_run_file(GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN))),
              0u);
}

const std::string kBase = options_file_bytes({});

// Moves both sliders and types into the first name: changes that leaving must not save.
void change_without_saving(Launcher& launcher) {
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_tab(kMusicSlider));
    ASSERT_TRUE(launcher.keys(VK_RIGHT, 5));
    EXPECT_TRUE(launcher.wait_slider(kMusicSlider, 35));
    HWND sound = launcher.control(kSoundSlider);
    ASSERT_TRUE(launcher.drag(slider_point(sound, 70), slider_point(sound, 95)));
    EXPECT_TRUE(launcher.wait_handled([&] { return launcher.slider_position(kSoundSlider) != 70; }))
        << "dragging slider 13 did not move it";
    ASSERT_TRUE(launcher.focus_by_click(kPlayer1Field));
    ASSERT_TRUE(launcher.type("Z"));
    EXPECT_TRUE(launcher.wait_text(kPlayer1Field, "AnnaZ"));
    ASSERT_TRUE(launcher.to_foreground());
}

TEST(LauncherLeave, CloseBoxEndsWithoutSavingAfterSliderMovesAndTyping) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_NO_FATAL_FAILURE(change_without_saving(launcher));
    EXPECT_EQ(launcher.close_with_close_box(), 0u);
    EXPECT_EQ(session.folder.options(), kBase);
}

// Alt+F4, pressed once, the way a player leaves with the keyboard.
bool press_alt_f4() {
    INPUT keys[4] = {key_input(VK_MENU, false), key_input(VK_F4, false), key_input(VK_F4, true),
                     key_input(VK_MENU, true)};
    return SendInput(4, keys, sizeof(INPUT)) == 4;
}

TEST(LauncherLeave, AltF4EndsWithoutSavingAfterSliderMovesAndTyping) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_NO_FATAL_FAILURE(change_without_saving(launcher));
    ASSERT_TRUE(press_alt_f4());
    EXPECT_EQ(launcher.wait_exit(), 0u);
    EXPECT_EQ(session.folder.options(), kBase);
}

// As in every Windows dialog: the first name takes typing at once, Enter presses "Speichern" or the
// focused button, Escape "Abbrechen", but an opened list takes Escape for itself.
TEST(LauncherKeys, TypingAtOnceEnterAndEscape) {
    const std::string saved = options_file_bytes({.player1_name = "Carla"});
    for (WORD leave : {WORD{VK_RETURN}, WORD{VK_ESCAPE}}) {
        Session session({.options = kBase});
        ASSERT_TRUE(session.ready());
        Launcher& launcher = *session.launcher;
        auto framed = [&](int id) {
            return (GetWindowLongPtrA(launcher.control(id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
        };
        EXPECT_TRUE(framed(kSaveButton)) << "the default button shows no default frame";
        ASSERT_TRUE(launcher.to_foreground() && launcher.type("Carla"));
        ASSERT_TRUE(launcher.wait_text(kPlayer1Field, "Carla")) << "typed at once after the start";
        if (leave == VK_RETURN) {
            ASSERT_TRUE(launcher.key(VK_RETURN));
            EXPECT_TRUE(launcher.wait_saved(session.folder, kBase, saved));
            auto dropped = [&] { return launcher.ask(launcher.control(kResolutionList), CB_GETDROPPEDSTATE) != 0; };
            ASSERT_TRUE(launcher.click(kResolutionList) && launcher.wait_handled(dropped) && launcher.key(VK_ESCAPE));
            EXPECT_TRUE(launcher.wait_handled([&] { return !dropped(); }));
            ASSERT_TRUE(launcher.focus_by_tab(kCancelButton));
            EXPECT_TRUE(launcher.wait_handled([&] { return framed(kCancelButton) && !framed(kSaveButton); }))
                << "the focused button shows no default frame";
        }
        ASSERT_TRUE(launcher.key(leave));
        EXPECT_EQ(launcher.wait_exit(), 0u);
        EXPECT_EQ(session.folder.options(), leave == VK_RETURN ? saved : kBase);
    }
}

// Another window active for a while, the launcher's focus is back where the player left it.
TEST(LauncherKeys, TheFocusComesBackAfterASwitch) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground() && launcher.focus_by_tab(kMusicSlider));
    HWND other = CreateWindowExA(0, "Edit", "", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 300, 200, nullptr, nullptr,
                                 nullptr, nullptr);
    const bool back = other && bring_to_foreground(other) && launcher.to_foreground();
    DestroyWindow(other);
    ASSERT_TRUE(back);
    EXPECT_TRUE(launcher.wait_focus(kMusicSlider));
    EXPECT_EQ(launcher.cancel(), 0u);
}

TEST(LauncherLeave, AbbrechenEndsWithoutSavingAfterSliderMoves) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());

    HWND music = launcher.control(kMusicSlider);
    ASSERT_TRUE(launcher.drag(slider_point(music, 30), slider_point(music, 5)));
    EXPECT_TRUE(launcher.wait_handled([&] { return launcher.slider_position(kMusicSlider) != 30; }))
        << "dragging slider 14 did not move it";
    ASSERT_TRUE(launcher.focus_by_tab(kSoundSlider));
    ASSERT_TRUE(launcher.keys(VK_LEFT, 10));
    EXPECT_TRUE(launcher.wait_slider(kSoundSlider, 60));

    EXPECT_EQ(launcher.cancel(Launcher::Route::mouse), 0u);
    EXPECT_EQ(session.folder.options(), kBase);
}

TEST(LauncherSave, ChoosingFromTheListWithTheMouse) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.choose_with_mouse(2)) << "could not pick \"800*600\" with the mouse";
    EXPECT_EQ(
        save_and_cancel(launcher, session.folder, options_file_bytes({.screen_width = "800", .screen_height = "600"}),
                        Launcher::Route::mouse),
        0u);
}

// Tab into the second name selects it, so typing replaces it; then every fixed item, chosen with
// Home and Down, saves its own size.
TEST(LauncherSave, ChoosingFromTheListWithTheKeyboard) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_tab(kPlayer2Field) && launcher.type("Cleo"));
    ASSERT_TRUE(launcher.focus_by_tab(kResolutionList) && launcher.key(VK_HOME));
    for (int item = 0; item < static_cast<int>(kResolutionItems.size()); ++item) {
        ASSERT_TRUE((item == 0 || launcher.key(VK_DOWN)) && launcher.wait_selection(item)) << item;
        const std::string& size = kResolutionItems[item];
        const std::size_t times = size.find('*');
        ASSERT_TRUE(launcher.save(session.folder,
                                  options_file_bytes({.player2_name = "Cleo",
                                                      .screen_width = size.substr(0, times),
                                                      .screen_height = size.substr(times + 1)}),
                                  Launcher::Route::mouse))
            << size;
        // The click took the focus to the button: five Tabs bring it back to the list.
        ASSERT_TRUE(launcher.keys(VK_TAB, 5));
        ASSERT_TRUE(launcher.wait_focus(kResolutionList));
    }
    EXPECT_EQ(launcher.cancel(), 0u);
}

const std::string kOddResolution = options_file_bytes({.screen_width = "1234", .screen_height = "567"});

TEST(LauncherSave, NativeResolutionThenSaveWritesTheDesktopSize) {
    Session session({.options = kOddResolution});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    // Another item chosen first: "Native Aufl\xF6sung" must select item 17 itself.
    ASSERT_TRUE(launcher.choose_with_keyboard(2)) << "could not pick \"800*600\" with Home and Down";
    EXPECT_TRUE(launcher.use_button(
        kNativeButton, [&] { return launcher.list_items().back() == desktop_text(); }, Launcher::Route::mouse))
        << "item 17 should read the desktop's size";
    ASSERT_TRUE(launcher.wait_selection(kCurrentResolutionItem));
    EXPECT_EQ(launcher.list_items().size(), 18u);
    EXPECT_EQ(launcher.text(kResolutionList), desktop_text());
    // Nothing is written before "Speichern".
    EXPECT_EQ(session.folder.options(), kOddResolution);
    EXPECT_EQ(save_and_cancel(launcher, session.folder,
                              options_file_bytes({.screen_width = std::to_string(GetSystemMetrics(SM_CXSCREEN)),
                                                  .screen_height = std::to_string(GetSystemMetrics(SM_CYSCREEN))})),
              0u);
}

TEST(LauncherSave, AnItemChosenAfterNativeResolutionWins) {
    Session session({.options = kOddResolution});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.use_button(kNativeButton, [&] { return launcher.list_items().back() == desktop_text(); }));
    ASSERT_TRUE(launcher.choose_with_keyboard(3));
    EXPECT_EQ(
        save_and_cancel(launcher, session.folder, options_file_bytes({.screen_width = "960", .screen_height = "720"})),
        0u);
}

TEST(LauncherSave, KeepsTheLoadedResolutionAndOtherLinesButClearsLine7) {
    // Item 17 stays selected; names keep their spaces; lines 3 and 4 pass through.
    OptionsLines lines = {.player1_name = " Anna ",
                          .player2_name = "Bob  ",
                          .aux1 = "7",
                          .aux2 = "-3",
                          .screen_width = "1234",
                          .screen_height = "567",
                          .aux3 = "5"};
    Session session({.options = options_file_bytes(lines)});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    EXPECT_EQ(launcher.list_items().back(), "1234*567");
    ASSERT_TRUE(launcher.to_foreground());
    lines.aux3 = "0";
    EXPECT_EQ(save_and_cancel(launcher, session.folder, options_file_bytes(lines)), 0u);
}

TEST(LauncherSave, TwiceInARowWritesTheSameFile) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_click(kPlayer2Field));
    ASSERT_TRUE(launcher.type("by"));
    ASSERT_TRUE(launcher.wait_text(kPlayer2Field, "Bobby"));
    const std::string expected = options_file_bytes({.player2_name = "Bobby"});

    ASSERT_TRUE(launcher.save(session.folder, expected));
    // Spoil the file between the saves, so that the second save shows in it.
    ASSERT_TRUE(write_file(session.folder.options_path(), "spoilt\r\n"));
    EXPECT_TRUE(launcher.save(session.folder, expected));
    EXPECT_EQ(launcher.cancel(), 0u);
    EXPECT_EQ(session.folder.options(), expected);
}

TEST(LauncherSave, EmptiedNamesAreBareLineEnds) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    for (int field : {kPlayer1Field, kPlayer2Field}) {
        ASSERT_TRUE(launcher.focus_by_click(field));
        ASSERT_TRUE(launcher.clear_focused_field());
        ASSERT_TRUE(launcher.wait_text(field, ""));
    }
    EXPECT_EQ(save_and_cancel(launcher, session.folder, options_file_bytes({.player1_name = "", .player2_name = ""})),
              0u);
}

TEST(LauncherSave, MusicSliderMovedTo37) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_tab(kMusicSlider));
    ASSERT_TRUE(launcher.key(VK_HOME));
    ASSERT_TRUE(launcher.wait_slider(kMusicSlider, 0));
    ASSERT_TRUE(launcher.keys(VK_RIGHT, 37));
    ASSERT_TRUE(launcher.wait_slider(kMusicSlider, 37));
    EXPECT_EQ(launcher.slider_position(kSoundSlider), 70);
    EXPECT_EQ(save_and_cancel(launcher, session.folder, options_file_bytes({.music_volume = "37"})), 0u);
}

TEST(LauncherSave, TypedUmlautIsWrittenAsOneWindows1252Byte) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_click(kPlayer1Field));
    ASSERT_TRUE(launcher.clear_focused_field());
    ASSERT_TRUE(launcher.type("J\xF6rg"));
    ASSERT_TRUE(launcher.wait_text(kPlayer1Field, "J\xF6rg"));
    EXPECT_EQ(save_and_cancel(launcher, session.folder, options_file_bytes({.player1_name = "J\xF6rg"})), 0u);
}

// Puts text on the clipboard as CF_UNICODETEXT; the window that owns the clipboard lives as long as this.
class ClipboardText {
  public:
    explicit ClipboardText(const std::wstring& text) {
        owner_ = CreateWindowExA(0, "Static", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
        if (!owner_ || !OpenClipboard(owner_)) return;
        EmptyClipboard();
        const std::size_t size = (text.size() + 1) * sizeof(wchar_t);
        if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size)) {
            std::memcpy(GlobalLock(memory), text.c_str(), size);
            GlobalUnlock(memory);
            if (SetClipboardData(CF_UNICODETEXT, memory))
                ready_ = true;
            else
                GlobalFree(memory);
        }
        CloseClipboard();
    }
    ~ClipboardText() {
        if (owner_) DestroyWindow(owner_);
    }
    bool ready() const { return ready_; }

  private:
    HWND owner_ = nullptr;
    bool ready_ = false;
};

TEST(LauncherSave, PastedLineBreakNeverSplitsTheFile) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ClipboardText clipboard(L"Anna\r\nBob");
    ASSERT_TRUE(clipboard.ready());
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_click(kPlayer1Field));
    ASSERT_TRUE(launcher.clear_focused_field());
    ASSERT_TRUE(launcher.wait_text(kPlayer1Field, ""));
    ASSERT_TRUE(launcher.key_with_ctrl('V'));
    ASSERT_TRUE(launcher.wait_handled([&] { return !launcher.text(kPlayer1Field).empty(); }))
        << "Ctrl+V pasted nothing";
    const std::string field = launcher.text(kPlayer1Field);
    // A one-line field takes the text up to its first line break (or, on some platforms, keeps the
    // break as text); what is saved must be nine lines either way.
    const std::string name = field.substr(0, field.find_first_of("\r\n"));
    EXPECT_EQ(name, "Anna") << "the field holds " << printable(field);

    const std::string expected = options_file_bytes({.player1_name = name});
    EXPECT_TRUE(launcher.save(session.folder, expected)) << "the field held " << printable(field);
    EXPECT_EQ(launcher.cancel(), 0u);
    std::optional<std::vector<std::string>> lines = split_crlf_lines(session.folder.options().value_or(""));
    ASSERT_TRUE(lines.has_value());
    EXPECT_EQ(lines->size(), 9u);
}

// Whatever the system's code page (ctest runs this case again under Cyrillic 1251), the names show
// and save as the file's Windows-1252, and what 1252 lacks enters a field as its best-fit
// character (Ł as L, ř as r) or not at all, however it comes; an accent typed or pasted after its
// letter is composed with it.
TEST(LauncherCodePage, NamesShowAndSaveAsWindows1252) {
    const char* code_page = std::getenv("LAUNCHER_TEST_CODE_PAGE");
    ASSERT_TRUE(!code_page || GetACP() == static_cast<UINT>(std::atoi(code_page))) << "not at code page " << code_page;
    const std::string street = std::string("Stra\xDF") + "e \x80";
    OptionsLines names = {.player1_name = "J\xF6rg", .player2_name = street};
    Session session({.options = options_file_bytes(names)});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    EXPECT_EQ(launcher.text(kPlayer1Field), "J\xF6rg");
    EXPECT_EQ(launcher.text(kPlayer2Field), street);
    EXPECT_EQ(launcher.text(kResolutionCaption), "Aufl\xF6sung");
    ClipboardText clipboard(L"\u0159\u4E2D\u20AC");
    ASSERT_TRUE(clipboard.ready());
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_click(kPlayer1Field));
    ASSERT_TRUE(launcher.key(VK_END) && input_type(L"\u4E2D\u0141e\u0301"));
    EXPECT_TRUE(launcher.wait_text(kPlayer1Field, "J\xF6rgL\xE9")) << printable(launcher.text(kPlayer1Field));
    ASSERT_TRUE(launcher.key_with_ctrl('V'));
    EXPECT_TRUE(launcher.wait_text(kPlayer1Field, "J\xF6rgL\xE9r\x80")) << printable(launcher.text(kPlayer1Field));
    // Shift+Insert in the middle is fitted too, and undo takes back the paste and its fitting as one.
    ASSERT_TRUE(launcher.key(VK_HOME) && launcher.keys(VK_RIGHT, 2) && launcher.key(VK_INSERT, true));
    EXPECT_TRUE(launcher.wait_text(kPlayer1Field, "J\xF6r\x80rgL\xE9r\x80")) << printable(launcher.text(kPlayer1Field));
    ASSERT_TRUE(launcher.key_with_ctrl('Z'));
    EXPECT_TRUE(launcher.wait_text(kPlayer1Field, "J\xF6rgL\xE9r\x80")) << printable(launcher.text(kPlayer1Field));
    // The caret stays after what the paste left, counted without what it dropped.
    ASSERT_TRUE(launcher.key(VK_HOME) && launcher.keys(VK_RIGHT, 2) && launcher.key(VK_INSERT, true));
    ASSERT_TRUE(launcher.type("X"));
    EXPECT_TRUE(launcher.wait_text(kPlayer1Field, "J\xF6r\x80XrgL\xE9r\x80"))
        << printable(launcher.text(kPlayer1Field));
    // A decomposed accent is stored composed.
    ClipboardText decomposed(L" Jose\u0301");
    ASSERT_TRUE(decomposed.ready());
    ASSERT_TRUE(launcher.focus_by_click(kPlayer2Field));
    ASSERT_TRUE(launcher.key(VK_END) && launcher.key_with_ctrl('V'));
    EXPECT_TRUE(launcher.wait_text(kPlayer2Field, street + " Jos\xE9")) << printable(launcher.text(kPlayer2Field));
    names.player1_name = "J\xF6r\x80XrgL\xE9r\x80";
    names.player2_name = street + " Jos\xE9";
    EXPECT_EQ(save_and_cancel(launcher, session.folder, options_file_bytes(names)), 0u);
}

TEST(LauncherLaunch, StartsTheGameInTheWorkingDirectoryWithoutSaving) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    ASSERT_TRUE(launcher.focus_by_click(kPlayer1Field));
    ASSERT_TRUE(launcher.type("X"));
    ASSERT_TRUE(launcher.wait_text(kPlayer1Field, "AnnaX"));

    EXPECT_TRUE(launcher.press_button(kLaunchButton, Launcher::Route::mouse));
    EXPECT_EQ(launcher.wait_exit(), 0u);
    EXPECT_TRUE(wait_descendants_gone(launcher.process_id(), kExitTimeoutMs));
    const std::optional<std::string> report = read_file(session.folder.report_path());
    ASSERT_TRUE(report.has_value()) << "the game ended, or never started, without writing its report";
    std::size_t line_end = report->find("\r\n");
    ASSERT_NE(line_end, std::string::npos) << printable(*report);
    EXPECT_TRUE(same_folder(report->substr(0, line_end), session.folder.path()))
        << "the game ran in " << report->substr(0, line_end) << ", not in " << session.folder.path();
    EXPECT_EQ(report->substr(line_end + 2), kBase) << "what the game read";
    EXPECT_EQ(session.folder.options(), kBase);
}

// Asks the stand-in game that the launcher starts to record its process id and command line and to
// stay up, as the game does, until it is told to end. Whatever the test's outcome, the game is
// ended here.
class StayingGame {
  public:
    StayingGame() : record_path_(folder_ / "stay.txt") {
        SetEnvironmentVariableA("ZINDROP_STAY", record_path_.c_str());
    }
    StayingGame(const StayingGame&) = delete;
    StayingGame& operator=(const StayingGame&) = delete;
    ~StayingGame() {
        SetEnvironmentVariableA("ZINDROP_STAY", nullptr);
        end();
    }

    // The game's process id and command line, once it has written them.
    std::optional<std::vector<std::string>> record() const {
        std::optional<std::string> bytes = read_file(record_path_);
        return bytes ? split_crlf_lines(*bytes) : std::nullopt;
    }
    // The game's process, opened on the first call; null when it never started.
    HANDLE process() {
        if (process_) return process_;
        std::optional<std::vector<std::string>> lines = record();
        if (!lines || lines->empty()) return nullptr;
        process_id_ = static_cast<DWORD>(std::stoul(lines->front()));
        process_ = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, process_id_);
        return process_;
    }
    // Closes the game's window as a player would; true when the game then ended.
    bool end() {
        if (!process()) return true;
        const bool ended = wait_for(
            [&] {
                EnumWindows(
                    [](HWND window, LPARAM id) {
                        DWORD owner = 0;
                        GetWindowThreadProcessId(window, &owner);
                        if (owner == static_cast<DWORD>(id) && IsWindowVisible(window))
                            PostMessageA(window, WM_CLOSE, 0, 0);
                        return TRUE;
                    },
                    static_cast<LPARAM>(process_id_));
                return WaitForSingleObject(process_, 500) == WAIT_OBJECT_0;
            },
            kExitTimeoutMs);
        if (!ended) TerminateProcess(process_, 1);
        CloseHandle(process_);
        process_ = nullptr;
        return ended;
    }

  private:
    TempFolder folder_;
    std::string record_path_;
    HANDLE process_ = nullptr;
    DWORD process_id_ = 0;
};

// The launcher starts the game without parameters and ends without waiting for it; the game runs on.
TEST(LauncherLaunch, TheGameGetsNoParametersAndRunsOnAfterTheLauncherEnds) {
    StayingGame game;
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());

    EXPECT_TRUE(launcher.press_button(kLaunchButton));
    EXPECT_EQ(launcher.wait_exit(), 0u) << "the launcher did not end while the game ran";
    std::optional<std::vector<std::string>> record;
    ASSERT_TRUE(wait_for([&] { return (record = game.record()).has_value(); })) << "the game never started";
    ASSERT_EQ(record->size(), 2u);
    EXPECT_EQ((*record)[1], "\"Zindrop Alpha.exe\"") << "the game's command line";
    ASSERT_NE(game.process(), nullptr);
    EXPECT_EQ(WaitForSingleObject(game.process(), 0), static_cast<DWORD>(WAIT_TIMEOUT))
        << "the game did not outlive the launcher";
    EXPECT_TRUE(game.end()) << "the game did not end when its window was closed";
    EXPECT_EQ(session.folder.options(), kBase);
}

TEST(LauncherLaunch, WithTheGameMissingTheLauncherStillEndsWithZero) {
    Session session({.game = false, .options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    // The shell may explain in a message box of its own that it found no such program.
    launcher.start_dialog_watchdog();
    ASSERT_TRUE(launcher.to_foreground());
    EXPECT_TRUE(launcher.press_button(kLaunchButton));
    EXPECT_EQ(launcher.wait_exit(), 0u);
    for (const ForeignWindow& shown : launcher.foreign_windows())
        std::printf("the shell showed \"%s\" (%s)\n", shown.title.c_str(), shown.class_name.c_str());
    EXPECT_FALSE(file_exists(session.folder.report_path()));
    EXPECT_EQ(session.folder.options(), kBase);
}

// Press and release sent in one input batch, by mouse and by Space: every press takes effect.
constexpr int kPressesAtOnce = 10;
const Launcher::Route kRoutes[] = {Launcher::Route::mouse, Launcher::Route::keyboard};

const char* route_name(Launcher::Route route) {
    return route == Launcher::Route::mouse ? "click" : "Space";
}

TEST(LauncherPressAtOnce, SpeichernSavesEachTime) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    for (Launcher::Route route : kRoutes) {
        for (int press = 0; press < kPressesAtOnce; ++press) {
            // A new name before each press, so that each save shows in the file.
            const std::string name = std::string("Anna") + route_name(route) + static_cast<char>('a' + press);
            ASSERT_TRUE(launcher.focus_by_click(kPlayer1Field));
            ASSERT_TRUE(launcher.clear_focused_field());
            ASSERT_TRUE(launcher.type(name));
            ASSERT_TRUE(launcher.wait_text(kPlayer1Field, name));
            const std::string expected = options_file_bytes({.player1_name = name});
            const std::optional<std::string> before = session.folder.options();
            ASSERT_TRUE(launcher.press_button_at_once(kSaveButton, route));
            EXPECT_TRUE(launcher.wait_saved(session.folder, before, expected))
                << route_name(route) << " " << press << " on \"Speichern\"";
        }
    }
    EXPECT_EQ(launcher.cancel(), 0u);
}

TEST(LauncherPressAtOnce, NativeAuflosungSelectsTheDesktopEachTime) {
    Session session({.options = kBase});
    ASSERT_TRUE(session.ready());
    Launcher& launcher = *session.launcher;
    ASSERT_TRUE(launcher.to_foreground());
    for (Launcher::Route route : kRoutes) {
        for (int press = 0; press < kPressesAtOnce; ++press) {
            ASSERT_TRUE(launcher.choose_with_keyboard(0));
            ASSERT_TRUE(launcher.press_button_at_once(kNativeButton, route));
            EXPECT_TRUE(launcher.wait_selection(kCurrentResolutionItem))
                << route_name(route) << " " << press << " on \"Native Aufl\xF6sung\" did nothing";
        }
    }
    EXPECT_EQ(launcher.list_items().back(), desktop_text());
    EXPECT_EQ(launcher.cancel(), 0u);
}

TEST(LauncherPressAtOnce, AbbrechenEndsEachTime) {
    for (Launcher::Route route : kRoutes) {
        for (int press = 0; press < kPressesAtOnce / 2; ++press) {
            Session session({.options = kBase});
            ASSERT_TRUE(session.ready());
            ASSERT_TRUE(session.launcher->press_button_at_once(kCancelButton, route));
            EXPECT_EQ(session.launcher->wait_exit(), 0u) << route_name(route) << " " << press << " on \"Abbrechen\"";
            EXPECT_EQ(session.folder.options(), kBase);
        }
    }
}

TEST(LauncherPressAtOnce, ZumZindropLauncherStartsTheGameEachTime) {
    for (Launcher::Route route : kRoutes) {
        for (int press = 0; press < kPressesAtOnce / 2; ++press) {
            Session session({.options = kBase});
            ASSERT_TRUE(session.ready());
            ASSERT_TRUE(session.launcher->press_button_at_once(kLaunchButton, route));
            EXPECT_EQ(session.launcher->wait_exit(), 0u)
                << route_name(route) << " " << press << " on \"Zum Zindrop Launcher\"";
            EXPECT_TRUE(wait_for([&] { return file_exists(session.folder.report_path()); }))
                << route_name(route) << " " << press << " started no game";
            EXPECT_TRUE(wait_descendants_gone(session.launcher->process_id(), kExitTimeoutMs));
        }
    }
}

// A hand-made file: what the window shows after loading it, and what the next save writes.
struct LoadCase {
    const char* name;
    std::string file;
    std::string player1, player2;
    std::string resolution;  // item 17
    int music, sound;
    std::string saved;
};

TEST(LauncherLoad, HandMadeFilesLoadAndSaveAsNineLines) {
    // The files vary in lines 3, 8 and 9 and in their line ends.
    auto lines = [](const char* aux1, const char* music, const char* sound, const char* end = "\r\n") {
        return options_file_bytes(
            {.aux1 = aux1, .screen_width = "800", .screen_height = "600", .music_volume = music, .sound_volume = sound},
            end);
    };
    const std::string saved = lines("1", "40", "50");
    const std::vector<LoadCase> cases = {
        {"more than nine lines", saved + "extra\r\nlines\r\n", "Anna", "Bob", "800*600", 40, 50, saved},
        {"LF line ends", lines("1", "40", "50", "\n"), "Anna", "Bob", "800*600", 40, 50, saved},
        {"CR line ends", lines("1", "40", "50", "\r"), "Anna", "Bob", "800*600", 40, 50, saved},
        {"-5 on lines 3 and 8", lines("-5", "-5", "50"), "Anna", "Bob", "800*600", 0, 50, lines("-5", "0", "50")},
        {"250 on line 8", lines("1", "250", "50"), "Anna", "Bob", "800*600", 100, 50, lines("1", "100", "50")},
        {"volumes beyond 32 bits", lines("1", "99999999999", "-99999999999"), "Anna", "Bob", "800*600", 100, 0,
         lines("1", "100", "0")},
        {"only two lines", "Anna\r\nBob\r\n", "Anna", "Bob", "0*0", 0, 0,
         options_file_bytes(
             {.aux1 = "0", .screen_width = "0", .screen_height = "0", .music_volume = "0", .sound_volume = "0"})},
    };
    for (const LoadCase& c : cases) {
        SCOPED_TRACE(c.name);
        Session session({.options = c.file});
        ASSERT_TRUE(session.ready());
        Launcher& launcher = *session.launcher;
        EXPECT_EQ(launcher.text(kPlayer1Field), c.player1);
        EXPECT_EQ(launcher.text(kPlayer2Field), c.player2);
        std::vector<std::string> items = launcher.list_items();
        ASSERT_EQ(items.size(), 18u);
        EXPECT_EQ(items.back(), c.resolution);
        EXPECT_EQ(launcher.list_selection(), kCurrentResolutionItem);
        EXPECT_EQ(launcher.slider_position(kMusicSlider), c.music);
        EXPECT_EQ(launcher.slider_position(kSoundSlider), c.sound);
        ASSERT_TRUE(launcher.to_foreground());
        EXPECT_EQ(save_and_cancel(launcher, session.folder, c.saved), 0u);
    }
}

}  // namespace
}  // namespace launcher_e2e
