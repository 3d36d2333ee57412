// The real control in a real window: input through SendInput, state read
// back through the month calendar messages, pixels through WM_PRINTCLIENT.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "calendar_test_host.h"
#include "toolkit/month_calendar/calendar_colours.h"

namespace tk::test {
namespace {

using cal::ColourPart;

std::string Text(const SYSTEMTIME& st) {
    return std::to_string(st.wYear) + "-" + std::to_string(st.wMonth) + "-" +
           std::to_string(st.wDay);
}

#define EXPECT_DAY(actual, y, m, d) EXPECT_PRED2(SameDay, actual, Day(y, m, d)) << Text(actual)

class MonthCalendarControl : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(host_.calendar(), nullptr);
        ASSERT_TRUE(host_.Activate()) << "the host window did not get the focus";
        host_.notifications.clear();
    }

    HWND calendar() const { return host_.calendar(); }

    void Select(int y, int m, int d) {
        const SYSTEMTIME st = Day(y, m, d);
        ASSERT_TRUE(SendMessageW(calendar(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st)));
    }

    void Click(UINT part) {
        const std::optional<POINT> point = FindPart(calendar(), part);
        ASSERT_TRUE(point) << "no part " << std::hex << part;
        ASSERT_TRUE(ClickAt(calendar(), *point));
    }

    void ClickDate(int y, int m, int d) {
        const std::optional<POINT> point = FindDate(calendar(), Day(y, m, d));
        ASSERT_TRUE(point) << y << "-" << m << "-" << d << " not on show";
        ASSERT_TRUE(ClickAt(calendar(), *point));
    }

    bool Notified(UINT code) const {
        for (const Notification& n : host_.notifications) {
            if (n.code == code) return true;
        }
        return false;
    }

    cal::ResolvedColours ProgramColours() const {
        return cal::Resolve(cal::PaletteFromStored(ProgramSettings().stored_colours));
    }

    CalendarHost host_;
};

TEST_F(MonthCalendarControl, SettingsShowJuly2004WhateverToday) {
    EXPECT_DAY(host_.Selection(), 2004, 7, 19);
    SYSTEMTIME range[2]{};
    EXPECT_EQ(
        SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_VISIBLE, reinterpret_cast<LPARAM>(range)),
        1);
    EXPECT_DAY(range[0], 2004, 7, 1);
    EXPECT_DAY(range[1], 2004, 7, 31);
    EXPECT_EQ(host_.View(), MCMV_MONTH);

    SYSTEMTIME today{}, now{};
    ASSERT_TRUE(SendMessageW(calendar(), MCM_GETTODAY, 0, reinterpret_cast<LPARAM>(&today)));
    GetLocalTime(&now);
    EXPECT_PRED2(SameDay, today, now);
    // Applying the settings again, in another view and another month, comes back.
    SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, MCMV_DECADE);
    Select(1999, 1, 1);
    EXPECT_TRUE(ApplyMonthCalendarSettings(calendar(), ProgramSettings()));
    EXPECT_DAY(host_.Selection(), 2004, 7, 19);
    EXPECT_EQ(host_.View(), MCMV_MONTH);
    EXPECT_TRUE(host_.notifications.empty()) << "programmatic changes are not told";
}

TEST_F(MonthCalendarControl, ButtonsPageMonthsAndTell) {
    Click(MCHT_TITLEBTNNEXT);
    EXPECT_DAY(host_.Selection(), 2004, 8, 19);
    ASSERT_FALSE(host_.notifications.empty());
    EXPECT_EQ(host_.notifications.back().code, static_cast<UINT>(MCN_SELCHANGE));
    EXPECT_DAY(host_.notifications.back().selected, 2004, 8, 19);
    EXPECT_FALSE(Notified(MCN_SELECT));
    Click(MCHT_TITLEBTNPREV);
    Click(MCHT_TITLEBTNPREV);
    EXPECT_DAY(host_.Selection(), 2004, 6, 19);
}

TEST_F(MonthCalendarControl, ClickingDaysSelectsAndNeighboursMoveTheMonth) {
    ClickDate(2004, 7, 5);
    EXPECT_DAY(host_.Selection(), 2004, 7, 5);
    EXPECT_TRUE(Notified(MCN_SELECT));
    EXPECT_TRUE(Notified(MCN_SELCHANGE));
    ClickDate(2004, 8, 1);  // a trailing day
    EXPECT_DAY(host_.Selection(), 2004, 8, 1);
    SYSTEMTIME range[2]{};
    SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_VISIBLE, reinterpret_cast<LPARAM>(range));
    EXPECT_EQ(range[0].wMonth, 8);
    ClickDate(2004, 7, 31);  // a leading day
    EXPECT_DAY(host_.Selection(), 2004, 7, 31);
}

TEST_F(MonthCalendarControl, TitleZoomsOutAndCellsZoomBackIn) {
    Click(MCHT_TITLEMONTH);
    EXPECT_EQ(host_.View(), MCMV_YEAR);
    EXPECT_TRUE(Notified(MCN_VIEWCHANGE));
    Click(MCHT_TITLEYEAR);
    EXPECT_EQ(host_.View(), MCMV_DECADE);
    Click(MCHT_TITLEYEAR);
    EXPECT_EQ(host_.View(), MCMV_CENTURY);
    Click(MCHT_TITLEBTNPREV);  // 1900-1999
    ClickDate(1950, 1, 1);     // the 1950s
    EXPECT_EQ(host_.View(), MCMV_DECADE);
    ClickDate(1957, 1, 1);
    EXPECT_EQ(host_.View(), MCMV_YEAR);
    ClickDate(1957, 3, 1);
    EXPECT_EQ(host_.View(), MCMV_MONTH);
    EXPECT_DAY(host_.Selection(), 1957, 3, 19);
    // The year of the month view's title goes straight to the decade.
    Click(MCHT_TITLEYEAR);
    EXPECT_EQ(host_.View(), MCMV_DECADE);
}

// From July 2004 to either end of the range by clicks alone: up through
// the titles to all the years, then down through the cells.
TEST_F(MonthCalendarControl, EitherEndOfTheRangeIsNineClicksAway) {
    struct Case {
        SYSTEMTIME cells[4];  // the millennium, century, decade and year to click
        int month;
    };
    const Case cases[] = {
        {{Day(9000, 1, 1), Day(9900, 1, 1), Day(9990, 1, 1), Day(9999, 1, 1)}, 12},
        {{Day(1753, 1, 1), Day(1753, 1, 1), Day(1753, 1, 1), Day(1753, 1, 1)}, 1},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ApplyMonthCalendarSettings(calendar(), ProgramSettings()));
        for (int i = 0; i < 4; ++i)
            Click(MCHT_TITLEYEAR);
        EXPECT_EQ(host_.View(), MCMV_CENTURY);  // the messages know no view beyond
        SYSTEMTIME shown[2]{};
        SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_VISIBLE, reinterpret_cast<LPARAM>(shown));
        EXPECT_DAY(shown[0], 1753, 1, 1);  // all the years are one page
        EXPECT_DAY(shown[1], 9999, 12, 31);
        Click(MCHT_TITLEBTNPREV);
        Click(MCHT_TITLEBTNNEXT);
        EXPECT_EQ(SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_VISIBLE,
                               reinterpret_cast<LPARAM>(shown)),
                  (9999 - 1753) * 12 + 12);
        EXPECT_DAY(shown[0], 1753, 1, 1);
        for (const SYSTEMTIME& cell : c.cells)
            ClickDate(cell.wYear, cell.wMonth, cell.wDay);
        EXPECT_EQ(host_.View(), MCMV_YEAR);
        ClickDate(c.cells[3].wYear, c.month, 1);
        EXPECT_EQ(host_.View(), MCMV_MONTH);
        const SYSTEMTIME selected = host_.Selection();
        EXPECT_EQ(selected.wYear, c.cells[3].wYear);
        EXPECT_EQ(selected.wMonth, c.month);
    }
}

TEST_F(MonthCalendarControl, KeysMoveTheSelection) {
    struct Case {
        WORD key;
        bool control;
        int y, m, d;
    };
    const Case cases[] = {
        {VK_RIGHT, false, 2004, 7, 20}, {VK_DOWN, false, 2004, 7, 27},
        {VK_LEFT, false, 2004, 7, 26},  {VK_UP, false, 2004, 7, 19},
        {VK_NEXT, false, 2004, 8, 19},  {VK_PRIOR, false, 2004, 7, 19},
        {VK_NEXT, true, 2005, 7, 19},   {VK_PRIOR, true, 2004, 7, 19},
        {VK_END, false, 2004, 7, 31},   {VK_HOME, false, 2004, 7, 1},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(PressKey(c.key, c.control));
        EXPECT_DAY(host_.Selection(), c.y, c.m, c.d) << " after key " << c.key;
    }
    EXPECT_TRUE(Notified(MCN_SELECT));
}

TEST_F(MonthCalendarControl, EnterAndEscZoomOnlyWhileZoomedOut) {
    MSG enter{calendar(), WM_KEYDOWN, VK_RETURN, 0, 0, {}};
    MSG escape{calendar(), WM_KEYDOWN, VK_ESCAPE, 0, 0, {}};
    MSG arrow{calendar(), WM_KEYDOWN, VK_LEFT, 0, 0, {}};
    const auto code = [this](MSG* msg) {
        return SendMessageW(calendar(), WM_GETDLGCODE, msg ? msg->wParam : 0,
                            reinterpret_cast<LPARAM>(msg));
    };
    EXPECT_EQ(code(&enter) & DLGC_WANTMESSAGE, 0);
    EXPECT_EQ(code(&escape) & DLGC_WANTMESSAGE, 0);
    EXPECT_NE(code(&arrow) & DLGC_WANTARROWS, 0);
    EXPECT_EQ(code(nullptr), DLGC_WANTARROWS);
    EXPECT_EQ(code(&arrow) & (DLGC_WANTTAB | DLGC_WANTALLKEYS), 0) << "Tab belongs to the dialog";

    ASSERT_TRUE(PressKey(VK_ESCAPE));
    EXPECT_EQ(host_.View(), MCMV_MONTH);
    Click(MCHT_TITLEMONTH);
    EXPECT_NE(code(&enter) & DLGC_WANTMESSAGE, 0);
    EXPECT_NE(code(&escape) & DLGC_WANTMESSAGE, 0);
    ASSERT_TRUE(PressKey(VK_ESCAPE));
    EXPECT_EQ(host_.View(), MCMV_DECADE);
    ASSERT_TRUE(PressKey(VK_RIGHT));  // 2005
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_EQ(host_.View(), MCMV_YEAR);
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_EQ(host_.View(), MCMV_MONTH);
    EXPECT_DAY(host_.Selection(), 2005, 7, 19);
}

TEST_F(MonthCalendarControl, WheelPagesByWholeNotches) {
    const POINT middle{83, 90};
    ASSERT_TRUE(WheelAt(calendar(), middle, -WHEEL_DELTA));
    EXPECT_DAY(host_.Selection(), 2004, 8, 19);
    ASSERT_TRUE(WheelAt(calendar(), middle, WHEEL_DELTA / 2));
    EXPECT_DAY(host_.Selection(), 2004, 8, 19);
    ASSERT_TRUE(WheelAt(calendar(), middle, WHEEL_DELTA / 2));
    EXPECT_DAY(host_.Selection(), 2004, 7, 19);
}

TEST_F(MonthCalendarControl, NothingBeforeJanuary1753IsShownOrTaken) {
    Select(1753, 1, 1);
    SYSTEMTIME grid[2]{};
    EXPECT_EQ(
        SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_DAYSTATE, reinterpret_cast<LPARAM>(grid)),
        2);
    EXPECT_DAY(grid[0], 1753, 1, 1);
    EXPECT_FALSE(FindDate(calendar(), Day(1752, 12, 31))) << "December 1752 is on show";
    // The blank leading cell answers as background and ignores clicks.
    const std::optional<POINT> blank = FindHit(calendar(), [](const MCHITTESTINFO& info) {
        return info.uHit == MCHT_CALENDARBK && info.iRow == 0;
    });
    ASSERT_TRUE(blank);
    ASSERT_TRUE(ClickAt(calendar(), *blank));
    Click(MCHT_TITLEBTNPREV);
    ASSERT_TRUE(PressKey(VK_PRIOR));
    ASSERT_TRUE(PressKey(VK_LEFT));
    ASSERT_TRUE(WheelAt(calendar(), {83, 90}, WHEEL_DELTA));
    EXPECT_DAY(host_.Selection(), 1753, 1, 1);
    EXPECT_FALSE(Notified(MCN_SELCHANGE));

    // The century view shows no decade before the 1750s.
    SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, MCMV_CENTURY);
    EXPECT_FALSE(FindDate(calendar(), Day(1740, 1, 1)));
    ASSERT_TRUE(FindDate(calendar(), Day(1753, 1, 1)));
    Click(MCHT_TITLEBTNPREV);
    EXPECT_EQ(host_.View(), MCMV_CENTURY);
    SYSTEMTIME shown[2]{};
    SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_VISIBLE, reinterpret_cast<LPARAM>(shown));
    EXPECT_DAY(shown[0], 1753, 1, 1);
}

TEST_F(MonthCalendarControl, NothingAfterDecember9999IsShownOrTaken) {
    Select(9999, 12, 31);
    EXPECT_FALSE(FindPart(calendar(), MCHT_CALENDARDATENEXT)) << "January 10000 is on show";
    Click(MCHT_TITLEBTNNEXT);
    ASSERT_TRUE(PressKey(VK_NEXT));
    ASSERT_TRUE(PressKey(VK_NEXT, true));
    ASSERT_TRUE(PressKey(VK_DOWN));
    ASSERT_TRUE(WheelAt(calendar(), {83, 90}, -WHEEL_DELTA));
    EXPECT_DAY(host_.Selection(), 9999, 12, 31);
    SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, MCMV_DECADE);
    EXPECT_FALSE(FindDate(calendar(), Day(10000, 1, 1)));
    ASSERT_TRUE(PressKey(VK_RIGHT));
    ASSERT_TRUE(PressKey(VK_RETURN));
    ASSERT_TRUE(PressKey(VK_RETURN));
    EXPECT_DAY(host_.Selection(), 9999, 12, 31);
}

TEST_F(MonthCalendarControl, SetRangeRefusesWhatItCannotShow) {
    SYSTEMTIME limits[2] = {Day(2004, 7, 10), Day(2004, 8, 5)};
    ASSERT_TRUE(SendMessageW(calendar(), MCM_SETRANGE, GDTR_MIN | GDTR_MAX,
                             reinterpret_cast<LPARAM>(limits)));
    SYSTEMTIME read[2]{};
    EXPECT_EQ(SendMessageW(calendar(), MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(read)),
              GDTR_MIN | GDTR_MAX);
    EXPECT_DAY(read[0], 2004, 7, 10);
    EXPECT_DAY(read[1], 2004, 8, 5);
    Click(MCHT_TITLEBTNNEXT);
    EXPECT_DAY(host_.Selection(), 2004, 8, 5);
    EXPECT_FALSE(FindDate(calendar(), Day(2004, 8, 6)));

    struct Case {
        WPARAM flags;
        SYSTEMTIME min, max;
    };
    const Case refused[] = {
        {GDTR_MIN | GDTR_MAX, Day(2004, 8, 5), Day(2004, 7, 10)},
        {GDTR_MIN, Day(1752, 12, 31), {}},
        {GDTR_MAX, {}, Day(10000, 1, 1)},
        {GDTR_MIN, Day(2003, 2, 29), {}},
        {GDTR_MAX, {}, Day(2004, 13, 1)},
        {GDTR_MIN | GDTR_MAX, Day(0, 1, 1), Day(65535, 12, 31)},
        {0x10, Day(2004, 1, 1), Day(2004, 2, 1)},
    };
    for (const Case& c : refused) {
        SYSTEMTIME pair[2] = {c.min, c.max};
        EXPECT_FALSE(
            SendMessageW(calendar(), MCM_SETRANGE, c.flags, reinterpret_cast<LPARAM>(pair)));
    }
    EXPECT_FALSE(SendMessageW(calendar(), MCM_SETRANGE, GDTR_MIN, 0));
    EXPECT_EQ(SendMessageW(calendar(), MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(read)),
              GDTR_MIN | GDTR_MAX);
    EXPECT_DAY(read[1], 2004, 8, 5);
    // Clearing both limits goes back to 1753-9999, reported as no limit set.
    EXPECT_TRUE(SendMessageW(calendar(), MCM_SETRANGE, 0, 0));
    EXPECT_EQ(SendMessageW(calendar(), MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(read)), 0);
    Select(1753, 1, 1);
}

TEST_F(MonthCalendarControl, HostileArgumentsAreRefused) {
    const SYSTEMTIME bad[] = {Day(2004, 0, 1),  Day(2004, 13, 1),  Day(2004, 1, 0),
                              Day(2004, 1, 32), Day(2003, 2, 29),  Day(0, 1, 1),
                              Day(65535, 1, 1), Day(1752, 12, 31), Day(10000, 1, 1)};
    for (const SYSTEMTIME& st : bad) {
        EXPECT_FALSE(SendMessageW(calendar(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st)))
            << Text(st);
        EXPECT_DAY(host_.Selection(), 2004, 7, 19);
    }
    EXPECT_FALSE(SendMessageW(calendar(), MCM_SETCURSEL, 0, 0));
    EXPECT_FALSE(SendMessageW(calendar(), MCM_GETCURSEL, 0, 0));
    EXPECT_FALSE(SendMessageW(calendar(), MCM_GETTODAY, 0, 0));
    EXPECT_FALSE(SendMessageW(calendar(), MCM_GETMINREQRECT, 0, 0));
    EXPECT_EQ(SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_VISIBLE, 0), 1);
    EXPECT_EQ(SendMessageW(calendar(), MCM_GETMONTHRANGE, 7, 0), 0);
    EXPECT_EQ(SendMessageW(calendar(), MCM_HITTEST, 0, 0), -1);
    EXPECT_EQ(SendMessageW(calendar(), MCM_SETCOLOR, 6, 0), -1);
    EXPECT_EQ(SendMessageW(calendar(), MCM_SETCOLOR, static_cast<WPARAM>(-1), 0), -1);
    EXPECT_EQ(SendMessageW(calendar(), MCM_SETCOLOR, MCSC_TEXT, static_cast<LPARAM>(0xFF000000u)),
              -1);
    EXPECT_EQ(SendMessageW(calendar(), MCM_GETCOLOR, 99, 0), -1);
    EXPECT_FALSE(SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, 4));
    EXPECT_FALSE(SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, -1));
    EXPECT_EQ(host_.View(), MCMV_MONTH);
    EXPECT_FALSE(ApplyMonthCalendarSettings(nullptr, ProgramSettings()));
    EXPECT_FALSE(ApplyMonthCalendarSettings(host_.host(), ProgramSettings())) << "not a calendar";
    MonthCalendarSettings wrong = ProgramSettings();
    wrong.selected = {2003, 2, 29};
    EXPECT_FALSE(ApplyMonthCalendarSettings(calendar(), wrong));
    EXPECT_DAY(host_.Selection(), 2004, 7, 19);

    MCHITTESTINFO info{};
    info.cbSize = 3;
    info.pt = {20, 60};
    EXPECT_EQ(SendMessageW(calendar(), MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)), -1);
    for (const POINT distant :
         {POINT{-100000, 5}, POINT{INT_MAX, INT_MAX}, POINT{INT_MIN, INT_MIN}, POINT{166, 157}}) {
        info.cbSize = sizeof(info);
        info.pt = distant;
        EXPECT_EQ(SendMessageW(calendar(), MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info)),
                  MCHT_NOWHERE);
    }
}

TEST_F(MonthCalendarControl, HitTestFillsWhatTheCallerSizeAllows) {
    const std::optional<POINT> point = FindDate(calendar(), Day(2004, 7, 19));
    ASSERT_TRUE(point);
    MCHITTESTINFO old_size{};
    old_size.cbSize = MCHITTESTINFO_V1_SIZE;
    old_size.pt = *point;
    old_size.rc = {-7, -7, -7, -7};
    old_size.iRow = old_size.iCol = -7;
    EXPECT_EQ(SendMessageW(calendar(), MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&old_size)),
              MCHT_CALENDARDATE);
    EXPECT_DAY(old_size.st, 2004, 7, 19);
    EXPECT_EQ(old_size.st.wDayOfWeek, 1);  // Monday
    EXPECT_EQ(old_size.rc.left, -7) << "wrote past the caller's size";
    EXPECT_EQ(old_size.iRow, -7);

    MCHITTESTINFO full{};
    full.cbSize = sizeof(full);
    full.pt = *point;
    EXPECT_EQ(SendMessageW(calendar(), MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&full)),
              MCHT_CALENDARDATE);
    EXPECT_TRUE(PtInRect(&full.rc, *point));
    EXPECT_EQ(full.iRow, 3);  // the fourth week row in either first weekday
    const int first_day = LOWORD(SendMessageW(calendar(), MCM_GETFIRSTDAYOFWEEK, 0, 0));
    EXPECT_EQ(full.iCol, (7 - first_day) % 7);  // Monday's column
    full.pt = {full.rc.left, full.rc.top};
    SendMessageW(calendar(), MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&full));
    EXPECT_DAY(full.st, 2004, 7, 19);
}

TEST_F(MonthCalendarControl, MonthRangeCountsTheMonthsOnShow) {
    struct Case {
        SYSTEMTIME selected;
        int view;
        LRESULT visible, day_state;
    };
    const Case cases[] = {
        {Day(2004, 7, 19), MCMV_MONTH, 1, 3},      {Day(1753, 1, 19), MCMV_MONTH, 1, 2},
        {Day(9999, 12, 1), MCMV_MONTH, 1, 2},      {Day(2004, 7, 19), MCMV_YEAR, 12, 12},
        {Day(2004, 7, 19), MCMV_DECADE, 120, 144}, {Day(9999, 1, 1), MCMV_CENTURY, 1200, 1320},
    };
    for (const Case& c : cases) {
        SendMessageW(calendar(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&c.selected));
        SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, c.view);
        SYSTEMTIME range[2]{};
        EXPECT_EQ(SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_VISIBLE,
                               reinterpret_cast<LPARAM>(range)),
                  c.visible);
        EXPECT_EQ(SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_DAYSTATE,
                               reinterpret_cast<LPARAM>(range)),
                  c.day_state)
            << Text(c.selected) << " view " << c.view;
        SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, MCMV_MONTH);
    }
}

TEST_F(MonthCalendarControl, SelectionAndColoursArePaintedWhereTheyBelong) {
    const SYSTEMTIME today = Day(2004, 7, 8);
    SendMessageW(calendar(), MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(&today));
    SetFocus(host_.host());  // no focus rectangle in the way
    const cal::ResolvedColours colours = ProgramColours();
    const Image image = Render(calendar());
    ASSERT_EQ(image.width, 166);

    const RECT selected = HitRect(calendar(), *FindDate(calendar(), Day(2004, 7, 19)));
    const RECT plain = HitRect(calendar(), *FindDate(calendar(), Day(2004, 7, 20)));
    const RECT today_cell = HitRect(calendar(), *FindDate(calendar(), Day(2004, 7, 8)));
    const RECT trailing = HitRect(calendar(), *FindDate(calendar(), Day(2004, 8, 2)));
    const RECT title = HitRect(calendar(), *FindPart(calendar(), MCHT_TITLEMONTH));
    const RECT weekday = HitRect(calendar(), *FindPart(calendar(), MCHT_CALENDARDAY));
    const auto inner = [](RECT r) {
        return RECT{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    };

    // The selection is a filled box with its text on it...
    EXPECT_EQ(image.At(selected.left + 2, selected.top + 2),
              colours[ColourPart::SelectionBackground]);
    EXPECT_GT(image.Count(inner(selected), colours[ColourPart::SelectionText]), 5);
    EXPECT_EQ(image.Count(inner(plain), colours[ColourPart::SelectionBackground]), 0);
    // ...today is a frame...
    EXPECT_EQ(image.At(today_cell.left + 1, (today_cell.top + today_cell.bottom) / 2),
              colours[ColourPart::TodayFrame]);
    EXPECT_EQ(image.At(today_cell.left + 3, today_cell.top + 3),
              colours[ColourPart::MonthBackground]);
    EXPECT_EQ(image.At(plain.left + 1, (plain.top + plain.bottom) / 2),
              colours[ColourPart::MonthBackground]);
    // ...and each text sits on its own background in its own colour.
    EXPECT_GT(image.Count(inner(plain), colours[ColourPart::Text]), 5);
    EXPECT_GT(image.Count(inner(trailing), colours[ColourPart::TrailingText]), 5);
    EXPECT_EQ(image.Count(inner(trailing), colours[ColourPart::Text]), 0);
    EXPECT_GT(image.Count(weekday, colours[ColourPart::WeekdayText]), 5);
    EXPECT_EQ(image.At(title.left - 2, title.top + 1), colours[ColourPart::TitleBackground]);
    EXPECT_GT(image.Count(title, colours[ColourPart::TitleText]), 10);
    EXPECT_EQ(image.At(1, 157), colours[ColourPart::Background]);
}

TEST_F(MonthCalendarControl, ArrowIsDrawnDisabledAtTheRangeEnd) {
    const COLORREF arrow = ProgramColours()[ColourPart::TitleText];
    const RECT prev = HitRect(calendar(), *FindPart(calendar(), MCHT_TITLEBTNPREV));
    const RECT next = HitRect(calendar(), *FindPart(calendar(), MCHT_TITLEBTNNEXT));
    Image image = Render(calendar());
    EXPECT_GT(image.Count(prev, arrow), 10);
    Select(1753, 1, 1);
    image = Render(calendar());
    EXPECT_EQ(image.Count(prev, arrow), 0);
    EXPECT_GT(image.Count(next, arrow), 10);
    Select(9999, 12, 31);
    image = Render(calendar());
    EXPECT_GT(image.Count(prev, arrow), 10);
    EXPECT_EQ(image.Count(next, arrow), 0);
}

TEST_F(MonthCalendarControl, SetColourTakesSystemColoursAndResolvesThemWhenPainting) {
    EXPECT_EQ(static_cast<ColourValue>(SendMessageW(calendar(), MCM_GETCOLOR, MCSC_MONTHBK, 0)),
              0x00FFC0C0u);
    const LRESULT previous = SendMessageW(calendar(), MCM_SETCOLOR, MCSC_MONTHBK,
                                          static_cast<LPARAM>(SystemColour(COLOR_WINDOW)));
    EXPECT_EQ(static_cast<ColourValue>(previous), 0x00FFC0C0u);
    EXPECT_EQ(static_cast<ColourValue>(SendMessageW(calendar(), MCM_GETCOLOR, MCSC_MONTHBK, 0)),
              SystemColour(COLOR_WINDOW));
    SendMessageW(calendar(), MCM_SETCOLOR, MCSC_TITLEBK, RGB(1, 2, 3));
    const Image image = Render(calendar());
    const RECT plain = HitRect(calendar(), *FindDate(calendar(), Day(2004, 7, 20)));
    EXPECT_EQ(image.At(plain.left + 1, plain.top + 1), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(image.At(2, 2), RGB(1, 2, 3));
}

TEST_F(MonthCalendarControl, FocusRectangleFollowsFocusAndUiState) {
    const RECT selected = HitRect(calendar(), *FindDate(calendar(), Day(2004, 7, 19)));
    const Image focused = Render(calendar());
    SetFocus(host_.host());
    PumpFor(10);
    const Image unfocused = Render(calendar());
    EXPECT_NE(focused.Count(selected, ProgramColours()[ColourPart::SelectionBackground]),
              unfocused.Count(selected, ProgramColours()[ColourPart::SelectionBackground]));
    SetFocus(calendar());
    SendMessageW(calendar(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_SET, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(Render(calendar()), unfocused) << "focus rectangle drawn while hidden";
    SendMessageW(calendar(), WM_UPDATEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    EXPECT_EQ(Render(calendar()), focused);
}

TEST_F(MonthCalendarControl, HighContrastUsesTheSystemColours) {
    HIGHCONTRASTW hc{};
    hc.cbSize = sizeof(hc);
    ASSERT_TRUE(SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof(hc), &hc, 0));
    HIGHCONTRASTW on = hc;
    on.dwFlags |= HCF_HIGHCONTRASTON;
    if (!SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(on), &on, 0)) {
        GTEST_SKIP()
            << "Wine 8 does not implement SPI_SETHIGHCONTRAST; high contrast is untested here";
    }
    SendMessageW(calendar(), WM_SYSCOLORCHANGE, 0, 0);
    const Image image = Render(calendar());
    SystemParametersInfoW(SPI_SETHIGHCONTRAST, sizeof(hc), &hc, 0);
    SendMessageW(calendar(), WM_SYSCOLORCHANGE, 0, 0);
    const RECT plain = HitRect(calendar(), *FindDate(calendar(), Day(2004, 7, 20)));
    EXPECT_EQ(image.At(plain.left + 1, plain.top + 1), GetSysColor(COLOR_WINDOW));
    EXPECT_EQ(image.At(2, 2), GetSysColor(COLOR_BTNFACE));
}

TEST_F(MonthCalendarControl, TodayIsFramedFromTheClock) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    Select(now.wYear, now.wMonth, now.wDay == 1 ? 2 : 1);  // today on show, not selected
    SetFocus(host_.host());
    const Image image = Render(calendar());
    const std::optional<POINT> today = FindDate(calendar(), Day(now.wYear, now.wMonth, now.wDay));
    ASSERT_TRUE(today);
    const RECT cell = HitRect(calendar(), *today);
    EXPECT_EQ(image.At(cell.left + 1, (cell.top + cell.bottom) / 2),
              ProgramColours()[ColourPart::TodayFrame]);
}

TEST_F(MonthCalendarControl, DisabledCalendarIgnoresInputAndGreysItsText) {
    const RECT plain = HitRect(calendar(), *FindDate(calendar(), Day(2004, 7, 20)));
    const std::optional<POINT> next = FindPart(calendar(), MCHT_TITLEBTNNEXT);
    ASSERT_TRUE(next);
    EnableWindow(calendar(), FALSE);
    ASSERT_TRUE(ClickAt(calendar(), *next));
    EXPECT_DAY(host_.Selection(), 2004, 7, 19);
    const Image image = Render(calendar());
    EXPECT_EQ(image.Count(plain, ProgramColours()[ColourPart::Text]), 0);
    EXPECT_GT(image.Count(plain, GetSysColor(COLOR_GRAYTEXT)), 5);
    EnableWindow(calendar(), TRUE);
    ASSERT_TRUE(ClickAt(calendar(), *next));
    EXPECT_DAY(host_.Selection(), 2004, 8, 19);
}

TEST_F(MonthCalendarControl, KeepsTheFontItIsGivenAndDerivesABoldTitle) {
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(calendar(), WM_GETFONT, 0, 0)), host_.font());
    Render(calendar());
    const std::vector<MonthCalendarText> texts = MonthCalendarPaintedTexts(calendar());
    ASSERT_GT(texts.size(), 2u);
    EXPECT_EQ(texts[1].font, host_.font());
    LOGFONTW title{};
    ASSERT_EQ(GetObjectW(texts[0].font, sizeof(title), &title), static_cast<int>(sizeof(title)));
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    // The same bold font serves every paint.
    Render(calendar());
    EXPECT_EQ(MonthCalendarPaintedTexts(calendar())[0].font, texts[0].font);
}

// Every text of every view, at every DPI the program supports, measured with
// the font it was drawn in.
TEST(MonthCalendarFit, NoTextIsCutAtAnyDpi) {
    for (const unsigned dpi : {96u, 120u, 144u}) {
        CalendarHost host(dpi);
        ASSERT_NE(host.calendar(), nullptr);
        RECT client{};
        GetClientRect(host.calendar(), &client);
        RECT minimum{};
        ASSERT_TRUE(SendMessageW(host.calendar(), MCM_GETMINREQRECT, 0,
                                 reinterpret_cast<LPARAM>(&minimum)));
        EXPECT_LE(minimum.right, client.right) << dpi;
        EXPECT_LE(minimum.bottom, client.bottom) << dpi;
        const SYSTEMTIME months[] = {Day(2004, 7, 19), Day(2004, 9, 30), Day(1753, 1, 1),
                                     Day(9999, 12, 31)};
        int checked = 0;
        for (const SYSTEMTIME& month : months) {
            SendMessageW(host.calendar(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&month));
            for (int view = MCMV_MONTH; view <= MCMV_CENTURY; ++view) {
                SendMessageW(host.calendar(), MCM_SETCURRENTVIEW, 0, view);
                Render(host.calendar());
                WindowDC dc(host.calendar());
                for (const MonthCalendarText& t : MonthCalendarPaintedTexts(host.calendar())) {
                    ScopedSelect select(dc.get(), t.font);
                    SIZE size{};
                    TEXTMETRICW tm{};
                    GetTextExtentPoint32W(dc.get(), t.text.c_str(), static_cast<int>(t.text.size()),
                                          &size);
                    GetTextMetricsW(dc.get(), &tm);
                    std::vector<WORD> glyphs(t.text.size());
                    GetGlyphIndicesW(dc.get(), t.text.c_str(), static_cast<int>(t.text.size()),
                                     glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS);
                    for (const WORD glyph : glyphs)
                        EXPECT_NE(glyph, 0xFFFF) << "a character the font cannot draw";
                    const int width = t.box.right - t.box.left;
                    EXPECT_LE(size.cx + 2, width)
                        << dpi << " dpi, view " << view << ", text " << t.text.size();
                    EXPECT_LE(tm.tmHeight, t.box.bottom - t.box.top)
                        << dpi << " dpi, view " << view;
                    EXPECT_GE(t.box.left, 0);
                    EXPECT_LE(t.box.right, client.right);
                    EXPECT_LE(t.box.bottom, client.bottom);
                    ++checked;
                }
            }
        }
        EXPECT_GT(checked, 300) << "fewer texts than the views show";
    }
}

TEST(MonthCalendarFit, CellsFollowTheClientSize) {
    CalendarHost host(96);
    const RECT small = HitRect(host.calendar(), *FindDate(host.calendar(), Day(2004, 7, 19)));
    SetWindowPos(host.calendar(), nullptr, 0, 0, 249, 237, SWP_NOMOVE | SWP_NOZORDER);
    const RECT large = HitRect(host.calendar(), *FindDate(host.calendar(), Day(2004, 7, 19)));
    EXPECT_GT(large.right - large.left, small.right - small.left);
    EXPECT_GT(large.bottom - large.top, small.bottom - small.top);
}

TEST(MonthCalendarHandles, EverythingIsGivenBackOnDestroy) {
    const HandleCounts before = LiveHandleCounts();
    const DWORD gdi_before = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    {
        CalendarHost host(96);
        ASSERT_NE(host.calendar(), nullptr);
        for (int view = MCMV_MONTH; view <= MCMV_CENTURY; ++view) {
            SendMessageW(host.calendar(), MCM_SETCURRENTVIEW, 0, view);
            Render(host.calendar());
            UpdateWindow(host.calendar());
        }
        SetWindowPos(host.calendar(), nullptr, 0, 0, 200, 190, SWP_NOMOVE | SWP_NOZORDER);
        SendMessageW(host.calendar(), WM_SETFONT, 0, TRUE);  // back to its own font
        SendMessageW(host.calendar(), WM_SETTINGCHANGE, 0, 0);
        Render(host.calendar());
        // The calendar holds its fonts and buffer while it lives: the counter sees them.
        EXPECT_GT(LiveHandleCounts().gdi, before.gdi + 3);
    }
    EXPECT_EQ(LiveHandleCounts().gdi, before.gdi);
    EXPECT_EQ(LiveHandleCounts().user, before.user);
    const DWORD gdi_after = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    if (gdi_before == 0 && gdi_after == 0) {
        RecordProperty("GetGuiResources", "n/a under Wine (always 0)");
    } else {
        EXPECT_LE(gdi_after, gdi_before);
    }
}

// Runs once per user locale (see CMakeLists.txt): the words on show and the
// title's click areas in the order that locale writes them.
struct UserLocaleCase {
    const wchar_t* locale;
    const wchar_t* title;
    const wchar_t* first_weekday;
    int first_day;  // 0 Monday ... 6 Sunday
    bool year_first;
};

const UserLocaleCase kUserLocales[] = {
    {L"en-US", L"July 2004", L"Su", 6, false},  {L"ru-RU", L"июль 2004\x202Fг.", L"пн", 0, false},
    {L"en-GB", L"July 2004", L"Mo", 0, false},  {L"de-DE", L"Juli 2004", L"Mo.", 0, false},
    {L"hu-HU", L"2004. július", L"H", 0, true},
};

const UserLocaleCase* ExpectedLocale() {
    const char* name = std::getenv("TIMBUS_EXPECT_LOCALE");
    if (name == nullptr) return nullptr;
    for (const UserLocaleCase& c : kUserLocales) {
        if (std::wstring(c.locale) == std::wstring(name, name + std::strlen(name))) return &c;
    }
    return nullptr;
}

TEST(ControlInUserLocale, ShowsTheLocalesWordsAndClickAreas) {
    const UserLocaleCase* expected = ExpectedLocale();
    ASSERT_NE(expected, nullptr) << "TIMBUS_EXPECT_LOCALE names no known locale";
    wchar_t user[LOCALE_NAME_MAX_LENGTH]{};
    GetUserDefaultLocaleName(user, LOCALE_NAME_MAX_LENGTH);
    ASSERT_EQ(std::wstring(user), expected->locale) << "Wine did not take the locale from LC_ALL";

    CalendarHost host(96);
    ASSERT_TRUE(host.Activate());
    Render(host.calendar());
    const std::vector<MonthCalendarText> texts = MonthCalendarPaintedTexts(host.calendar());
    ASSERT_GT(texts.size(), 8u);
    // The font may lack the locale's narrow no-break space: a plain one stands in.
    std::wstring title = expected->title;
    std::replace(title.begin(), title.end(), L'\x202F', L' ');
    std::wstring shown = texts[0].text;
    std::replace(shown.begin(), shown.end(), L'\x202F', L' ');
    EXPECT_EQ(shown, title);
    EXPECT_EQ(texts[1].text, expected->first_weekday);
    EXPECT_EQ(LOWORD(SendMessageW(host.calendar(), MCM_GETFIRSTDAYOFWEEK, 0, 0)),
              expected->first_day);

    const RECT month = HitRect(host.calendar(), *FindPart(host.calendar(), MCHT_TITLEMONTH));
    const RECT year = HitRect(host.calendar(), *FindPart(host.calendar(), MCHT_TITLEYEAR));
    EXPECT_EQ(year.right <= month.left, expected->year_first);
    EXPECT_EQ(month.right <= year.left, !expected->year_first);
    // The areas sit on the text, whichever comes first.
    const RECT both{std::min(month.left, year.left), 0, std::max(month.right, year.right),
                    month.bottom};
    const Image image = Render(host.calendar());
    const COLORREF ink = cal::Resolve(
        cal::PaletteFromStored(ProgramSettings().stored_colours))[ColourPart::TitleText];
    const RECT prev = HitRect(host.calendar(), *FindPart(host.calendar(), MCHT_TITLEBTNPREV));
    EXPECT_GT(image.Count(month, ink), 5);
    EXPECT_GT(image.Count(year, ink), 5);
    EXPECT_EQ(image.Count(RECT{prev.right, 0, both.left, both.bottom}, ink), 0)
        << "text left of its areas";
    // Each area is about as wide as its text: "Juli" and "2004" in bold.
    EXPECT_LT(month.right - month.left, 40);
    EXPECT_LT(year.right - year.left, 32);

    ASSERT_TRUE(
        ClickAt(host.calendar(), {(year.left + year.right) / 2, (year.top + year.bottom) / 2}));
    EXPECT_EQ(host.View(), MCMV_DECADE);
}

}  // namespace
}  // namespace tk::test
