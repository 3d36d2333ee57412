// Starts timbus.exe, waits until its window has painted (optionally opens the
// About window too), saves a PNG of the screen area of the program's windows
// and closes the program again.
//   timbus_screenshot.exe EXE OUT.png [--about]
#include "tests/support/driver.h"

#include <cstdio>
#include <cwchar>
#include <string>

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: timbus_screenshot EXE OUT.png [--about]\n");
        return 2;
    }
    const std::wstring exe = argv[1];
    const std::wstring out = argv[2];
    const bool about = argc > 3 && std::wcscmp(argv[3], L"--about") == 0;

    driver::Process program;
    if (!program.Start(exe)) {
        std::fwprintf(stderr, L"cannot start %ls (error %lu)\n", exe.c_str(), GetLastError());
        return 1;
    }
    auto windows = driver::WaitForWindows(program.pid(), L"TimbusForm", 1, 10000);
    if (windows.empty()) {
        std::fwprintf(stderr, L"the program showed no window\n");
        return 1;
    }
    if (about) {
        HWND button = driver::FindChild(windows.front(), L"Button");
        if (button == nullptr) {
            std::fwprintf(stderr, L"no About button\n");
            return 1;
        }
        driver::Settle(300);
        driver::ClickCentre(button);
        windows = driver::WaitForWindows(program.pid(), L"TimbusForm", 2, 10000);
        if (windows.size() < 2) {
            std::fwprintf(stderr, L"the About window did not open\n");
            return 1;
        }
    }
    const driver::Image image = driver::CaptureWhenSettled(driver::UnionRect(windows), 10000);
    program.Stop();
    if (!driver::WritePng(out, image)) {
        std::fwprintf(stderr, L"cannot write %ls\n", out.c_str());
        return 1;
    }
    return 0;
}
