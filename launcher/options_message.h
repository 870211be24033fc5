#pragma once
// Tells the player, in a message owned by the options window, that the options file could not be
// read or written: what went wrong, where, and the system's own reason.

#include <cstdint>

// headline and note are German sentences; note may be null. name is the file or folder that the
// message names with its full path; error is the platform's code for the reason.
void options_message_show(const wchar_t* headline, const char* name, std::uint32_t error, const wchar_t* note);
