#include "toolkit/ui/message_box.h"

#include <windows.h>

#include <vector>

#include "toolkit/ui/window.h"

void message_box_show(std::int32_t window, const std::wstring& title, const std::wstring& text) {
    MessageBoxW(window_handle(window), text.c_str(), title.c_str(), MB_OK | MB_ICONERROR);
}

std::wstring message_box_path(const char* name) {
    // The file channels hand names to CreateFileA, which reads them in the system's ANSI code page.
    const char* bytes = name ? name : "";
    int length = MultiByteToWideChar(CP_ACP, 0, bytes, -1, nullptr, 0);
    if (length <= 0) return {};
    std::vector<wchar_t> wide(static_cast<std::size_t>(length));
    MultiByteToWideChar(CP_ACP, 0, bytes, -1, wide.data(), length);
    DWORD size = GetFullPathNameW(wide.data(), 0, nullptr, nullptr);
    std::vector<wchar_t> full(size + 1);
    DWORD got = size ? GetFullPathNameW(wide.data(), static_cast<DWORD>(full.size()), full.data(), nullptr) : 0;
    if (got == 0 || got >= full.size()) return wide.data();
    return std::wstring(full.data(), got);
}

std::wstring message_box_reason(std::uint32_t code) {
    if (code == 0) return {};
    wchar_t* text = nullptr;
    // Language 0: the user's language, else the system's.
    DWORD length =
        FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::wstring reason = length && text ? std::wstring(text, length) : std::wstring();
    if (text) LocalFree(text);
    while (!reason.empty() && (reason.back() == L'\n' || reason.back() == L'\r' || reason.back() == L' '))
        reason.pop_back();
    return reason;
}
