#pragma once
// The launcher's window built with plain platform calls: the same window, the same controls with
// the same classes, styles, places, texts and font, the same list items and slider ranges, in the
// same order, the same default button and the focus on the first name; no toolkit, no options
// file. The layout, control numbers and list items are the launcher's own tables. Shared by the
// direct program and the start-up split.

#include <windows.h>

#include "launcher/options_window.h"

// The stock GUI font and the common-control classes that the toolkit registers.
void direct_start_common_controls();
// Registers the window class with the given procedure, then makes and shows the window, before its
// controls exist, as the launcher does; null when the platform refuses it.
HWND direct_open_window(WNDPROC procedure);
// Makes the controls in the window.
void direct_build_controls();
