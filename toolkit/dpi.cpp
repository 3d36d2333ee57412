#include "toolkit/dpi.h"

#include "toolkit/twips.h"

namespace tk {
namespace {

template <typename Fn>
Fn User32Function(const char* name) {
    HMODULE user32 = GetModuleHandleW(L"user32.dll");
    return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                  : nullptr;
}

using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
using AdjustWindowRectExForDpiFn = BOOL(WINAPI*)(LPRECT, DWORD, BOOL, DWORD, UINT);

}  // namespace

unsigned SystemDpi() {
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kDefaultDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? static_cast<unsigned>(dpi) : kDefaultDpi;
}

unsigned DpiForWindow(HWND window) {
    static const auto get_dpi = User32Function<GetDpiForWindowFn>("GetDpiForWindow");
    if (get_dpi != nullptr && window != nullptr) {
        const UINT dpi = get_dpi(window);
        if (dpi != 0) return dpi;
    }
    return SystemDpi();
}

RECT WindowRectForClient(const RECT& client, DWORD style, DWORD ex_style, unsigned dpi) {
    static const auto adjust =
        User32Function<AdjustWindowRectExForDpiFn>("AdjustWindowRectExForDpi");
    RECT r = client;
    if (adjust == nullptr || !adjust(&r, style, FALSE, ex_style, dpi)) {
        r = client;
        AdjustWindowRectEx(&r, style, FALSE, ex_style);
    }
    return r;
}

LOGFONTW DialogFont(unsigned dpi) {
    LOGFONTW font{};
    font.lfHeight = -MulDiv(8, static_cast<int>(dpi), 72);
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    lstrcpynW(font.lfFaceName, L"MS Shell Dlg", LF_FACESIZE);
    return font;
}

}  // namespace tk
