#include "toolkit/objects/heap.h"

#include "toolkit/objects/os_seam.h"

namespace {
OsHeap g_heap = nullptr;
}

bool heap_start() {
    if (!g_heap) g_heap = os_seam().heap_create();
    return g_heap != nullptr;
}

void heap_end() {
    if (g_heap) os_seam().heap_destroy(g_heap);
    g_heap = nullptr;
}

void* heap_alloc(std::size_t size) {
    return g_heap ? os_seam().heap_alloc(g_heap, size) : nullptr;
}

void* heap_realloc(void* block, std::size_t size) {
    return g_heap ? os_seam().heap_realloc(g_heap, block, size) : nullptr;
}

void heap_free(void* block) {
    if (g_heap && block) os_seam().heap_free(g_heap, block);
}
