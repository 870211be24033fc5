#pragma once
// The toolkit's own sizing loop for windows with a sizing border.

#include <windows.h>

// Allocates the process's sizing state; called by windows_start.
void sizing_start();
// First stage of every toolkit window's message handling: a result, or NOT_HANDLED.
LRESULT sizing_filter(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
