#include "toolkit/ui/events.h"

#include <algorithm>
#include <iterator>

#include "toolkit/objects/heap.h"
#include "toolkit/ui/event_record.h"
#include "toolkit/ui/window_internal.h"

namespace {

EventRecord* g_events = nullptr;
bool g_held = false;

// Blocks announced by a drop source and not yet carried by a drop message.
DropData* g_announced[8] = {};

// PM_REMOVE | PM_NOYIELD: poll_event neither waits nor yields.
constexpr UINT kPeekFlags = PM_REMOVE | PM_NOYIELD;
// Every queue-status flag from QS_KEY to QS_ALLPOSTMESSAGE.
constexpr DWORD kWakeMask = 0x1FF;

// The wide calls throughout: a typed character reaches a control as UTF-16, never through the
// system's code page.
const MessageSeam kPlatformSeam = {GetMessageW};
MessageSeam g_seam = kPlatformSeam;

bool peek(MSG* message) {
    return PeekMessageW(message, nullptr, 0, 0, kPeekFlags) != 0;
}

// Fetches one message: false when there is none (or, waiting without limit, when the platform
// reports a failure, in which case it has not filled the message).
bool fetch(MSG* message, std::int32_t timeout_ms) {
    if (timeout_ms == -1) return g_seam.get_message(message, nullptr, 0, 0) != -1;
    if (peek(message)) return true;
    // A negative time-out other than -1 would be a wait of some 49 days as the platform's unsigned
    // count: it only looks, as a negative sleep does not sleep.
    if (timeout_ms <= 0) return false;
    DWORD woken = MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(timeout_ms), kWakeMask);
    if (woken == WAIT_TIMEOUT) return false;
    return peek(message);
}

// The only messages that TranslateAcceleratorW translates: key presses for virtual-key entries,
// characters for character entries. For any other message the active window and its table cannot
// change what happens, so they are not asked for.
bool accelerator_may_translate(UINT message) {
    return message == WM_KEYDOWN || message == WM_SYSKEYDOWN || message == WM_CHAR || message == WM_SYSCHAR;
}

void dispatch(MSG* message) {
    if (accelerator_may_translate(message->message)) {
        HWND active = GetActiveWindow();
        HACCEL table = window_accelerators(active);
        if (table && TranslateAcceleratorW(active, table, message)) return;
        if (dialog_key(active, message)) return;
    }
    TranslateMessage(message);
    DispatchMessageW(message);
}

void take_copies(EventRecord* events) {
    events->last_gadget = events->gadget;
    events->last_window = events->window;
    events->last_type = events->type;
    events->last_pending = events->pending;
    events->last_wparam = events->wparam;
    events->last_lparam = events->lparam;
}

}  // namespace

EventRecord* event_record() {
    return g_events;
}

bool event_record_start() {
    g_events = static_cast<EventRecord*>(heap_alloc(sizeof(EventRecord)));
    std::fill(std::begin(g_announced), std::end(g_announced), nullptr);
    return g_events != nullptr;
}

void event_record_end() {
    if (!g_events) return;
    event_data_free(g_events->data);
    g_events->data = nullptr;
    for (DropData*& block : g_announced) {
        event_data_free(block);
        block = nullptr;
    }
}

void event_queue_push(std::int32_t code, std::int32_t window) {
    EventRecord* events = g_events;
    if (!events || g_held) return;
    EventNode* tail = events->queue_tail;
    if (tail && tail->code == code && tail->window == window) return;
    auto* node = static_cast<EventNode*>(heap_alloc(sizeof(EventNode)));
    if (!node) return;
    node->code = code;
    node->window = window;
    if (tail)
        tail->next = node;
    else
        events->queue_head = node;
    events->queue_tail = node;
}

bool event_queue_hold(bool held) {
    const bool was_held = g_held;
    g_held = held;
    return was_held;
}

bool event_data_announce(DropData* block) {
    if (!block) return false;
    for (DropData*& slot : g_announced) {
        if (!slot) {
            slot = block;
            return true;
        }
    }
    return false;
}

bool event_data_adopt(void* block) {
    if (!block) return false;
    for (DropData*& slot : g_announced) {
        if (slot == block) {
            slot = nullptr;
            return true;
        }
    }
    return false;
}

void event_data_free(void* block) {
    if (!block) return;
    heap_free(static_cast<DropData*>(block)->buffer);
    heap_free(block);
}

std::int32_t next_event(std::int32_t timeout_ms) {
    EventRecord* events = g_events;
    if (!events) return 0;
    event_data_free(events->data);
    events->data = nullptr;
    events->type = -1;

    std::int32_t result;
    if (EventNode* node = events->queue_head) {
        result = node->code;
        events->window = node->window;
        events->pending = 0;  // a pending event raised since the last call is dropped
        events->queue_head = node->next;
        if (!events->queue_head) events->queue_tail = nullptr;
        heap_free(node);
    } else {
        MSG message;
        if (!fetch(&message, timeout_ms)) return 0;
        dispatch(&message);
        // A WM_NULL's number reads as "no event", which would end a caller's run of polls while
        // more messages wait: it is dispatched and the message behind it is taken in its place.
        // Only a message already there: a WM_NULL posted to wake a blocked wait must end it.
        while (message.message == WM_NULL && events->pending == 0 && !events->queue_head) {
            if (!fetch(&message, 0)) return 0;
            dispatch(&message);
        }
        // Dispatching may have re-entered anything; the record itself never moves.
        if (events->pending != 0) {
            result = events->pending;
            events->pending = 0;
        } else {
            result = static_cast<std::int32_t>(message.message);
            events->wparam = message.wParam;
            events->lparam = message.lParam;
        }
    }
    take_copies(events);
    return result;
}

std::int32_t wait_event() {
    return next_event(-1);
}

std::int32_t poll_event() {
    return next_event(0);
}

std::int32_t event_gadget() {
    return g_events ? g_events->last_gadget : 0;
}

// A negative duration would reach Sleep as a wait of weeks (-1 is INFINITE): it sleeps not at all.
void sleep_ms(std::int32_t milliseconds) {
    Sleep(milliseconds > 0 ? static_cast<DWORD>(milliseconds) : 0);
}

MessageSeam& message_seam() {
    return g_seam;
}

const MessageSeam& message_seam_platform() {
    return kPlatformSeam;
}
