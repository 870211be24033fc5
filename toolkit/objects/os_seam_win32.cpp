#include "toolkit/objects/os_seam.h"

#include <windows.h>

#include <climits>
#include <cstring>
#include <string>

namespace {

constexpr UINT kWindows1252 = 1252;

HANDLE to_handle(OsFile file) {
    return reinterpret_cast<HANDLE>(file);
}

// A file name as the wide calls take it: its bytes are Windows-1252 whatever the system's code
// page. Empty when it cannot be had, which no call takes for a file.
std::wstring wide_name(const char* name) {
    const std::size_t length = name ? std::strlen(name) : 0;
    if (length == 0 || length > INT_MAX) return {};
    try {
        std::wstring wide(length, L'\0');
        MultiByteToWideChar(kWindows1252, 0, name, static_cast<int>(length), wide.data(), static_cast<int>(length));
        return wide;
    } catch (...) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return {};
    }
}

OsFile win32_file_open(const char* name, OsOpen mode) {
    DWORD access = GENERIC_READ | GENERIC_WRITE;
    DWORD creation = OPEN_ALWAYS;
    DWORD attributes = FILE_ATTRIBUTE_NORMAL;
    switch (mode) {
        case OsOpen::read_existing:
            access = GENERIC_READ;
            creation = OPEN_EXISTING;
            break;
        case OsOpen::read_write_always:
            break;
        case OsOpen::read_write_create:
            creation = CREATE_ALWAYS;
            break;
        case OsOpen::write_truncate:
            access = GENERIC_WRITE;
            creation = TRUNCATE_EXISTING;
            attributes = 0;
            break;
        case OsOpen::write_existing:
            access = GENERIC_WRITE;
            creation = OPEN_EXISTING;
            break;
    }
    // A reader, and a writer that only changes a file in place, let other programs go on reading
    // and writing: a game, a virus scanner or a sync client often holds the file open for writing
    // while sharing it.
    const bool shares_writing = mode == OsOpen::read_existing || mode == OsOpen::write_existing;
    const DWORD share = shares_writing ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
    const std::wstring wide = wide_name(name);
    HANDLE handle = CreateFileW(wide.c_str(), access, share, nullptr, creation, attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return 0;
    return reinterpret_cast<OsFile>(handle);
}

std::int32_t win32_file_read(OsFile file, void* destination, std::int32_t count) {
    DWORD done = 0;
    if (count <= 0) return 0;
    if (!ReadFile(to_handle(file), destination, static_cast<DWORD>(count), &done, nullptr)) return -1;
    return static_cast<std::int32_t>(done);
}

std::int32_t win32_file_write(OsFile file, const void* source, std::int32_t count) {
    DWORD done = 0;
    if (count <= 0) return 0;
    if (!WriteFile(to_handle(file), source, static_cast<DWORD>(count), &done, nullptr)) return 0;
    // A synchronous write to a file moves everything or fails; should it ever stop short without
    // an error, the likely reason is the one a later write would give.
    if (done < static_cast<DWORD>(count)) SetLastError(ERROR_DISK_FULL);
    return static_cast<std::int32_t>(done);
}

std::int64_t win32_file_seek(OsFile file, std::int64_t distance, OsSeekFrom from) {
    LARGE_INTEGER move;
    LARGE_INTEGER position;
    move.QuadPart = distance;
    if (!SetFilePointerEx(to_handle(file), move, &position, from == OsSeekFrom::begin ? FILE_BEGIN : FILE_CURRENT))
        return -1;
    return position.QuadPart;
}

bool win32_file_truncate(OsFile file) {
    return SetEndOfFile(to_handle(file)) != 0;
}

bool win32_file_sync(OsFile file) {
    return FlushFileBuffers(to_handle(file)) != 0;
}

bool win32_file_close(OsFile file) {
    return CloseHandle(to_handle(file)) != 0;
}

bool win32_file_move(const std::wstring& from, const std::wstring& to) {
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool win32_file_replace(const char* from, const char* to) {
    const std::wstring old_name = wide_name(to);
    const std::wstring new_name = wide_name(from);
    // Ask first whether the old file may go: where another program holds it open without sharing
    // its deletion, Wine's ReplaceFileW leaves a file of its own behind in the folder, and it
    // moves a folder that stands in the file's place out of the way instead of refusing.
    HANDLE old_file = CreateFileW(old_name.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr);
    if (old_file == INVALID_HANDLE_VALUE)
        return GetLastError() == ERROR_FILE_NOT_FOUND && win32_file_move(new_name, old_name);
    CloseHandle(old_file);
    if (ReplaceFileW(old_name.c_str(), new_name.c_str(), nullptr,
                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr, nullptr))
        return true;
    const DWORD error = GetLastError();
    // The old file is gone or under another name already, the new one still under its own: it
    // is moved to its place, so that the name holds the new content rather than nothing.
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        return win32_file_move(new_name, old_name);
    return false;
}

bool win32_file_remove(const char* name) {
    return DeleteFileW(wide_name(name).c_str()) != 0;
}

OsHeap win32_heap_create() {
    return HeapCreate(0, 0, 0);
}

void* win32_heap_alloc(OsHeap heap, std::size_t size) {
    return HeapAlloc(heap, HEAP_ZERO_MEMORY, size ? size : 1);
}

void* win32_heap_realloc(OsHeap heap, void* block, std::size_t size) {
    if (!block) return win32_heap_alloc(heap, size);
    return HeapReAlloc(heap, 0, block, size ? size : 1);
}

void win32_heap_free(OsHeap heap, void* block) {
    if (block) HeapFree(heap, 0, block);
}

void win32_heap_destroy(OsHeap heap) {
    HeapDestroy(heap);
}

std::uint32_t win32_last_error() {
    return GetLastError();
}

bool win32_error_means_missing(std::uint32_t code) {
    return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND;
}

bool win32_error_means_refused(std::uint32_t code) {
    return code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION || code == ERROR_LOCK_VIOLATION ||
           code == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

constexpr OsSeam kPlatform = {
    win32_file_open,           win32_file_read,           win32_file_write,   win32_file_seek,    win32_file_truncate,
    win32_file_sync,           win32_file_close,          win32_file_replace, win32_file_remove,  win32_heap_create,
    win32_heap_alloc,          win32_heap_realloc,        win32_heap_free,    win32_heap_destroy, win32_last_error,
    win32_error_means_missing, win32_error_means_refused,
};

OsSeam g_seam = kPlatform;

}  // namespace

OsSeam& os_seam() {
    return g_seam;
}
const OsSeam& os_seam_platform() {
    return kPlatform;
}
