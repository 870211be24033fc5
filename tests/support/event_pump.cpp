#include "tests/support/event_pump.h"

#include "toolkit/ui/event_record.h"
#include "toolkit/ui/events.h"

namespace {

// Posted by pump_until_idle; next_event returns it as a raw message number.
constexpr UINT kMarker = WM_APP + 0x3A5;

class Deadline {
  public:
    explicit Deadline(int timeout_ms) : end_(GetTickCount64() + static_cast<ULONGLONG>(timeout_ms)) {}
    // Milliseconds left, at least 1 while time remains; 0 once it has passed.
    std::int32_t left() const {
        ULONGLONG now = GetTickCount64();
        return now >= end_ ? 0 : static_cast<std::int32_t>(end_ - now);
    }

  private:
    ULONGLONG end_;
};

SeenEvent seen(std::int32_t code) {
    const EventRecord* events = event_record();
    return {code, event_gadget(), events ? events->last_type : 0, events ? events->last_window : -1};
}

}  // namespace

bool pump_until(const EventMatch& wanted, int timeout_ms, std::vector<SeenEvent>* log) {
    Deadline deadline(timeout_ms);
    for (std::int32_t left = deadline.left(); left > 0; left = deadline.left()) {
        std::int32_t code = next_event(left);
        if (code == 0) continue;
        SeenEvent event = seen(code);
        if (log) log->push_back(event);
        if (wanted(event)) return true;
    }
    return false;
}

bool pump_until_code(std::int32_t code, int timeout_ms, std::vector<SeenEvent>* log) {
    return pump_until([code](const SeenEvent& event) { return event.code == code; }, timeout_ms, log);
}

bool pump_until_gadget(std::int32_t gadget, std::int32_t type, int timeout_ms, std::vector<SeenEvent>* log) {
    return pump_until(
        [gadget, type](const SeenEvent& event) {
            return event.code == EV_GADGET && event.gadget == gadget && event.type == type;
        },
        timeout_ms, log);
}

std::vector<SeenEvent> pump_until_idle(HWND window, int timeout_ms, bool* ok) {
    std::vector<SeenEvent> log;
    for (std::int32_t code = next_event(0); code != 0; code = next_event(0)) log.push_back(seen(code));
    bool back = PostMessageA(window, kMarker, 0, 0) && pump_until_code(kMarker, timeout_ms, &log);
    if (back) log.pop_back();
    if (ok) *ok = back;
    return log;
}

bool pump_platform_until(const std::function<bool()>& done, int timeout_ms) {
    Deadline deadline(timeout_ms);
    for (;;) {
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        if (done()) return true;
        std::int32_t left = deadline.left();
        if (left == 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 10 ? left : 10), QS_ALLINPUT);
    }
}

bool wait_until(const std::function<bool()>& done, int timeout_ms) {
    Deadline deadline(timeout_ms);
    for (;;) {
        if (done()) return true;
        std::int32_t left = deadline.left();
        if (left == 0) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left < 10 ? left : 10), QS_ALLINPUT);
    }
}

bool is_toolkit_event(std::int32_t code) {
    switch (code) {
        case EV_GADGET:
        case EV_MENU:
        case EV_TRAY:
        case EV_ACTIVATED:
        case EV_DROP:
        case EV_GADGET_DROP:
        case EV_MINIMIZED:
        case EV_MAXIMIZED:
        case EV_RESTORED:
        case EV_TIMER:
            return true;
        default:
            return false;
    }
}
