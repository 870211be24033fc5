#pragma once
// A message that the user must read and acknowledge, and the texts it names: a file's full path
// and the system's own reason for a failure. Wide text, so that any path shows as it is.

#include <cstdint>
#include <string>

// Shows the message with an OK button, owned by the toolkit window of that number (which stays
// disabled meanwhile; no owner when the number names no window), and returns once it is closed.
void message_box_show(std::int32_t window, const std::wstring& title, const std::wstring& text);
// The full path of a file name as the file channels open it, relative names against the working
// directory; the name itself when the system cannot tell.
std::wstring message_box_path(const char* name);
// The system's description of an error code, in the system's language, without the line end; empty
// for 0 and for a code that the system cannot describe.
std::wstring message_box_reason(std::uint32_t code);
