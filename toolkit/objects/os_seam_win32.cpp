#include "toolkit/objects/os_seam.h"

#include <windows.h>

namespace {

HANDLE to_handle(OsFile file) {
    return reinterpret_cast<HANDLE>(file);
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
    }
    // A reader lets other programs go on reading and writing: a game, a virus scanner or a sync
    // client often holds the file open for writing while sharing it.
    DWORD share = mode == OsOpen::read_existing ? FILE_SHARE_READ | FILE_SHARE_WRITE : FILE_SHARE_READ;
    HANDLE handle = CreateFileA(name ? name : "", access, share, nullptr, creation, attributes, nullptr);
    if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return 0;
    return reinterpret_cast<OsFile>(handle);
}

std::int32_t win32_file_read(OsFile file, void* destination, std::int32_t count) {
    DWORD done = 0;
    if (count <= 0) return 0;
    if (!ReadFile(to_handle(file), destination, static_cast<DWORD>(count), &done, nullptr)) return 0;
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

void win32_file_close(OsFile file) {
    CloseHandle(to_handle(file));
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

constexpr OsSeam kPlatform = {
    win32_file_open,    win32_file_read,   win32_file_write,          win32_file_seek,    win32_file_truncate,
    win32_file_close,   win32_heap_create, win32_heap_alloc,          win32_heap_realloc, win32_heap_free,
    win32_heap_destroy, win32_last_error,  win32_error_means_missing,
};

OsSeam g_seam = kPlatform;

}  // namespace

OsSeam& os_seam() {
    return g_seam;
}
const OsSeam& os_seam_platform() {
    return kPlatform;
}
