#pragma once
// The thin layer between the toolkit and the operating system for files and the private heap.
// One implementation per platform fills the table; the code above it is written once. Tests may
// overwrite entries of os_seam() to count or fail calls, and put os_seam_platform() back afterwards.

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
};

enum class OsSeekFrom { begin, current };

struct OsSeam {
    // Files. A failed open gives 0; reads and writes give the bytes moved (0 on failure). A write
    // moves fewer bytes than asked only when it fails, with the reason left for last_error.
    OsFile (*file_open)(const char* name, OsOpen mode);
    std::int32_t (*file_read)(OsFile file, void* destination, std::int32_t count);
    std::int32_t (*file_write)(OsFile file, const void* source, std::int32_t count);
    // Moves the file pointer; gives the new position, or -1 on failure.
    std::int64_t (*file_seek)(OsFile file, std::int64_t distance, OsSeekFrom from);
    // Ends the file at its file pointer; false on failure.
    bool (*file_truncate)(OsFile file);
    void (*file_close)(OsFile file);

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
};

// The table in force.
OsSeam& os_seam();
// The platform's own functions.
const OsSeam& os_seam_platform();
