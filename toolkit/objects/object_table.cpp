#include "toolkit/objects/object_table.h"

#include <cstring>
#include <limits>
#include <vector>

#include "toolkit/objects/heap.h"

namespace {

// An ANY_NUMBER record: this header, then the record itself.
struct alignas(std::max_align_t) LooseNode {
    LooseNode* newer;
    LooseNode* older;
    std::int32_t identity;
};

// The identity that means "a control reporting a menu command" to the window procedure.
constexpr std::int32_t kReservedIdentity = -10000;
constexpr std::int32_t kFirstIdentity = ANY_NUMBER - 1;

void* record_of(LooseNode* node) {
    return node + 1;
}

bool handle_is_live(const void* record) {
    std::intptr_t handle;
    std::memcpy(&handle, record, sizeof handle);
    return handle != 0;
}

}  // namespace

struct ObjectTable {
    std::size_t record_size;
    std::int32_t step;
    std::int32_t count;
    unsigned char* slots;
    ObjectRelease release;
    LooseNode* newest;
    LooseNode* oldest;
    std::int32_t next_identity;
};

namespace {

LooseNode* find_loose(const ObjectTable* table, std::int32_t identity) {
    for (LooseNode* node = table->newest; node; node = node->older)
        if (node->identity == identity) return node;
    return nullptr;
}

// Hands out the next identity below ANY_NUMBER that no live record holds; wraps around at the
// bottom of the 32-bit range.
std::int32_t take_identity(ObjectTable* table) {
    for (;;) {
        std::int32_t identity = table->next_identity;
        table->next_identity = identity == std::numeric_limits<std::int32_t>::min() ? kFirstIdentity : identity - 1;
        if (identity != kReservedIdentity && !find_loose(table, identity)) return identity;
    }
}

bool grow(ObjectTable* table, std::int32_t number) {
    if (number > std::numeric_limits<std::int32_t>::max() - table->step) return false;
    std::int32_t new_count = number + table->step;
    if (static_cast<std::size_t>(new_count) > std::numeric_limits<std::size_t>::max() / table->record_size)
        return false;
    void* grown = heap_realloc(table->slots, static_cast<std::size_t>(new_count) * table->record_size);
    if (!grown) return false;
    table->slots = static_cast<unsigned char*>(grown);
    std::memset(table->slots + static_cast<std::size_t>(table->count) * table->record_size, 0,
                static_cast<std::size_t>(new_count - table->count) * table->record_size);
    table->count = new_count;
    return true;
}

void* slot_at(const ObjectTable* table, std::int32_t number) {
    return table->slots + static_cast<std::size_t>(number) * table->record_size;
}

}  // namespace

ObjectTable* object_table_create(std::size_t record_size, std::int32_t initial_count, ObjectRelease release) {
    if (record_size < sizeof(std::intptr_t) || initial_count <= 0) return nullptr;
    auto* table = static_cast<ObjectTable*>(heap_alloc(sizeof(ObjectTable)));
    if (!table) return nullptr;
    table->record_size = record_size;
    table->step = initial_count;
    table->release = release;
    table->next_identity = kFirstIdentity;
    table->slots = static_cast<unsigned char*>(heap_alloc(static_cast<std::size_t>(initial_count) * record_size));
    if (!table->slots) {
        heap_free(table);
        return nullptr;
    }
    table->count = initial_count;
    return table;
}

void* object_table_slot(ObjectTable* table, std::int32_t number, std::int32_t* identity) {
    if (!table) return nullptr;
    if (number == ANY_NUMBER) {
        auto* node = static_cast<LooseNode*>(heap_alloc(sizeof(LooseNode) + table->record_size));
        if (!node) return nullptr;
        node->identity = take_identity(table);
        node->older = table->newest;
        if (table->newest)
            table->newest->newer = node;
        else
            table->oldest = node;
        table->newest = node;
        if (identity) *identity = node->identity;
        return record_of(node);
    }
    if (number < 0) return nullptr;
    if (number >= table->count && !grow(table, number)) return nullptr;
    if (handle_is_live(slot_at(table, number)) && table->release) table->release(number);
    // The release operation may have grown the table: take the slot's address only now.
    void* slot = slot_at(table, number);
    std::memset(slot, 0, table->record_size);
    if (identity) *identity = number;
    return slot;
}

void* object_table_find(const ObjectTable* table, std::int32_t number) {
    if (!table) return nullptr;
    void* record = nullptr;
    if (number >= 0) {
        if (number < table->count) record = slot_at(table, number);
    } else if (LooseNode* node = find_loose(table, number)) {
        record = record_of(node);
    }
    return record && handle_is_live(record) ? record : nullptr;
}

void object_table_release(ObjectTable* table, std::int32_t number) {
    if (!table) return;
    if (number >= 0) {
        if (number < table->count) std::memset(slot_at(table, number), 0, table->record_size);
        return;
    }
    LooseNode* node = find_loose(table, number);
    if (!node) return;
    if (node->newer)
        node->newer->older = node->older;
    else
        table->newest = node->older;
    if (node->older)
        node->older->newer = node->newer;
    else
        table->oldest = node->newer;
    heap_free(node);
}

void object_table_release_all(ObjectTable* table) {
    if (!table || !table->release) return;
    for (std::int32_t number = 0; number < table->count; ++number)
        if (handle_is_live(slot_at(table, number))) table->release(number);
    // Releasing may unlink records: take the identities first, oldest first.
    std::vector<std::int32_t> identities;
    for (LooseNode* node = table->oldest; node; node = node->newer) identities.push_back(node->identity);
    for (std::int32_t identity : identities)
        if (object_table_find(table, identity)) table->release(identity);
}
