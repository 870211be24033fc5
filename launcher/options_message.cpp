#include "launcher/options_message.h"

#include <string>

#include "launcher/options_window.h"
#include "toolkit/ui/message_box.h"

void options_message_show(const wchar_t* headline, const char* name, std::uint32_t error, const wchar_t* note) {
    std::wstring text = std::wstring(headline) + L"\n\n" + message_box_path(name);
    std::wstring reason = message_box_reason(error);
    if (!reason.empty()) text += L"\n\n" + reason;
    if (note) text += std::wstring(L"\n\n") + note;
    message_box_show(kOptionsWindow, L"Zindrop Launcher", text);
}
