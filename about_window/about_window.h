// The About window: one program-wide instance, created on first use and
// destroyed when it closes.
#pragma once

#include "toolkit/app.h"
#include "toolkit/form_description.h"

namespace about_window {

const tk::FormDescription& Description();

// Creates and shows the About window, or brings the existing one to the
// front and activates it. Returns at once.
tk::Form* Open(tk::App& app);

// The open About window, if there is one.
tk::Form* Instance();

}  // namespace about_window
