// DPI queries that newer Windows versions answer per window; on older ones
// they fall back to the system DPI, so the exe still starts there.
#pragma once

#include <windows.h>

namespace tk {

unsigned DpiForWindow(HWND window);
unsigned SystemDpi();

// The window rectangle whose client area is `client`, for the given styles.
RECT WindowRectForClient(const RECT& client, DWORD style, DWORD ex_style, unsigned dpi);

// The default dialog font ("MS Shell Dlg", 8 points) at the given DPI.
LOGFONTW DialogFont(unsigned dpi);

}  // namespace tk
