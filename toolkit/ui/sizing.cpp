#include "toolkit/ui/sizing.h"

#include "toolkit/ui/events.h"

// Until the toolkit sizes windows itself, the platform's own sizing loop runs.
void sizing_start() {}

LRESULT sizing_filter(HWND, UINT, WPARAM, LPARAM) { return NOT_HANDLED; }
