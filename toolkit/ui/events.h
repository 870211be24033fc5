#pragma once
// The toolkit's single stream of events.

#include <windows.h>

#include <cstdint>

constexpr std::int32_t EV_MOVED = 3;
constexpr std::int32_t EV_SIZED = 5;
constexpr std::int32_t EV_REPAINT = 15;
constexpr std::int32_t EV_CLOSE = 16;
constexpr std::int32_t EV_GADGET = 13100;
constexpr std::int32_t EV_MENU = 13101;
constexpr std::int32_t EV_TRAY = 13102;
constexpr std::int32_t EV_ACTIVATED = 13104;
constexpr std::int32_t EV_DROP = 13105;
constexpr std::int32_t EV_GADGET_DROP = 13106;
constexpr std::int32_t EV_MINIMIZED = 13107;
constexpr std::int32_t EV_MAXIMIZED = 13108;
constexpr std::int32_t EV_RESTORED = 13109;
constexpr std::int32_t EV_TIMER = 13110;

// Event types that controls post themselves.
constexpr std::int32_t EV_TYPE_FOCUS = 14000;
constexpr std::int32_t EV_TYPE_LOST_FOCUS = 14001;

// Private messages of toolkit windows.
constexpr UINT TRAY_NOTIFY = 12501;
constexpr UINT TRAY_EVENT = 12502;
constexpr UINT POST_GADGET_EVENT = 13103;
constexpr UINT DROP_NOTIFY = 13105;
constexpr UINT GADGET_DROP_NOTIFY = 13106;
constexpr UINT CONTROL_PRIVATE = 13120;

// The answer of a message-handling stage that did not handle the message.
constexpr LRESULT NOT_HANDLED = static_cast<LRESULT>(0xD0D0D0D1u);

// An event code, a raw message number, or 0. timeout_ms: -1 waits without limit, 0 or any other
// negative value only looks, a positive value waits at most that many milliseconds.
std::int32_t next_event(std::int32_t timeout_ms);
std::int32_t wait_event();
std::int32_t poll_event();
// The gadget of the last event returned.
std::int32_t event_gadget();
void sleep_ms(std::int32_t milliseconds);
