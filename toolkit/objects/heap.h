#pragma once
// The toolkit's private heap: tables, buffers, queue nodes and lists come from it. It is made at
// toolkit start-up and destroyed at exit together with whatever is still allocated from it.

#include <cstddef>

// Makes the heap; does nothing when it exists. False when the platform refuses it.
bool heap_start();
// Destroys the heap and every block still allocated from it.
void heap_end();

// A zero-filled block, or null when there is no heap or no memory.
void* heap_alloc(std::size_t size);
// Grows or shrinks a block (null: a new one); null on failure, with the old block left as it was.
void* heap_realloc(void* block, std::size_t size);
// Frees a block; null does nothing.
void heap_free(void* block);
