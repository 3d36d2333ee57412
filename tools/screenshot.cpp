// Starts timbus.exe, waits until its window has painted (optionally opens the
// About window too, or zooms the calendar out by clicks on its title), saves
// a PNG of the screen area of the program's windows and closes the program.
//   timbus_screenshot.exe EXE OUT.png [--about | --zoom N]
#include <windows.h>

#include <commctrl.h>

#include <cstdio>
#include <cstdlib>
#include <cwchar>
#include <optional>
#include <string>

#include "tests/support/driver.h"

namespace {

// Where on screen the calendar's title says what a click there zooms to: the
// year of the month view's title, or anywhere on a zoomed view's title.
std::optional<POINT> TitleToZoom(HANDLE process, HWND calendar) {
    RECT client{};
    GetClientRect(calendar, &client);
    for (int y = 2; y < client.bottom / 6; y += 2) {
        for (int x = 0; x < client.right; ++x) {
            MCHITTESTINFO info{};
            info.cbSize = sizeof(info);
            info.pt = {x, y};
            LRESULT hit = 0;
            if (!driver::SendWithRemoteBuffer(process, calendar, MCM_HITTEST, 0, &info,
                                              sizeof(info), 2000, &hit)) {
                return std::nullopt;
            }
            if (info.uHit == MCHT_TITLEYEAR) {
                POINT screen{x + 2, y};
                ClientToScreen(calendar, &screen);
                return screen;
            }
        }
    }
    return std::nullopt;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) {
        std::fwprintf(stderr, L"usage: timbus_screenshot EXE OUT.png [--about | --zoom N]\n");
        return 2;
    }
    const std::wstring exe = argv[1];
    const std::wstring out = argv[2];
    const bool about = argc > 3 && std::wcscmp(argv[3], L"--about") == 0;
    const int zoom =
        argc > 4 && std::wcscmp(argv[3], L"--zoom") == 0 ? std::wcstol(argv[4], nullptr, 10) : 0;

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
    if (zoom > 0) {
        HWND calendar = driver::FindChild(windows.front(), L"TimbusMonthCalendar");
        driver::Settle(300);
        for (int i = 0; i < zoom; ++i) {
            const std::optional<POINT> title =
                calendar != nullptr ? TitleToZoom(program.handle(), calendar) : std::nullopt;
            if (!title) {
                std::fwprintf(stderr, L"no title to click on the calendar\n");
                return 1;
            }
            driver::ClickAt(*title);
            driver::Settle(200);
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
