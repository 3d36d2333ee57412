// The floor the start-up and footprint figures are compared with: the least a
// Win32 program can do to show a window like the calendar's. It registers a
// class, shows one empty window with the calendar window's frame styles,
// place and client size (353 x 393 px at 96 DPI), and runs a message loop.
//
// Built with TIMBUS_FLOOR_WITH_PICTURE (timbus_floor_picture.exe), it also
// does the two costly things the program's design asks for: it carries the
// program's manifest (Common Controls 6), shows one push button (which loads
// comctl32 for its class) and loads the monitor picture as a DIB section.
// Against it, what the program's own code costs shows.
#include <windows.h>

namespace {

constexpr wchar_t kClassName[] = L"TimbusFloor";
// The calendar window's client rectangle at 96 DPI and its back colour.
constexpr RECT kClient96{151, 130, 151 + 353, 130 + 393};
constexpr COLORREF kBackColour = 0x00FFC0C0;
constexpr DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kExStyle = WS_EX_DLGMODALFRAME;

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

int Scale(int px, int dpi) { return MulDiv(px, dpi, 96); }

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int show) {
    HBRUSH background = CreateSolidBrush(kBackColour);
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = kClassName;
    if (background == nullptr || RegisterClassExW(&wc) == 0) return 1;

    HDC screen = GetDC(nullptr);
    const int dpi = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    RECT r{Scale(kClient96.left, dpi), Scale(kClient96.top, dpi), Scale(kClient96.right, dpi),
           Scale(kClient96.bottom, dpi)};
    AdjustWindowRectEx(&r, kStyle, FALSE, kExStyle);
    HWND window =
        CreateWindowExW(kExStyle, kClassName, L"Floor", kStyle, r.left, r.top, r.right - r.left,
                        r.bottom - r.top, nullptr, nullptr, instance, nullptr);
    if (window == nullptr) return 1;
#if defined(TIMBUS_FLOOR_WITH_PICTURE)
    constexpr int kPictureId = 101;  // bench/floor_picture.rc
    HANDLE picture =
        LoadImageW(instance, MAKEINTRESOURCEW(kPictureId), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION);
    HWND button = CreateWindowExW(0, L"Button", L"A", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 264, 0,
                                  89, 17, window, nullptr, instance, nullptr);
    if (picture == nullptr || button == nullptr) return 1;
#endif
    ShowWindow(window, show);
    UpdateWindow(window);

    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
#if defined(TIMBUS_FLOOR_WITH_PICTURE)
    DeleteObject(picture);
#endif
    DeleteObject(background);
    return static_cast<int>(msg.wParam);
}
