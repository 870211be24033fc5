#include "tests/support/toolkit_session.h"

#include "toolkit/objects/heap.h"
#include "toolkit/ui/controls.h"
#include "toolkit/ui/window.h"

ToolkitSession::ToolkitSession() : started_(heap_start()) {
    if (!started_) return;
    windows_start();
    controls_init();
}

ToolkitSession::~ToolkitSession() {
    if (!started_) return;
    controls_end();
    windows_end();
    heap_end();
}
