#include "toolkit/desktop/display_calls.h"

namespace {

const DisplayCalls kPlatform = {
    LoadLibraryA, GetProcAddress, FreeLibrary, EnumDisplaySettingsA,
    CreateDCA,    GetDeviceCaps,  DeleteDC,    GetSystemMetrics,
};

DisplayCalls g_calls = kPlatform;

}  // namespace

DisplayCalls& display_calls() {
    return g_calls;
}

const DisplayCalls& display_calls_platform() {
    return kPlatform;
}
