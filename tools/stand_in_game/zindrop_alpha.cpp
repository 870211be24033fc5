// A stand-in for the game, built as "Zindrop Alpha.exe": it reads "Data\Optionen.txt" from its
// working directory the way the game does and shows the nine settings. With the environment
// variable ZINDROP_REPORT naming a file, it writes its working directory and the bytes it read
// there instead, and ends at once; tests use that to see what the launcher handed over. With
// ZINDROP_STAY naming a file, it writes its process id and its command line there and stays up
// with its window, as the game does, until the window is closed or two minutes have passed; tests
// use that to see that the game runs on after the launcher and to end it themselves.
#include <windows.h>

#include <string>
#include <vector>

namespace {

const char* const kSettingNames[9] = {"Spieler 1", "Spieler 2", "aux1",  "aux2",  "Breite",
                                      "H\xF6he",   "aux3",      "Musik", "Sounds"};

std::string read_options_file() {
    std::string bytes;
    HANDLE file = CreateFileA("Data\\Optionen.txt", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    char chunk[4096];
    DWORD got = 0;
    while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
    CloseHandle(file);
    return bytes;
}

// Lines end at CR LF, CR or LF.
std::vector<std::string> split_lines(const std::string& bytes) {
    std::vector<std::string> lines(1);
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char c = bytes[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
            lines.emplace_back();
        } else {
            lines.back() += c;
        }
    }
    return lines;
}

// Written under another name first and then renamed, so that a reader never sees half of it.
bool write_whole_file(const std::string& path, const std::string& bytes) {
    const std::string partial = path + ".partial";
    HANDLE file =
        CreateFileA(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size() && MoveFileExA(partial.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
}

bool write_report(const char* path, const std::string& bytes) {
    char directory[MAX_PATH] = "";
    GetCurrentDirectoryA(MAX_PATH, directory);
    return write_whole_file(path, std::string(directory) + "\r\n" + bytes);
}

// A test that asked the game to stay may fail before it ends the game: the game ends by itself.
constexpr UINT kStayLimitMs = 120000;
constexpr UINT_PTR kStayTimer = 1;

bool write_stay_record(const char* path) {
    return write_whole_file(path, std::to_string(GetCurrentProcessId()) + "\r\n" + GetCommandLineA() + "\r\n");
}

LRESULT CALLBACK game_procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_TIMER && wParam == kStayTimer) {
        DestroyWindow(window);
        return 0;
    }
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

// With stay_record, the record is written once the window stands, so that closing it ends the game.
int show_settings(HINSTANCE instance, const std::string& bytes, const char* stay_record) {
    std::vector<std::string> lines = split_lines(bytes);
    std::string text = bytes.empty() ? "Data\\Optionen.txt fehlt.\r\n" : "";
    for (int i = 0; i < 9; ++i)
        text += std::string(kSettingNames[i]) + ": " + (i < static_cast<int>(lines.size()) ? lines[i] : "") + "\r\n";

    WNDCLASSA window_class = {};
    window_class.lpfnWndProc = game_procedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorA(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = "ZindropAlphaStandIn";
    RegisterClassA(&window_class);
    HWND window = CreateWindowExA(0, window_class.lpszClassName, "Zindrop Alpha", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                  CW_USEDEFAULT, CW_USEDEFAULT, 360, 260, nullptr, nullptr, instance, nullptr);
    if (!window) return 1;
    HWND label = CreateWindowExA(0, "Static", text.c_str(), WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12, 320, 200, window,
                                 nullptr, instance, nullptr);
    SendMessageA(label, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), TRUE);
    if (stay_record) {
        SetTimer(window, kStayTimer, kStayLimitMs, nullptr);
        if (!write_stay_record(stay_record)) return 1;
    }
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    std::string bytes = read_options_file();
    char report[MAX_PATH] = "";
    const bool reporting = GetEnvironmentVariableA("ZINDROP_REPORT", report, MAX_PATH) > 0;
    const bool reported = reporting && write_report(report, bytes);
    char stay[MAX_PATH] = "";
    if (GetEnvironmentVariableA("ZINDROP_STAY", stay, MAX_PATH) > 0) return show_settings(instance, bytes, stay);
    if (reporting) return reported ? 0 : 1;
    return show_settings(instance, bytes, nullptr);
}
