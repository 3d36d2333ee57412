// The program's main window: the monitor picture with the month calendar on
// its screen and the About button.
#pragma once

#include "toolkit/app.h"
#include "toolkit/form_description.h"

namespace calendar_window {

const tk::FormDescription& Description();

// Creates and shows the window; nullptr on failure.
tk::Form* Open(tk::App& app);

}  // namespace calendar_window
