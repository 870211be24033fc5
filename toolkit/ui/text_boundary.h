#pragma once
// The one place where the toolkit's texts, bytes of Windows-1252 like the options file, meet the
// platform's UTF-16. Every text handed to or read from a window goes through these, whatever
// code page the system runs under. Neither ever gives a text it could not make: when a conversion
// or its memory fails the result is nothing, and the thread's last error (GetLastError) says why.

#include <optional>
#include <string>
#include <string_view>

// Windows-1252 bytes as UTF-16; every byte has a character.
std::optional<std::wstring> text_to_wide(std::string_view text);
// UTF-16 as Windows-1252 bytes. Characters are composed first, so that a letter followed by a
// combining accent is the accented letter; then a character that 1252 lacks becomes its closest
// 1252 character where the platform's best-fit mapping has one, and is dropped otherwise (never
// "?"), as is a combining mark left over and a surrogate without its other half.
std::optional<std::string> text_from_wide(std::wstring_view text);
// Whether the unit is a combining mark, which belongs to the character before it.
bool text_combining_mark(wchar_t unit);
