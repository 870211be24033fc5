// window_snapshot <title> <file.png> [<button text> [<presses>]]
// Waits for a shown top-level window with that title, saves what the screen shows of it as a PNG,
// then, when a button text is given, clicks that button with the mouse as a user would and waits
// for the window to go; when it stays, clicks again, up to <presses> clicks in all (3 if not given).
// Exit code 0 when the window went, 5 when it is still there after the last click.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::uint32_t crc32(const unsigned char* data, std::size_t size, std::uint32_t crc = 0) {
    crc = ~crc;
    for (std::size_t i = 0; i < size; ++i) {
        crc ^= data[i];
        for (int bit = 0; bit < 8; ++bit) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void put32(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out += static_cast<char>((value >> shift) & 0xFF);
}

void put_chunk(std::string& out, const char* type, const std::string& data) {
    put32(out, static_cast<std::uint32_t>(data.size()));
    std::string body = std::string(type, 4) + data;
    out += body;
    put32(out, crc32(reinterpret_cast<const unsigned char*>(body.data()), body.size()));
}

// An uncompressed PNG: zlib "stored" blocks need no compressor and every viewer reads them.
std::string encode_png(int width, int height, const std::vector<std::uint32_t>& bgra) {
    std::string raw;
    for (int y = 0; y < height; ++y) {
        raw += '\0';  // filter: none
        for (int x = 0; x < width; ++x) {
            std::uint32_t p = bgra[static_cast<std::size_t>(y) * width + x];
            raw += static_cast<char>((p >> 16) & 0xFF);
            raw += static_cast<char>((p >> 8) & 0xFF);
            raw += static_cast<char>(p & 0xFF);
        }
    }
    std::string zlib = "\x78\x01";
    for (std::size_t at = 0; at < raw.size() || at == 0; at += 65535) {
        std::size_t n = raw.size() - at < 65535 ? raw.size() - at : 65535;
        zlib += static_cast<char>(at + n >= raw.size() ? 1 : 0);
        zlib += static_cast<char>(n & 0xFF);
        zlib += static_cast<char>(n >> 8);
        zlib += static_cast<char>(~n & 0xFF);
        zlib += static_cast<char>((~n >> 8) & 0xFF);
        zlib.append(raw, at, n);
        if (raw.empty()) break;
    }
    std::uint32_t a = 1, b = 0;
    for (unsigned char c : raw) {
        a = (a + c) % 65521;
        b = (b + a) % 65521;
    }
    put32(zlib, (b << 16) | a);

    std::string ihdr;
    put32(ihdr, static_cast<std::uint32_t>(width));
    put32(ihdr, static_cast<std::uint32_t>(height));
    ihdr += std::string("\x08\x02\x00\x00\x00", 5);  // 8 bits, RGB, deflate, no filter, no interlace
    std::string png = "\x89PNG\r\n\x1a\n";
    put_chunk(png, "IHDR", ihdr);
    put_chunk(png, "IDAT", zlib);
    put_chunk(png, "IEND", "");
    return png;
}

bool capture(HWND window, const char* path) {
    RECT r;
    GetWindowRect(window, &r);
    int width = r.right - r.left;
    int height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top-down rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    std::vector<std::uint32_t> pixels(
        static_cast<const std::uint32_t*>(bits),
        static_cast<const std::uint32_t*>(bits) + static_cast<std::size_t>(width) * height);
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);

    std::string png = encode_png(width, height, pixels);
    FILE* out = std::fopen(path, "wb");
    if (!out) return false;
    bool ok = std::fwrite(png.data(), 1, png.size(), out) == png.size();
    return std::fclose(out) == 0 && ok;
}

void click(HWND button) {
    RECT r;
    GetWindowRect(button, &r);
    int x = (r.left + r.right) / 2;
    int y = (r.top + r.bottom) / 2;
    INPUT input[3] = {};
    for (INPUT& i : input) i.type = INPUT_MOUSE;
    input[0].mi.dx = x * 65535 / (GetSystemMetrics(SM_CXSCREEN) - 1);
    input[0].mi.dy = y * 65535 / (GetSystemMetrics(SM_CYSCREEN) - 1);
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    // Separate presses: a press and release in one batch can reach another process's button
    // before it has taken the capture, and the release is then lost.
    for (INPUT& one : input) {
        SendInput(1, &one, sizeof(INPUT));
        Sleep(50);
    }
}

// True when the window is gone (or hidden) within the time given.
bool window_gone(HWND window, int timeout_ms) {
    for (int waited = 0; waited < timeout_ms; waited += 100) {
        if (!IsWindow(window) || !IsWindowVisible(window)) return true;
        Sleep(100);
    }
    return !IsWindow(window) || !IsWindowVisible(window);
}

constexpr int kDefaultPresses = 3;
constexpr int kGoneTimeoutMs = 5000;

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: window_snapshot <title> <file.png> [<button text>]\n");
        return 64;
    }
    // The screen in device pixels, as a window that is aware of the display's scale lies on it;
    // otherwise the system would hand this program scaled coordinates at a raised scale.
    SetProcessDPIAware();
    HWND window = nullptr;
    for (int tries = 0; tries < 300 && !(window && IsWindowVisible(window)); ++tries) {
        Sleep(100);
        window = FindWindowA(nullptr, argv[1]);
    }
    if (!window) {
        std::fprintf(stderr, "no window titled \"%s\"\n", argv[1]);
        return 2;
    }
    SetForegroundWindow(window);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Sleep(1000);  // a tool, not a test: give the window a moment to finish painting
    if (!capture(window, argv[2])) {
        std::fprintf(stderr, "cannot write %s\n", argv[2]);
        return 3;
    }
    if (argc > 3) {
        HWND button = FindWindowExA(window, nullptr, "Button", argv[3]);
        if (!button) {
            std::fprintf(stderr, "no button \"%s\"\n", argv[3]);
            return 4;
        }
        int presses = argc > 4 ? std::atoi(argv[4]) : kDefaultPresses;
        for (int pressed = 1; pressed <= presses; ++pressed) {
            click(button);
            if (window_gone(window, kGoneTimeoutMs)) return 0;
            std::fprintf(stderr, "\"%s\" still open %d s after click %d on \"%s\"\n", argv[1], kGoneTimeoutMs / 1000,
                         pressed, argv[3]);
        }
        return 5;
    }
    return 0;
}
