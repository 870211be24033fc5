#include "toolkit/objects/os_seam.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

namespace {

// Descriptor 0 is a valid descriptor but 0 means "no file" above the seam: keep them one apart.
OsFile from_descriptor(int descriptor) {
    return static_cast<OsFile>(descriptor) + 1;
}
int to_descriptor(OsFile file) {
    return static_cast<int>(file - 1);
}

// The toolkit's callers name files the Windows way ("Data\Optionen.txt").
std::string posix_path(const char* name) {
    std::string path = name ? name : "";
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

OsFile posix_file_open(const char* name, OsOpen mode) {
    const std::string path = posix_path(name);
    int flags = O_RDWR | O_CREAT;
    switch (mode) {
        case OsOpen::read_existing:
            flags = O_RDONLY;
            break;
        case OsOpen::read_write_always:
            break;
        case OsOpen::read_write_create:
            flags = O_RDWR | O_CREAT | O_TRUNC;
            break;
        case OsOpen::write_truncate:
            flags = O_WRONLY | O_TRUNC;
            break;
        case OsOpen::write_existing:
            flags = O_WRONLY;
            break;
    }
    int descriptor = open(path.c_str(), flags | O_CLOEXEC, 0666);
    if (descriptor < 0) return 0;
    struct stat info;
    // Windows refuses to open a directory as a file; so does this seam.
    if (fstat(descriptor, &info) != 0 || S_ISDIR(info.st_mode)) {
        close(descriptor);
        errno = EISDIR;
        return 0;
    }
    return from_descriptor(descriptor);
}

std::int32_t posix_file_read(OsFile file, void* destination, std::int32_t count) {
    if (count <= 0) return 0;
    ssize_t done;
    do {
        done = read(to_descriptor(file), destination, static_cast<std::size_t>(count));
    } while (done < 0 && errno == EINTR);
    return done < 0 ? -1 : static_cast<std::int32_t>(done);
}

// write() may stop short of a full disk and give the reason only when asked again: it is asked
// again until everything has gone or it fails.
std::int32_t posix_file_write(OsFile file, const void* source, std::int32_t count) {
    const auto* next = static_cast<const char*>(source);
    std::int32_t written = 0;
    while (written < count) {
        ssize_t done = write(to_descriptor(file), next + written, static_cast<std::size_t>(count - written));
        if (done < 0 && errno == EINTR) continue;
        if (done == 0) errno = ENOSPC;
        if (done <= 0) break;
        written += static_cast<std::int32_t>(done);
    }
    return written;
}

std::int64_t posix_file_seek(OsFile file, std::int64_t distance, OsSeekFrom from) {
    off_t position =
        lseek(to_descriptor(file), static_cast<off_t>(distance), from == OsSeekFrom::begin ? SEEK_SET : SEEK_CUR);
    return position < 0 ? -1 : static_cast<std::int64_t>(position);
}

bool posix_file_truncate(OsFile file) {
    off_t position = lseek(to_descriptor(file), 0, SEEK_CUR);
    return position >= 0 && ftruncate(to_descriptor(file), position) == 0;
}

bool posix_file_sync(OsFile file) {
    return fsync(to_descriptor(file)) == 0;
}

bool posix_file_close(OsFile file) {
    return close(to_descriptor(file)) == 0;
}

bool posix_file_replace(const char* from, const char* to) {
    const std::string new_path = posix_path(from);
    const std::string old_path = posix_path(to);
    if (rename(new_path.c_str(), old_path.c_str()) != 0) return false;
    // The new name reaches the disk with its folder. The file is in its place already, whether or
    // not the folder can be synced.
    const std::string::size_type slash = old_path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : old_path.substr(0, slash + 1);
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor >= 0) {
        fsync(descriptor);
        close(descriptor);
    }
    return true;
}

bool posix_file_remove(const char* name) {
    return unlink(posix_path(name).c_str()) == 0;
}

// malloc has no heaps of its own: each block carries a header that links it into its heap, so
// that destroying the heap frees what is still allocated, as a Win32 heap does.
struct alignas(std::max_align_t) BlockHeader {
    BlockHeader* next;
    BlockHeader* previous;
    std::size_t size;
};

struct PosixHeap {
    BlockHeader* first = nullptr;
};

BlockHeader* header_of(void* block) {
    return static_cast<BlockHeader*>(block) - 1;
}

void link_block(PosixHeap* heap, BlockHeader* header) {
    header->previous = nullptr;
    header->next = heap->first;
    if (heap->first) heap->first->previous = header;
    heap->first = header;
}

void unlink_block(PosixHeap* heap, BlockHeader* header) {
    if (header->previous)
        header->previous->next = header->next;
    else
        heap->first = header->next;
    if (header->next) header->next->previous = header->previous;
}

OsHeap posix_heap_create() {
    return new (std::nothrow) PosixHeap;
}

void* posix_heap_alloc(OsHeap heap, std::size_t size) {
    if (size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
    // malloc and a clear rather than calloc: glibc's calloc bypasses its per-thread cache, which
    // makes small blocks several times dearer.
    auto* header = static_cast<BlockHeader*>(std::malloc(sizeof(BlockHeader) + size));
    if (!header) return nullptr;
    std::memset(header + 1, 0, size);
    header->size = size;
    link_block(static_cast<PosixHeap*>(heap), header);
    return header + 1;
}

void* posix_heap_realloc(OsHeap heap, void* block, std::size_t size) {
    if (!block) return posix_heap_alloc(heap, size);
    if (size > SIZE_MAX - sizeof(BlockHeader)) return nullptr;
    auto* owner = static_cast<PosixHeap*>(heap);
    BlockHeader* header = header_of(block);
    unlink_block(owner, header);
    auto* moved = static_cast<BlockHeader*>(std::realloc(header, sizeof(BlockHeader) + size));
    if (!moved) {
        link_block(owner, header);
        return nullptr;
    }
    moved->size = size;
    link_block(owner, moved);
    return moved + 1;
}

void posix_heap_free(OsHeap heap, void* block) {
    if (!block) return;
    BlockHeader* header = header_of(block);
    unlink_block(static_cast<PosixHeap*>(heap), header);
    std::free(header);
}

void posix_heap_destroy(OsHeap heap) {
    auto* owner = static_cast<PosixHeap*>(heap);
    while (owner->first) {
        BlockHeader* next = owner->first->next;
        std::free(owner->first);
        owner->first = next;
    }
    delete owner;
}

std::uint32_t posix_last_error() {
    return static_cast<std::uint32_t>(errno);
}

bool posix_error_means_missing(std::uint32_t code) {
    return code == ENOENT || code == ENOTDIR;
}

bool posix_error_means_refused(std::uint32_t code) {
    return code == EACCES || code == EPERM || code == EBUSY;
}

constexpr OsSeam kPlatform = {
    posix_file_open,           posix_file_read,           posix_file_write,   posix_file_seek,    posix_file_truncate,
    posix_file_sync,           posix_file_close,          posix_file_replace, posix_file_remove,  posix_heap_create,
    posix_heap_alloc,          posix_heap_realloc,        posix_heap_free,    posix_heap_destroy, posix_last_error,
    posix_error_means_missing, posix_error_means_refused,
};

OsSeam g_seam = kPlatform;

}  // namespace

OsSeam& os_seam() {
    return g_seam;
}
const OsSeam& os_seam_platform() {
    return kPlatform;
}
