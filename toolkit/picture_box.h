// A picture box: a container with a sunken 2-px border (WS_EX_CLIENTEDGE) that
// fills its inner area with the button-face colour, draws its bitmap or icon
// unscaled at the inner top-left and clips its child controls to that area.
#pragma once

#include "toolkit/form_description.h"

#include <windows.h>

namespace tk {

inline constexpr wchar_t kPictureBoxClass[] = L"TimbusPictureBox";

bool RegisterPictureBoxClass(HINSTANCE instance);

// Passed as lpParam of CreateWindowEx: which resource the box shows.
struct PictureBoxParams {
    PictureKind kind = PictureKind::None;
    int resource_id = 0;
};

// The picture's own size in pixels (0 × 0 without a picture).
SIZE PictureBoxPictureSize(HWND box);

}  // namespace tk
