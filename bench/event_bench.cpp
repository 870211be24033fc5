// event_bench <rounds>
// Figures of the toolkit's event stream, printed as "median <figure> <who> <value>" or, for single
// counts, "value <figure> <when> <count>":
//   event_rate    gadget events per second: 100,000 POST_GADGET_EVENT messages posted to a toolkit
//                 window and taken through next_event, against the same messages posted to a plain
//                 window and taken by the platform's own GetMessage/TranslateMessage/DispatchMessage
//                 loop; median over <rounds> alternating rounds.
//   queue_blocks, queue_bytes
//                 live blocks and bytes of the toolkit's private heap, counted by a wrapper around the
//                 heap functions of the OS seam: before a burst of 100,000 window events, at the peak
//                 of the burst, and after every event has been taken.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <unordered_map>
#include <vector>

#include "bench/bench_support.h"
#include "toolkit/objects/heap.h"
#include "toolkit/objects/os_seam.h"
#include "toolkit/ui/events.h"
#include "toolkit/ui/window.h"

namespace {

constexpr int kEvents = 100000;
// Windows keeps at most 10,000 posted messages per queue: post and take in batches below that.
constexpr int kBatch = 5000;
constexpr std::int32_t kInvisibleNoControls = WF_INVISIBLE | WF_NO_CONTROLS;
// Posted behind each batch: taking it ends the batch, so that a lost event cannot block the wait.
constexpr UINT kEndOfBatch = WM_APP + 1;

// Live blocks of the private heap, with the size each was asked for.
std::unordered_map<void*, std::size_t> g_live;
std::size_t g_live_bytes = 0;

void* counting_alloc(OsHeap heap, std::size_t size) {
    void* block = os_seam_platform().heap_alloc(heap, size);
    if (block) {
        g_live[block] = size;
        g_live_bytes += size;
    }
    return block;
}

void* counting_realloc(OsHeap heap, void* block, std::size_t size) {
    void* grown = os_seam_platform().heap_realloc(heap, block, size);
    if (grown) {
        if (block) {
            g_live_bytes -= g_live[block];
            g_live.erase(block);
        }
        g_live[grown] = size;
        g_live_bytes += size;
    }
    return grown;
}

void counting_free(OsHeap heap, void* block) {
    auto found = g_live.find(block);
    if (found != g_live.end()) {
        g_live_bytes -= found->second;
        g_live.erase(found);
    }
    os_seam_platform().heap_free(heap, block);
}

double now_seconds() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER count;
    QueryPerformanceCounter(&count);
    return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

void drain_toolkit() {
    while (poll_event() != 0) {
    }
}

// Posts one batch of gadget events and its end mark; false when the platform refused one.
bool post_batch(HWND window) {
    for (int i = 0; i < kBatch; ++i)
        if (!PostMessageA(window, POST_GADGET_EVENT, static_cast<WPARAM>(i % 16), 0)) return false;
    return PostMessageA(window, kEndOfBatch, 0, 0) != 0;
}

// Gadget events per second through next_event, counting only the time spent taking them.
double toolkit_rate(HWND window) {
    double taking = 0;
    for (int done = 0; done < kEvents; done += kBatch) {
        if (!post_batch(window)) return -1;
        int taken = 0;
        double start = now_seconds();
        for (std::int32_t event = next_event(-1); static_cast<UINT>(event) != kEndOfBatch; event = next_event(-1))
            if (event == EV_GADGET) ++taken;
        taking += now_seconds() - start;
        if (taken != kBatch) return -1;
    }
    return kEvents / taking;
}

LRESULT CALLBACK plain_procedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    return message == POST_GADGET_EVENT ? 0 : DefWindowProcA(hwnd, message, wParam, lParam);
}

// The same messages through the platform's own loop.
double platform_rate(HWND window) {
    double taking = 0;
    MSG message;
    for (int done = 0; done < kEvents; done += kBatch) {
        if (!post_batch(window)) return -1;
        int taken = 0;
        double start = now_seconds();
        while (GetMessageA(&message, nullptr, 0, 0) > 0 && message.message != kEndOfBatch) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
            if (message.message == POST_GADGET_EVENT) ++taken;
        }
        taking += now_seconds() - start;
        if (taken != kBatch) return -1;
    }
    return kEvents / taking;
}

}  // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    os_seam().heap_alloc = counting_alloc;
    os_seam().heap_realloc = counting_realloc;
    os_seam().heap_free = counting_free;

    heap_start();
    windows_start();
    HWND first = reinterpret_cast<HWND>(window_open(0, 0, 0, 200, 100, "Bench 0", kInvisibleNoControls));
    HWND second = reinterpret_cast<HWND>(window_open(1, 0, 0, 200, 100, "Bench 1", kInvisibleNoControls));
    WNDCLASSA plain_class = {};
    plain_class.lpfnWndProc = plain_procedure;
    plain_class.hInstance = GetModuleHandleA(nullptr);
    plain_class.lpszClassName = "PlainBenchWindow";
    RegisterClassA(&plain_class);
    HWND plain = CreateWindowExA(0, "PlainBenchWindow", "Plain", WS_CAPTION, 0, 0, 200, 100, nullptr, nullptr,
                                 plain_class.hInstance, nullptr);
    if (!first || !second || !plain) {
        std::fprintf(stderr, "cannot open the windows\n");
        return 1;
    }
    drain_toolkit();

    std::vector<double> toolkit, platform;
    for (int round = 0; round < rounds; ++round) {
        toolkit.push_back(toolkit_rate(first));
        drain_toolkit();
        platform.push_back(platform_rate(plain));
        drain_toolkit();
    }
    if (std::count(toolkit.begin(), toolkit.end(), -1.0) || std::count(platform.begin(), platform.end(), -1.0)) {
        std::fprintf(stderr, "gadget events went missing\n");
        return 1;
    }
    for (double rate : toolkit) std::printf("sample event_rate toolkit %.0f\n", rate);
    for (double rate : platform) std::printf("sample event_rate platform %.0f\n", rate);
    std::printf("median event_rate toolkit %.0f\n", median(toolkit));
    std::printf("median event_rate platform %.0f\n", median(platform));

    // Window events sent, not posted: each is queued at once, and alternating windows keeps equal
    // neighbours from collapsing into one node, so the queue really holds 100,000 events.
    drain_toolkit();
    std::size_t blocks_before = g_live.size(), bytes_before = g_live_bytes;
    for (int i = 0; i < kEvents; ++i) SendMessageA(i % 2 ? second : first, WM_MOVE, 0, MAKELPARAM(i % 500, 0));
    std::size_t blocks_peak = g_live.size(), bytes_peak = g_live_bytes;
    int moved = 0;
    for (int i = 0; i < kEvents; ++i)
        if (next_event(0) == EV_MOVED) ++moved;
    drain_toolkit();
    std::printf("value queue_events taken %d\n", moved);
    std::printf("value queue_blocks before %zu\nvalue queue_blocks peak %zu\nvalue queue_blocks after %zu\n",
                blocks_before, blocks_peak, g_live.size());
    std::printf("value queue_bytes before %zu\nvalue queue_bytes peak %zu\nvalue queue_bytes after %zu\n", bytes_before,
                bytes_peak, g_live_bytes);

    DestroyWindow(plain);
    windows_end();
    heap_end();
    return 0;
}
