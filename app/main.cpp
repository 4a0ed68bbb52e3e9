// Zhorvan.exe: the application object's start-up, message loop and exit.
#include <windows.h>
#include <ole2.h>

#include "app/mdi_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
    if (!TheApp.AppStart(instance)) return 0;
    const int code = TheApp.AppExit();
    OleUninitialize();
    return code;
}
