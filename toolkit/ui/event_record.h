#pragma once
// The process's event state, shared by the window procedure and next_event.

#include <windows.h>

#include <cstdint>

struct EventNode {
    EventNode* next;  // null at the tail
    std::int32_t code;
    std::int32_t window;
};

struct EventRecord {
    std::int32_t gadget;   // never cleared
    std::int32_t window;   // -1 when the latest message belonged to no toolkit window
    std::int32_t type;     // -1 at the start of every next_event
    std::int32_t pending;  // a control or command event raised while a message was handled
    WPARAM wparam;
    LPARAM lparam;
    std::int32_t last_gadget;
    std::int32_t last_window;
    std::int32_t last_type;
    std::int32_t last_pending;
    WPARAM last_wparam;
    LPARAM last_lparam;
    EventNode* queue_head;
    EventNode* queue_tail;
    void* data;  // a DropData block handed over with a drop event
};

// A block handed over with EV_DROP or EV_GADGET_DROP. Five 32-bit words, then the address of a
// buffer that goes with the block; on 32-bit builds the address is the sixth 32-bit word.
struct DropData {
    std::int32_t words[5];
    void* buffer;
};

// Null before windows_start.
EventRecord* event_record();
// Allocates the zero-filled record (windows_start); false when there is no memory.
bool event_record_start();
// Frees the data block of the last event and any announced block (windows_end).
void event_record_end();
void event_queue_push(std::int32_t code, std::int32_t window);

// While held, no event is queued: for handling that the toolkit does of its own accord, which its
// caller is not to hear of. Gives the previous setting, to be put back afterwards.
bool event_queue_hold(bool held);

// A drop source announces a DropData block (from the toolkit's heap) before it sends or posts the
// drop message that carries it; the event then owns it. A drop message carrying any other address
// raises its event without data: an address that came in a message is never freed unannounced.
bool event_data_announce(DropData* block);
// Takes the block out of the announced ones; false when it was not announced.
bool event_data_adopt(void* block);
void event_data_free(void* block);

// The message fetching that tests replace to show failures the machine cannot produce.
struct MessageSeam {
    BOOL(WINAPI* get_message)(LPMSG message, HWND window, UINT first, UINT last);
};
MessageSeam& message_seam();
const MessageSeam& message_seam_platform();
