// Entry point: the calendar window, then the message loop until the last of
// the program's windows has closed.
#include "calendar_window/calendar_window.h"

#include <windows.h>

#include <cstdlib>

#if defined(__GLIBCXX__)
// The library's default terminate handler prints the exception's demangled
// type, which links in its whole demangler (about 40 KB). A GUI program has
// nowhere to print it to: end at once instead.
namespace __gnu_cxx {
void __verbose_terminate_handler() { std::abort(); }
}  // namespace __gnu_cxx
#endif

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // DLLs load from System32 only, before anything else can load one.
    SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);
    HeapSetInformation(nullptr, HeapEnableTerminationOnCorruption, nullptr, 0);

    tk::App app(instance);
    if (!app.Init() || calendar_window::Open(app) == nullptr) return 1;
    return app.Run();
}
