#pragma once
// Numbered controls inside toolkit windows: labels, text fields, drop-down lists, push buttons and
// sliders, reporting through the event stream as EV_GADGET.

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>

// Start-up routine, after windows_start; the result of InitCommonControlsEx.
BOOL controls_init();
// End routine, before windows_end.
void controls_end();
// Makes window the parent of new controls; gives the previous one. 0 changes nothing.
HWND control_list_select(HWND window);

// Each gives the control's window handle, or for ANY_NUMBER its number; 0 on failure.
std::intptr_t label_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                           const char* text, std::int32_t flags = 0);
std::intptr_t text_field_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                                std::int32_t height, const char* text, std::int32_t flags = 0);
std::intptr_t list_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width, std::int32_t height,
                          std::int32_t flags = 0);
std::intptr_t button_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, const char* text, std::int32_t flags = 0);
std::intptr_t slider_create(std::int32_t number, std::int32_t x, std::int32_t y, std::int32_t width,
                            std::int32_t height, std::int32_t minimum, std::int32_t maximum, std::int32_t flags = 0);

void control_set_state(std::int32_t number, std::int32_t state);
std::int32_t control_get_state(std::int32_t number);
std::int32_t list_add_item(std::int32_t number, std::int32_t position, const char* text);
void control_set_item_text(std::int32_t number, std::int32_t item, const char* text);
// The control's text; the empty text for a number that names no control. Nothing when the text
// could not be read or converted: control_last_error then says why.
std::optional<std::string> control_get_text(std::int32_t number);
// The platform's code for the last failure of control_get_text, for a message that tells the user
// why; 0 before any failure.
std::uint32_t control_last_error();
