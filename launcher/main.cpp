// The launcher is a GUI-subsystem program without a console; it takes no command line.
#include <windows.h>

#include "launcher/launcher_main.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    return launcher_main();
}
