// The month calendar window: one month on a page, a title to zoom out to
// years, decades and centuries, and the platform month calendar's MCM_*
// messages and MCN_* notifications, so automation tools can read and drive it.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <vector>

#include "toolkit/colour.h"

namespace tk {

inline constexpr wchar_t kMonthCalendarClassName[] = L"TimbusMonthCalendar";

struct CalendarDate {
    int year;
    int month;
    int day;
};

struct MonthCalendarSettings {
    CalendarDate selected;
    CalendarDate min_date;
    CalendarDate max_date;
    // Seven stored colour values; calendar_colours.h tells which parts each paints.
    std::array<ColourValue, 7> stored_colours;
};

// Registers the window class once per instance; later calls only confirm it.
bool RegisterMonthCalendarClass(HINSTANCE instance);

// Range, selection and colours in one go. Refuses a range or a date it cannot
// show (the calendar keeps what it had) and returns whether all was taken.
bool ApplyMonthCalendarSettings(HWND calendar, const MonthCalendarSettings& settings);

// A text of the last paint, the font it was drawn in and the box it has to
// fit; tests measure these to prove that nothing is cut.
struct MonthCalendarText {
    std::wstring text;
    HFONT font;
    RECT box;
};
std::vector<MonthCalendarText> MonthCalendarPaintedTexts(HWND calendar);

}  // namespace tk
