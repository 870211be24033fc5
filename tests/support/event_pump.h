#pragma once
// Message pumps for GUI tests: run the message loop until something happens or a time-out ends
// the wait. Nothing here sleeps blindly.

#include <windows.h>

#include <cstdint>
#include <functional>
#include <vector>

// One event as next_event returned it, with what the toolkit recorded beside it.
struct SeenEvent {
    std::int32_t code;
    std::int32_t gadget;
    std::int32_t type;
    std::int32_t window;
};

using EventMatch = std::function<bool(const SeenEvent&)>;

// Runs next_event until an event matches or timeout_ms pass. Every event seen, the match
// included, is appended to *log when log is given. True when a match came.
bool pump_until(const EventMatch& wanted, int timeout_ms, std::vector<SeenEvent>* log = nullptr);
bool pump_until_code(std::int32_t code, int timeout_ms, std::vector<SeenEvent>* log = nullptr);
bool pump_until_gadget(std::int32_t gadget, std::int32_t type, int timeout_ms, std::vector<SeenEvent>* log = nullptr);

// Takes every event that is due now, then posts a marker message to window (a toolkit window) and
// takes events until the marker comes back: what the platform had queued by then is handled.
// The events taken before the marker; *ok (when given) is false when the marker did not return.
std::vector<SeenEvent> pump_until_idle(HWND window, int timeout_ms = 5000, bool* ok = nullptr);

// Without the toolkit: PeekMessageA / DispatchMessageA until done() holds or timeout_ms pass.
bool pump_platform_until(const std::function<bool()>& done, int timeout_ms);

// Waits for another process without taking this thread's messages: done() is asked again
// whenever this thread's queue stirs and at least every 10 ms. True when it held in time.
bool wait_until(const std::function<bool()>& done, int timeout_ms);

// Whether an event is one of the toolkit's own codes rather than a raw message number.
bool is_toolkit_event(std::int32_t code);
