#include "toolkit/ui/text_boundary.h"

#include <windows.h>

#include <climits>

namespace {

constexpr UINT kWindows1252 = 1252;

// The platform's calls count in int: a longer text is refused rather than cut.
bool platform_length(std::size_t size, int* length) {
    if (size > static_cast<std::size_t>(INT_MAX)) {
        SetLastError(ERROR_ARITHMETIC_OVERFLOW);
        return false;
    }
    *length = static_cast<int>(size);
    return true;
}

// Converts without a default character of our own: *dropped tells whether the platform had to put
// its default character anywhere. Flags 0 allow the best-fit mapping (WC_NO_BEST_FIT_CHARS not set).
std::optional<std::string> narrow(std::wstring_view text, bool* dropped) {
    *dropped = false;
    int length = 0;
    if (!platform_length(text.size(), &length)) return std::nullopt;
    if (length == 0) return std::string();
    const int size = WideCharToMultiByte(kWindows1252, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (size <= 0) return std::nullopt;
    std::string bytes(static_cast<std::size_t>(size), '\0');
    BOOL used_default = FALSE;
    if (WideCharToMultiByte(kWindows1252, 0, text.data(), length, bytes.data(), size, nullptr, &used_default) != size)
        return std::nullopt;
    *dropped = used_default != FALSE;
    return bytes;
}

bool surrogate_pair_at(std::wstring_view text, std::size_t at) {
    return at + 1 < text.size() && IS_HIGH_SURROGATE(text[at]) && IS_LOW_SURROGATE(text[at + 1]);
}

}  // namespace

std::optional<std::wstring> text_to_wide(std::string_view text) {
    try {
        int length = 0;
        if (!platform_length(text.size(), &length)) return std::nullopt;
        if (length == 0) return std::wstring();
        const int size = MultiByteToWideChar(kWindows1252, 0, text.data(), length, nullptr, 0);
        if (size <= 0) return std::nullopt;
        std::wstring wide(static_cast<std::size_t>(size), L'\0');
        if (MultiByteToWideChar(kWindows1252, 0, text.data(), length, wide.data(), size) != size) return std::nullopt;
        return wide;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return std::nullopt;
    }
}

std::optional<std::string> text_from_wide(std::wstring_view text) {
    try {
        bool dropped = false;
        std::optional<std::string> whole = narrow(text, &dropped);
        if (!whole || !dropped) return whole;
        // The platform's default character is "?", which is also a character of its own: only one
        // character at a time tells which to drop.
        std::string bytes;
        for (std::size_t at = 0; at < text.size();) {
            const std::size_t length = surrogate_pair_at(text, at) ? 2 : 1;
            bool lost = false;
            std::optional<std::string> character = narrow(text.substr(at, length), &lost);
            if (!character) return std::nullopt;
            if (!lost) bytes += *character;
            at += length;
        }
        return bytes;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return std::nullopt;
    }
}
