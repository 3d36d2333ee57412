// Entry point: the calendar window, then the message loop until the last of
// the program's windows has closed.
#include "calendar_window/calendar_window.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // DLLs load from System32 only, before anything else can load one.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);

    tk::App app(instance);
    if (!app.Init() || calendar_window::Open(app) == nullptr) return 1;
    return app.Run();
}
