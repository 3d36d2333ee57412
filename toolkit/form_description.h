// A window is data first: a table of controls in twips, as a designer would
// draw it. Form (form.h) turns one of these tables into real windows.
#pragma once

#include "toolkit/colour.h"
#include "toolkit/twips.h"

#include <span>

namespace tk {

struct MonthCalendarSettings;
class Form;

enum class ControlKind {
    PictureBox,  // sunken 2-px border; draws a bitmap or icon unscaled; may hold controls
    PushButton,
    Label,
    Frame,  // etched rectangle with its caption in the top edge
    MonthCalendar,
};

enum class PictureKind { None, Bitmap, Icon };

// Marks "no stored colour": the control takes the dialog colours.
inline constexpr ColourValue kNoColour = 0xFFFFFFFFu;

struct ControlDescription {
    const wchar_t* name = L"";
    ControlKind kind = ControlKind::Label;
    const wchar_t* container = nullptr;  // another control's name; nullptr is the window
    TwipsRect place{};                   // from the container's inner top-left
    int tab_index = 0;
    const wchar_t* text = L"";
    ColourValue fore_colour = kNoColour;
    PictureKind picture_kind = PictureKind::None;
    int picture_id = 0;       // resource number
    bool is_default = false;  // Enter clicks it
    bool is_cancel = false;   // Esc clicks it
    int array_index = -1;     // element number within a control array
    const MonthCalendarSettings* calendar = nullptr;
    // What a screen reader says for a control that shows no text (a picture).
    const wchar_t* accessible_name = nullptr;
};

// What happens on the Click of a named control.
struct ClickHandler {
    const wchar_t* control;
    void (*on_click)(Form& form);
};

struct FormDescription {
    const wchar_t* name = L"";
    const wchar_t* caption = L"";
    TwipsRect client{};  // left, top: the client area's top-left on the screen
    ColourValue back_colour = SystemColour(COLOR_BTNFACE);
    int icon_id = 0;  // resource number of the window's icon
    std::span<const ControlDescription> controls;
    std::span<const ClickHandler> clicks;
    void (*on_destroyed)() = nullptr;
};

}  // namespace tk
