#include "toolkit/ui/text_boundary.h"

#include <windows.h>

#include <climits>

namespace {

constexpr UINT kWindows1252 = 1252;

// Longer texts are cut, as no window holds them anyway.
int length_of(std::size_t size) {
    return size > static_cast<std::size_t>(INT_MAX) ? INT_MAX : static_cast<int>(size);
}

// Converts without a default character of our own: *dropped tells whether the platform had to put
// its default character anywhere. Flags 0 allow the best-fit mapping (WC_NO_BEST_FIT_CHARS not set).
std::string narrow(std::wstring_view text, bool* dropped) {
    BOOL used_default = FALSE;
    const int length = length_of(text.size());
    const int size = WideCharToMultiByte(kWindows1252, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return {};
    std::string bytes(static_cast<std::size_t>(size), '\0');
    WideCharToMultiByte(kWindows1252, 0, text.data(), length, bytes.data(), size, nullptr, &used_default);
    *dropped = used_default != FALSE;
    return bytes;
}

// A surrogate pair is one character: it goes to the platform as one.
std::size_t character_length(std::wstring_view text, std::size_t at) {
    const bool pair = at + 1 < text.size() && IS_HIGH_SURROGATE(text[at]) && IS_LOW_SURROGATE(text[at + 1]);
    return pair ? 2 : 1;
}

}  // namespace

std::wstring text_to_wide(std::string_view text) {
    try {
        const int length = length_of(text.size());
        const int size = MultiByteToWideChar(kWindows1252, 0, text.data(), length, nullptr, 0);
        if (size <= 0) return {};
        std::wstring wide(static_cast<std::size_t>(size), L'\0');
        MultiByteToWideChar(kWindows1252, 0, text.data(), length, wide.data(), size);
        return wide;
    } catch (...) {
        return {};
    }
}

std::string text_from_wide(std::wstring_view text) {
    try {
        bool dropped = false;
        std::string whole = narrow(text, &dropped);
        if (!dropped) return whole;
        // The platform's default character is "?", which is also a character of its own: only one
        // character at a time tells which to drop.
        std::string bytes;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t length = character_length(text, at);
            bool lost = false;
            std::string character = narrow(text.substr(at, length), &lost);
            if (!lost) bytes += character;
            at += length;
        }
        return bytes;
    } catch (...) {
        return {};
    }
}
