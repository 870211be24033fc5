#include "toolkit/ui/text_boundary.h"

#include <windows.h>

#include <climits>

#include "toolkit/objects/platform_function.h"

namespace {

constexpr UINT kWindows1252 = 1252;
// Tries at sizing the composed text: the platform's size is an estimate, which it corrects.
constexpr int kComposeTries = 4;

using NormalizeStringFunction = int(WINAPI*)(NORM_FORM form, LPCWSTR source, int source_length, LPWSTR result,
                                             int result_length);

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

// A surrogate without its other half is no character, and the composition refuses the text.
std::wstring whole_characters(std::wstring_view text) {
    std::wstring whole;
    whole.reserve(text.size());
    for (std::size_t at = 0; at < text.size(); ++at) {
        if (surrogate_pair_at(text, at))
            whole.append(text.substr(at++, 2));
        else if (!IS_HIGH_SURROGATE(text[at]) && !IS_LOW_SURROGATE(text[at]))
            whole += text[at];
    }
    return whole;
}

// Canonical composition (NFC) where the system has it; older systems lack NormalizeString, and
// their text stays as it came. Nothing only when memory fails.
std::optional<std::wstring> composed(std::wstring text) {
    static const auto normalize = platform_function<NormalizeStringFunction>("kernel32.dll", "NormalizeString");
    int length = 0;
    if (!normalize || text.empty() || !platform_length(text.size(), &length)) return text;
    int size = normalize(NormalizationC, text.data(), length, nullptr, 0);
    for (int tries = 0; tries < kComposeTries && size > 0; ++tries) {
        std::wstring result(static_cast<std::size_t>(size), L'\0');
        const int written = normalize(NormalizationC, text.data(), length, result.data(), size);
        if (written > 0) {
            result.resize(static_cast<std::size_t>(written));
            return result;
        }
        if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) break;
        size = -written;
    }
    if (GetLastError() == ERROR_NOT_ENOUGH_MEMORY) return std::nullopt;
    return text;
}

}  // namespace

bool text_combining_mark(wchar_t unit) {
    // The blocks of combining marks: diacritical marks, their extension and supplement, those for
    // symbols, and the half marks.
    return (unit >= 0x0300 && unit <= 0x036F) || (unit >= 0x1AB0 && unit <= 0x1AFF) ||
           (unit >= 0x1DC0 && unit <= 0x1DFF) || (unit >= 0x20D0 && unit <= 0x20FF) ||
           (unit >= 0xFE20 && unit <= 0xFE2F);
}

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
        std::optional<std::wstring> characters = composed(whole_characters(text));
        if (!characters) return std::nullopt;
        // What is left of them composed with nothing; best fit would make each a lone accent ("´").
        std::erase_if(*characters, text_combining_mark);
        bool dropped = false;
        std::optional<std::string> whole = narrow(*characters, &dropped);
        if (!whole || !dropped) return whole;
        // The platform's default character is "?", which is also a character of its own: only one
        // character at a time tells which to drop.
        const std::wstring_view rest = *characters;
        std::string bytes;
        for (std::size_t at = 0; at < rest.size();) {
            const std::size_t length = surrogate_pair_at(rest, at) ? 2 : 1;
            bool lost = false;
            std::optional<std::string> character = narrow(rest.substr(at, length), &lost);
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
