#include "toolkit/files/file_channels.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <new>

#if defined(__SSE2__) || defined(_M_X64) || (defined(_M_IX86_FP) && _M_IX86_FP >= 2)
#include <emmintrin.h>
#define LINE_RUN_SSE2 1
#else
#define LINE_RUN_SSE2 0
#endif

#include "toolkit/objects/heap.h"
#include "toolkit/objects/os_seam.h"

std::int32_t file_buffer_size = 4096;

namespace {

constexpr std::int32_t kChannelSlots = 16;
constexpr std::size_t kLineChunk = 4096;
// The seam moves at most this many bytes per call; longer texts go in pieces.
constexpr std::size_t kLargestPiece = 1 << 30;

// Appended to a file's name for the new file that is written beside it and then takes its place.
constexpr char kBesideSuffix[] = ".new";

constexpr std::int32_t kDirectionWrite = 0;
constexpr std::int32_t kDirectionRead = 1;

struct FileChannel {
    OsFile handle;
    unsigned char* buffer;  // null: the channel is unbuffered
    std::int32_t buffer_size;
    std::int32_t count;   // write: free bytes left; read: unread bytes left
    std::int32_t filled;  // read: bytes that the last refill delivered
    std::int32_t direction;
    // Where the OS file pointer stands: every read, write and seek of the channel moves it, so the
    // channel knows it without asking.
    std::int64_t os_position;
    // Bytes meant for the file did not reach it. What the file holds is no longer what the caller
    // wrote, so nothing more is written behind the gap and the file is not cut.
    bool lost_output;
    // A read failed: the lines read so far are not all of the file, so nothing more is read.
    bool lost_input;
    // A channel that writes a file's whole new content: the file's name, then the name of the new
    // file beside it, both on the private heap; null for every other channel.
    char* replaced;
    // The new content goes straight over the old file, because no new file could be made beside it.
    bool in_place;
};

ObjectTable* g_channels = nullptr;
std::uint32_t g_last_error = 0;

// Keeps the platform's reason for a failure before another call can replace it.
void failure_note() {
    g_last_error = os_seam().last_error();
}

FileChannel* channel_find(std::int32_t channel) {
    return object_table_find<FileChannel>(g_channels, channel);
}

// The bytes read; 0 at the end of the file, and from a failed read on.
std::int32_t os_read(FileChannel* channel, void* destination, std::int32_t count) {
    if (channel->lost_input) return 0;
    std::int32_t done = os_seam().file_read(channel->handle, destination, count);
    if (done < 0) {
        failure_note();
        channel->lost_input = true;
        return 0;
    }
    channel->os_position += done;
    return done;
}

std::int32_t os_write(FileChannel* channel, const void* source, std::int32_t count) {
    std::int32_t done = os_seam().file_write(channel->handle, source, count);
    channel->os_position += done;
    if (done < count) {
        failure_note();
        channel->lost_output = true;
    }
    return done;
}

// A refused seek leaves the OS file pointer where it was.
std::int64_t os_seek(FileChannel* channel, std::int64_t distance, OsSeekFrom from) {
    std::int64_t position = os_seam().file_seek(channel->handle, distance, from);
    if (position >= 0) channel->os_position = position;
    return position;
}

// Writes out the pending output of a channel in the write direction. The buffer is empty
// afterwards even when the write failed: those bytes are lost, and the channel says so.
std::int32_t file_flush(FileChannel* channel) {
    if (!channel->buffer || channel->direction != kDirectionWrite) return 0;
    std::int32_t pending = channel->buffer_size - channel->count;
    channel->count = channel->buffer_size;
    return pending > 0 ? os_write(channel, channel->buffer, pending) : 0;
}

// Leaves a buffered channel in the read direction with nothing read ahead.
void channel_drop_buffer(FileChannel* channel) {
    file_flush(channel);
    channel->direction = kDirectionRead;
    channel->count = 0;
    channel->filled = 0;
}

std::int32_t channel_write(FileChannel* channel, const unsigned char* source, std::int32_t length) {
    if (channel->lost_output) return 0;
    if (!channel->buffer) return os_write(channel, source, length);
    if (channel->direction == kDirectionRead) {
        // Give back the read-ahead that the caller has not consumed, so that the write lands at
        // the logical position; where that cannot be done, nothing is written.
        if (channel->count > 0 && os_seek(channel, -channel->count, OsSeekFrom::current) < 0) {
            failure_note();
            return 0;
        }
        channel->direction = kDirectionWrite;
        channel->count = channel->buffer_size;
    }
    if (channel->count > length) {
        std::memcpy(channel->buffer + (channel->buffer_size - channel->count), source,
                    static_cast<std::size_t>(length));
        channel->count -= length;
        return length;
    }
    file_flush(channel);
    if (channel->lost_output) return 0;
    if (length >= channel->buffer_size) return os_write(channel, source, length);
    std::memcpy(channel->buffer, source, static_cast<std::size_t>(length));
    channel->count -= length;
    return length;
}

std::int32_t channel_read(FileChannel* channel, unsigned char* destination, std::int32_t wanted) {
    if (!channel->buffer) return os_read(channel, destination, wanted);
    if (channel->direction == kDirectionWrite) channel_drop_buffer(channel);
    const unsigned char* unread = channel->buffer + (channel->filled - channel->count);
    if (channel->count >= wanted) {
        std::memcpy(destination, unread, static_cast<std::size_t>(wanted));
        channel->count -= wanted;
        return wanted;
    }
    std::int32_t copied = channel->count;
    std::memcpy(destination, unread, static_cast<std::size_t>(copied));
    channel->count = 0;
    std::int32_t rest = wanted - copied;
    if (rest >= channel->buffer_size) return copied + os_read(channel, destination + copied, rest);
    channel->filled = channel->count = os_read(channel, channel->buffer, channel->buffer_size);
    std::int32_t taken = std::min(rest, channel->count);
    std::memcpy(destination + copied, channel->buffer, static_cast<std::size_t>(taken));
    channel->count -= taken;
    return copied + taken;
}

// Puts back the byte that the last one-byte read delivered. It lies in the buffer unless the read
// went around it (an unbuffered channel, or a buffer too small to refill for one byte).
void channel_unread(FileChannel* channel) {
    if (channel->buffer && channel->count < channel->filled)
        ++channel->count;
    else
        os_seek(channel, -1, OsSeekFrom::current);
}

std::int64_t channel_position(FileChannel* channel) {
    std::int64_t pointer = channel->os_position;
    if (!channel->buffer) return pointer;
    if (channel->direction == kDirectionRead) return pointer - channel->count;
    return pointer + (channel->buffer_size - channel->count);
}

// The new position, or -1 when the platform refuses it.
std::int64_t channel_seek(FileChannel* channel, std::int64_t position) {
    if (channel->buffer) channel_drop_buffer(channel);
    return os_seek(channel, position, OsSeekFrom::begin);
}

std::int64_t channel_write_bytes(FileChannel* channel, const char* text, std::size_t length) {
    const auto* next = reinterpret_cast<const unsigned char*>(text);
    std::int64_t written = 0;
    while (length > 0) {
        auto piece = static_cast<std::int32_t>(std::min(length, kLargestPiece));
        std::int32_t done = channel_write(channel, next, piece);
        written += done;
        if (done != piece) break;
        next += piece;
        length -= static_cast<std::size_t>(piece);
    }
    return written;
}

// A replacing channel's names: the file's, then the new file's beside it. Null for no name.
char* replace_names(const char* name) {
    const std::size_t length = name ? std::strlen(name) : 0;
    auto* names = length ? static_cast<char*>(heap_alloc(2 * length + 1 + sizeof kBesideSuffix)) : nullptr;
    if (!names) return nullptr;
    std::memcpy(names, name, length);
    std::memcpy(names + length + 1, name, length);
    std::memcpy(names + 2 * length + 1, kBesideSuffix, sizeof kBesideSuffix);
    return names;
}

const char* beside_name(const char* names) {
    return names + std::strlen(names) + 1;
}

// With replace, the channel writes a new file beside name that is to take its place.
std::intptr_t channel_open(std::int32_t channel, const char* name, OsOpen mode, bool replace = false) {
    std::int32_t identity = 0;
    // Taking the slot closes a channel that held the number, before the new file is opened.
    auto* record = object_table_slot<FileChannel>(g_channels, channel, &identity);
    if (!record) return 0;
    char* names = nullptr;
    if (replace && !(names = replace_names(name))) {
        object_table_release(g_channels, identity);
        return 0;
    }
    const OsSeam& os = os_seam();
    OsFile handle = os.file_open(names ? beside_name(names) : name, mode);
    bool in_place = false;
    if (!handle) {
        // The first try's reason stands: the second one's ("no such file" where a new file may
        // not be made) would mislead.
        failure_note();
        if (names && os.error_means_refused(g_last_error)) {
            // A folder in which files may be changed but not made: the new content goes over the old.
            handle = os.file_open(name, OsOpen::write_existing);
            in_place = true;
        } else if (!names && mode == OsOpen::read_write_create) {
            // An existing file that may be written but not read can still be emptied and written.
            handle = os.file_open(name, OsOpen::write_truncate);
        }
    }
    if (!handle) {
        heap_free(names);
        object_table_release(g_channels, identity);
        return 0;
    }
    record->handle = handle;
    record->os_position = 0;  // every mode opens at the start of the file
    record->direction = kDirectionRead;
    record->replaced = names;
    record->in_place = in_place;
    if (file_buffer_size > 0) {
        record->buffer = static_cast<unsigned char*>(heap_alloc(static_cast<std::size_t>(file_buffer_size)));
        if (record->buffer) record->buffer_size = file_buffer_size;
    }
    return channel == ANY_NUMBER ? identity : handle;
}

// Cuts the file at the logical position.
bool channel_cut(FileChannel* record) {
    std::int64_t position = channel_position(record);
    if (record->buffer) channel_drop_buffer(record);
    // After a lost write the logical position lies beyond what reached the file: a cut there would
    // pad the file with zeros or keep old bytes as if they were the caller's.
    if (record->lost_output) return false;
    // Cutting anywhere but at the logical position would destroy data. After pending output has
    // gone out the OS file pointer is mostly there already; read-ahead puts it further on.
    if ((record->os_position != position && os_seek(record, position, OsSeekFrom::begin) != position) ||
        !os_seam().file_truncate(record->handle)) {
        failure_note();
        return false;
    }
    return true;
}

// Writes the bytes of the file from over those of the file to, from its start, and cuts it behind
// them: the way to change a file whose place may not be taken. When the file cannot be opened, the
// reason for which its place was refused stands.
bool copy_over(const char* from, const char* to) {
    const OsSeam& os = os_seam();
    const OsFile target = os.file_open(to, OsOpen::write_existing);
    if (!target) return false;
    const OsFile source = os.file_open(from, OsOpen::read_existing);
    bool whole = source != 0;
    unsigned char piece[4096];
    for (std::int32_t got = 0; whole && (got = os.file_read(source, piece, sizeof piece)) != 0;)
        whole = got > 0 && os.file_write(target, piece, got) == got;
    whole = whole && os.file_truncate(target) && os.file_sync(target);
    if (!whole) failure_note();
    if (source) os.file_close(source);
    if (!os.file_close(target) && whole) {
        failure_note();
        whole = false;
    }
    return whole;
}

// Puts the closed new file of a replacing channel, whole, in the place of the old one; where the
// platform refuses that, it is written over the old one. The new file goes in any case.
bool replace_finish(const char* names, bool whole) {
    const OsSeam& os = os_seam();
    const char* beside = beside_name(names);
    if (whole && os.file_replace(beside, names)) return true;
    if (whole) {
        failure_note();
        whole = os.error_means_refused(g_last_error) && copy_over(beside, names);
    }
    os.file_remove(beside);
    return whole;
}

// A line being read, on the private heap.
struct LineGather {
    char* block = nullptr;
    std::size_t capacity = 0;
    std::size_t length = 0;
};

bool is_line_end(unsigned char byte) {
    return byte == '\r' || byte == '\n' || byte == 0;
}

// The high bit of each byte of a word that is 0, and no other bit.
std::uint64_t zero_bytes(std::uint64_t word) {
    constexpr std::uint64_t kLowBits = 0x7F7F7F7F7F7F7F7Fu;
    return ~(((word & kLowBits) + kLowBits) | word | kLowBits);
}

// The number of bytes before the first line end (CR, LF or NUL) in [from, end). Sixteen bytes at a
// time where the processor compares them at once, else eight at a time where the byte order lets
// the lowest marked bit name the first of them.
std::size_t line_run(const unsigned char* from, const unsigned char* end) {
    const unsigned char* next = from;
#if LINE_RUN_SSE2
    const __m128i crs = _mm_set1_epi8('\r');
    const __m128i lfs = _mm_set1_epi8('\n');
    const __m128i nuls = _mm_setzero_si128();
    while (end - next >= 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(next));
        const __m128i ends = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(bytes, crs), _mm_cmpeq_epi8(bytes, lfs)),
                                          _mm_cmpeq_epi8(bytes, nuls));
        if (const auto mask = static_cast<unsigned>(_mm_movemask_epi8(ends)))
            return static_cast<std::size_t>(next - from) + static_cast<std::size_t>(std::countr_zero(mask));
        next += 16;
    }
#endif
    constexpr std::uint64_t kCrs = 0x0D0D0D0D0D0D0D0Du;
    constexpr std::uint64_t kLfs = 0x0A0A0A0A0A0A0A0Au;
    if constexpr (std::endian::native == std::endian::little) {
        while (end - next >= 8) {
            std::uint64_t word;
            std::memcpy(&word, next, sizeof word);
            std::uint64_t ends = zero_bytes(word) | zero_bytes(word ^ kCrs) | zero_bytes(word ^ kLfs);
            if (ends)
                return static_cast<std::size_t>(next - from) + static_cast<std::size_t>(std::countr_zero(ends)) / 8;
            next += 8;
        }
    }
    while (next != end && !is_line_end(*next)) ++next;
    return static_cast<std::size_t>(next - from);
}

// Appends bytes, growing the block when it is full; the bytes appended, fewer when no more memory
// can be had. The block at least doubles each time: growing by a fixed chunk would copy a line of
// n bytes n / 4096 times over, and a 100 MB line without a break would take hours.
std::size_t line_gather(LineGather& line, const unsigned char* bytes, std::size_t length) {
    std::size_t done = 0;
    while (done < length) {
        if (line.length == line.capacity) {
            std::size_t step = std::max(line.capacity, kLineChunk);
            void* grown = heap_realloc(line.block, line.capacity + step);
            if (!grown && step > kLineChunk) {
                // Short of memory for the double: a last chunk may still fit.
                step = kLineChunk;
                grown = heap_realloc(line.block, line.capacity + step);
            }
            if (!grown) break;
            line.block = static_cast<char*>(grown);
            line.capacity += step;
        }
        std::size_t piece = std::min(length - done, line.capacity - line.length);
        std::memcpy(line.block + line.length, bytes + done, piece);
        line.length += piece;
        done += piece;
    }
    return done;
}

// Takes a line that lies whole in the read-ahead, its end included, straight into a text in one
// copy; run is the number of bytes before its end. When the text cannot be had, taken is false and
// nothing has been consumed.
std::string line_take_whole(FileChannel* record, std::size_t run, bool& taken) {
    const unsigned char* unread = record->buffer + (record->filled - record->count);
    taken = false;
    try {
        std::string text(reinterpret_cast<const char*>(unread), run);
        taken = true;
        const unsigned char end = unread[run];
        record->count -= static_cast<std::int32_t>(run + 1);
        if (end == '\r') {
            if (record->count > 0) {
                if (unread[run + 1] == '\n') --record->count;
            } else {
                // A CR at the end of the read-ahead: the byte after it comes from the next refill.
                unsigned char next = 0;
                if (channel_read(record, &next, 1) == 1 && next != '\n') channel_unread(record);
            }
        }
        return text;
    } catch (const std::bad_alloc&) {
        return {};
    }
}

}  // namespace

void file_channels_init() {
    g_channels = object_table_create<FileChannel>(kChannelSlots, [](std::int32_t channel) { file_close(channel); });
}

std::uint32_t file_last_error() {
    return g_last_error;
}

bool file_error_means_missing(std::uint32_t code) {
    return os_seam().error_means_missing(code);
}

std::intptr_t file_open_read(std::int32_t channel, const char* name) {
    return channel_open(channel, name, OsOpen::read_existing);
}

std::intptr_t file_open(std::int32_t channel, const char* name) {
    return channel_open(channel, name, OsOpen::read_write_always);
}

std::intptr_t file_create(std::int32_t channel, const char* name) {
    return channel_open(channel, name, OsOpen::read_write_create);
}

std::intptr_t file_replace(std::int32_t channel, const char* name) {
    return channel_open(channel, name, OsOpen::read_write_create, true);
}

std::int64_t file_write_line(std::int32_t channel, const char* text) {
    FileChannel* record = channel_find(channel);
    if (!record) return 0;
    std::int64_t written = text ? channel_write_bytes(record, text, std::strlen(text)) : 0;
    return written + channel_write_bytes(record, "\r\n", 2);
}

std::int64_t file_write_text(std::int32_t channel, const char* text) {
    if (!text || !*text) return 0;
    FileChannel* record = channel_find(channel);
    return record ? channel_write_bytes(record, text, std::strlen(text)) : 0;
}

std::string file_read_line(std::int32_t channel) {
    FileChannel* record = channel_find(channel);
    if (!record) return {};
    // The read-ahead's run of ordinary bytes. A line that ends inside it needs no block: only when
    // its text cannot be had does it take the slow way below, in a block of its own size.
    std::size_t first = kLineChunk;
    std::size_t run = 0;
    bool run_known = false;
    if (record->buffer && record->direction == kDirectionRead && record->count > 0) {
        const unsigned char* unread = record->buffer + (record->filled - record->count);
        run = line_run(unread, unread + record->count);
        run_known = true;
        if (run < static_cast<std::size_t>(record->count)) {
            bool taken = false;
            std::string text = line_take_whole(record, run, taken);
            if (taken) return text;
            first = std::min(run, kLineChunk);
        }
    }
    LineGather line;
    line.block = static_cast<char*>(heap_alloc(first));
    if (!line.block) return {};
    line.capacity = first;
    const std::int64_t start = channel_position(record);
    for (;;) {
        if (record->buffer && record->direction == kDirectionRead && record->count > 0) {
            // Whole runs of ordinary bytes straight from the buffer.
            const unsigned char* unread = record->buffer + (record->filled - record->count);
            const std::size_t available = static_cast<std::size_t>(record->count);
            if (!run_known) run = line_run(unread, unread + available);
            run_known = false;
            const std::size_t taken = line_gather(line, unread, run);
            record->count -= static_cast<std::int32_t>(taken);
            if (taken < run) break;  // out of memory: the rest stays unread
            if (run == available) continue;
            const unsigned char end = unread[run];
            --record->count;
            if (end == '\r' && record->count > 0) {
                if (unread[run + 1] == '\n') --record->count;
                break;
            }
            if (end != '\r') break;
            // A CR at the end of the read-ahead: the byte after it comes from the next refill.
            unsigned char next = 0;
            if (channel_read(record, &next, 1) == 1 && next != '\n') channel_unread(record);
            break;
        }
        unsigned char byte = 0;
        if (channel_read(record, &byte, 1) != 1 || byte == 0 || byte == '\n') break;
        if (byte == '\r') {
            if (channel_read(record, &byte, 1) == 1 && byte != '\n') channel_unread(record);
            break;
        }
        if (line_gather(line, &byte, 1) == 0) {
            // Out of memory: hand back what fits and leave the rest of the line for the next read.
            channel_unread(record);
            break;
        }
    }
    std::string text;
    try {
        text.assign(line.block, line.length);
    } catch (const std::bad_alloc&) {
        // No exception leaves the toolkit: the caller gets the empty text, and the line stays
        // unread rather than lost.
        channel_seek(record, start);
    }
    heap_free(line.block);
    return text;
}

std::int32_t file_truncate(std::int32_t channel) {
    FileChannel* record = channel_find(channel);
    return record && channel_cut(record) ? 1 : 0;
}

std::int64_t file_position(std::int32_t channel) {
    FileChannel* record = channel_find(channel);
    return record ? channel_position(record) : -1;
}

std::uint32_t file_seek(std::int32_t channel, std::int64_t position) {
    FileChannel* record = channel_find(channel);
    return record ? static_cast<std::uint32_t>(channel_seek(record, position)) : 0;
}

std::int32_t file_close(std::int32_t channel) {
    FileChannel* record = channel_find(channel);
    if (!record) return 0;
    const OsSeam& os = os_seam();
    // Written over the old content, the new one ends where its writing ended.
    bool whole = !record->in_place || channel_cut(record);
    if (record->buffer) {
        file_flush(record);
        heap_free(record->buffer);
    }
    whole = whole && !record->lost_output && !record->lost_input;
    // A new content is on the disk before it takes the old one's place or counts as written.
    if (whole && record->replaced && !os.file_sync(record->handle)) {
        failure_note();
        whole = false;
    }
    if (!os.file_close(record->handle) && whole) {
        failure_note();
        whole = false;
    }
    if (record->replaced) {
        if (!record->in_place) whole = replace_finish(record->replaced, whole);
        heap_free(record->replaced);
    }
    object_table_release(g_channels, channel);
    return whole ? 1 : 0;
}

void file_close_all() {
    object_table_release_all(g_channels);
}
