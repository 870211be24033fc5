#pragma once
// Numbered text-file channels: open a file by name on a channel number of the caller's choice, read
// and write it line by line through one buffer per channel, cut it, close it. Bytes move unchanged.

#include <cstdint>
#include <string>

#include "toolkit/objects/object_table.h"

// Buffer size given to every channel that opens from now on; 0 opens channels unbuffered.
extern std::int32_t file_buffer_size;

// Start-up routine: makes the channel table (on the private heap, which must exist).
void file_channels_init();

// Openings give the OS file handle (never 0), or for ANY_NUMBER the new channel's number; 0 on
// failure. Opening a number in use closes the channel that held it first.
std::intptr_t file_open_read(std::int32_t channel, const char* name);
std::intptr_t file_open(std::int32_t channel, const char* name);
std::intptr_t file_create(std::int32_t channel, const char* name);
// Opens a channel for the whole new content of a file: it goes to a new file beside it, which
// file_close puts in the file's place, so that the file holds its old content or the new one,
// never a part. In a folder that lets files be changed but not made, the channel writes over the
// existing file from its start instead, and file_close cuts it behind the new content.
std::intptr_t file_replace(std::int32_t channel, const char* name);

// Bytes written or taken into the buffer; 0 when the number names no channel. Once bytes of a
// channel have failed to reach its file, its writes write nothing and give 0.
std::int64_t file_write_line(std::int32_t channel, const char* text);
std::int64_t file_write_text(std::int32_t channel, const char* text);

// The next line without its line end (CR LF, CR, LF or NUL); empty at end of file. Once a read of
// a channel has failed, its reads read nothing.
std::string file_read_line(std::int32_t channel);

// Cuts the file at the logical position; non-zero on success. Refused (0) once bytes of the channel
// have failed to reach its file.
std::int32_t file_truncate(std::int32_t channel);
// The logical position, -1 when the number names no channel.
std::int64_t file_position(std::int32_t channel);
// Moves to an offset from the start; the low 32 bits of the new position as the platform reports
// them (0xFFFFFFFF on failure), 0 when the number names no channel.
std::uint32_t file_seek(std::int32_t channel, std::int64_t position);

// Writes out what is buffered and closes; non-zero when every read and write of the channel
// succeeded, 0 when one failed or the number names no channel. A channel of file_replace puts its
// file on the disk and in the old file's place first, and where the platform refuses the place
// (the old file held open by a program that does not share its deletion) writes it over the old
// file instead; non-zero only when that was done. Its new file goes in any case; the old file is
// changed only by a write over it that succeeded, or failed part-way.
std::int32_t file_close(std::int32_t channel);
// End routine: closes every channel, writing out what is buffered.
void file_close_all();

// The platform's code for the last failure of an opening, read, write, cut, write-out or
// replacement (GetLastError's on Windows, errno's elsewhere), for a message that tells the user
// why; 0 before any failure.
std::uint32_t file_last_error();
// Whether such a code says that the file, or a folder on its path, is not there.
bool file_error_means_missing(std::uint32_t code);
