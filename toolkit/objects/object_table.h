#pragma once
// Numbered objects: windows, controls and file channels are named by numbers that the caller
// chooses. A table keeps one zero-filled record per number in a growable array, plus a list of
// records made with ANY_NUMBER, which are known by an identity that the table hands out.
//
// Every record's first field is the object's handle: a slot whose handle is 0 names no object.
// Record pointers are valid only until the next call that may grow the table or release records
// (any slot request, or any call that can re-enter the object's owner): look records up again.

#include <cstddef>
#include <cstdint>
#include <type_traits>

// Given to a creating operation instead of a number: make an object outside the array.
constexpr std::int32_t ANY_NUMBER = -1;

// Releases the object under a number; called by the table before a number is reused and at
// release-all. It must end by calling object_table_release on the number.
using ObjectRelease = void (*)(std::int32_t number);

struct ObjectTable;

// Makes a table of initial_count zero-filled slots; initial_count is also the growth step.
ObjectTable* object_table_create(std::size_t record_size, std::int32_t initial_count, ObjectRelease release);

// Releases the object holding number, then returns its zero-filled slot, growing the array to
// number + step when number is at or beyond its end. For ANY_NUMBER it makes a new zero-filled
// record outside the array instead and stores its identity in *identity. Identities are negative
// numbers below ANY_NUMBER, so that they never equal a slot number. Null when the number is not
// valid (negative and not ANY_NUMBER) or memory runs out.
void* object_table_slot(ObjectTable* table, std::int32_t number, std::int32_t* identity = nullptr);

// The record of a live object (handle not 0): a slot number, or an identity that the table
// handed out and has not released. Null for any other number.
void* object_table_find(const ObjectTable* table, std::int32_t number);

// Zero-fills the slot, or unlinks and frees the ANY_NUMBER record.
void object_table_release(ObjectTable* table, std::int32_t number);

// Calls the release operation for every live object: slots in ascending order, then ANY_NUMBER
// records from the oldest to the newest.
void object_table_release_all(ObjectTable* table);

// Typed forms for a record type whose first field is its handle.
template <typename Record>
ObjectTable* object_table_create(std::int32_t initial_count, ObjectRelease release) {
    static_assert(std::is_trivially_copyable_v<Record> && std::is_standard_layout_v<Record>);
    static_assert(sizeof(Record) >= sizeof(std::intptr_t));
    return object_table_create(sizeof(Record), initial_count, release);
}

template <typename Record>
Record* object_table_slot(ObjectTable* table, std::int32_t number, std::int32_t* identity = nullptr) {
    return static_cast<Record*>(object_table_slot(table, number, identity));
}

template <typename Record>
Record* object_table_find(const ObjectTable* table, std::int32_t number) {
    return static_cast<Record*>(object_table_find(table, number));
}
