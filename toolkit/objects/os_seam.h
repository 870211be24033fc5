#pragma once
// The thin layer between the toolkit and the operating system for files and the private heap.
// One implementation per platform fills the table; the code above it is written once. Tests may
// overwrite entries of os_seam() to count or fail calls, and put os_seam_platform() back afterwards.
// File names are Windows-1252 bytes, as every text of the toolkit.

#include <cstddef>
#include <cstdint>

// An open file of the platform; 0 is never a valid file.
using OsFile = std::intptr_t;
// A heap of the platform; null is never a valid heap.
using OsHeap = void*;

enum class OsOpen {
    read_existing,      // read access, the file must exist
    read_write_always,  // read and write access, created when missing
    read_write_create,  // read and write access, created or emptied
    write_truncate,     // write access, the existing file is emptied
    write_existing,     // write access, the file must exist and keeps its bytes; shares writing
};

enum class OsSeekFrom { begin, current };

struct OsSeam {
    // Files. A failed open gives 0. A read gives the bytes read, 0 at the end of the file and -1
    // when it fails. A write gives the bytes written, fewer than asked only when it fails. The
    // reason for a failure is left for last_error.
    OsFile (*file_open)(const char* name, OsOpen mode);
    std::int32_t (*file_read)(OsFile file, void* destination, std::int32_t count);
    std::int32_t (*file_write)(OsFile file, const void* source, std::int32_t count);
    // Moves the file pointer; gives the new position, or -1 on failure.
    std::int64_t (*file_seek)(OsFile file, std::int64_t distance, OsSeekFrom from);
    // Ends the file at its file pointer; false on failure.
    bool (*file_truncate)(OsFile file);
    // Has the system put what was written to the file on the disk; false on failure.
    bool (*file_sync)(OsFile file);
    // False when the platform reports a failure, which may mean that written bytes were lost.
    bool (*file_close)(OsFile file);
    // Puts the closed file from in the place of the file to, in one step and on the disk (on
    // Windows an existing to keeps its attributes, security and creation time). False on failure,
    // and both files are then as they were.
    bool (*file_replace)(const char* from, const char* to);
    // False when the file could not be removed.
    bool (*file_remove)(const char* name);

    // The private heap. Blocks come zero-filled; a grown block's new bytes are unspecified.
    OsHeap (*heap_create)();
    void* (*heap_alloc)(OsHeap heap, std::size_t size);
    void* (*heap_realloc)(OsHeap heap, void* block, std::size_t size);
    void (*heap_free)(OsHeap heap, void* block);
    // Frees the heap with every block still allocated from it.
    void (*heap_destroy)(OsHeap heap);

    // The platform's code for why the last failed call of this thread failed (GetLastError on
    // Windows, errno elsewhere), and whether a code says that a file, or a folder on its path, is
    // not there.
    std::uint32_t (*last_error)();
    bool (*error_means_missing)(std::uint32_t code);
    // Whether a code says that the platform refused a new file in the folder or a file's place
    // to another (held open by a program that does not share its deletion, no right to make or
    // remove files there), where the file itself may still be written.
    bool (*error_means_refused)(std::uint32_t code);
};

// The table in force.
OsSeam& os_seam();
// The platform's own functions.
const OsSeam& os_seam_platform();
