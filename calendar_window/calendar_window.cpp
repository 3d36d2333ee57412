#include "calendar_window/calendar_window.h"

#include "about_window/about_window.h"
#include "assets/resource_ids.h"
#include "toolkit/form.h"
#include "toolkit/month_calendar/month_calendar.h"

namespace calendar_window {
namespace {

using tk::ControlKind;
using tk::PictureKind;

constexpr tk::MonthCalendarSettings kMonthView1{
    .selected = {2004, 7, 19},
    .min_date = {1753, 1, 1},
    .max_date = {9999, 12, 31},
    .stored_colours = {0x80000012, 0x00FFC0C0, 0x0063783C, 0x00C0FFC0, 0x00000000, 0x0000C000,
                       0x80000012},
};

// Places and sizes in twips (15 to a pixel at 96 DPI).
constexpr tk::ControlDescription kControls[] = {
    {.name = L"Picture1",
     .kind = ControlKind::PictureBox,
     .place = {0, 0, 5295, 6015},
     .tab_index = 0,
     .picture_kind = PictureKind::Bitmap,
     .picture_id = IDB_MONITOR,
     .accessible_name = L"Монитор в деревянном корпусе, на экране календарь"},
    {.name = L"A",
     .kind = ControlKind::PushButton,
     .container = L"Picture1",
     .place = {3960, 0, 1335, 255},
     .tab_index = 2,
     .text = L"О программе !"},
    {.name = L"MonthView1",
     .kind = ControlKind::MonthCalendar,
     .container = L"Picture1",
     .place = {1200, 840, 2490, 2370},
     .tab_index = 1,
     .calendar = &kMonthView1,
     .accessible_name = L"Календарь"},
};

void OnClickA(tk::Form& form) { about_window::Open(form.app()); }

constexpr tk::ClickHandler kClicks[] = {
    {L"A", OnClickA},
};

constexpr tk::FormDescription kCalendarWindow{
    .name = L"CalendarWindow",
    .caption = L"Тимбус V 1.3",
    .client = {2265, 1950, 5295, 5895},
    .back_colour = 0x00FFC0C0,
    .icon_id = IDI_CALENDAR,
    .controls = kControls,
    .clicks = kClicks,
};

}  // namespace

const tk::FormDescription& Description() { return kCalendarWindow; }

tk::Form* Open(tk::App& app) { return app.OpenForm(kCalendarWindow); }

}  // namespace calendar_window
