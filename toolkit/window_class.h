// Registers a window class of this program once; later calls only check it.
#pragma once

#include <windows.h>

namespace tk {

inline bool RegisterWindowClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc,
                                UINT style = 0) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    if (GetClassInfoExW(instance, name, &wc)) return true;
    wc.cbSize = sizeof wc;
    wc.style = style;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = name;
    return RegisterClassExW(&wc) != 0;
}

}  // namespace tk
