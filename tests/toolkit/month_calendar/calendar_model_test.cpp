// The calendar's behaviour without a window: grids, paging, keys, zoom,
// range ends and hit cells.
#include "toolkit/month_calendar/calendar_model.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

namespace tk::cal {
namespace {

namespace chr = std::chrono;

Date D(int y, unsigned m, unsigned d) { return Date{chr::year{y}, chr::month{m}, chr::day{d}}; }

std::string Text(Date d) {
    return std::to_string(static_cast<int>(d.year())) + "-" +
           std::to_string(static_cast<unsigned>(d.month())) + "-" +
           std::to_string(static_cast<unsigned>(d.day()));
}

int ColumnOf(const MonthGrid& grid, Date date) {
    for (int i = 0; i < kDayCells; ++i) {
        if (grid.cells[static_cast<size_t>(i)].date == date) return i % kWeekColumns;
    }
    return -1;
}

// Where a known date lands in its month's grid, for either first weekday.
TEST(CalendarGrid, PutsKnownDatesUnderTheirWeekday) {
    struct Case {
        Date date;
        int iso_weekday;  // 1 Monday ... 7 Sunday
    };
    const Case cases[] = {
        {D(1753, 1, 1), 1}, {D(2004, 7, 19), 1}, {D(9999, 12, 31), 5}, {D(2000, 2, 29), 2},
        {D(1900, 3, 1), 4}, {D(1800, 1, 1), 3},  {D(1752, 12, 31), 7}, {D(2026, 12, 11), 5},
    };
    for (const Case& c : cases) {
        const Month month = c.date.year() / c.date.month();
        EXPECT_EQ(ColumnOf(BuildMonthGrid(month, chr::Monday, {}), c.date), c.iso_weekday - 1)
            << Text(c.date);
        EXPECT_EQ(ColumnOf(BuildMonthGrid(month, chr::Sunday, {}), c.date), c.iso_weekday % 7)
            << Text(c.date);
    }
}

TEST(CalendarGrid, JanuaryOf1753LeavesDecember1752Blank) {
    for (const chr::weekday first : {chr::Monday, chr::Sunday, chr::Saturday}) {
        const MonthGrid grid = BuildMonthGrid(chr::year{1753} / chr::January, first, {});
        const int leading = LeadingDayCount(grid.month, first);
        EXPECT_GE(leading, 1);
        for (int i = 0; i < kDayCells; ++i) {
            const DayCell& cell = grid.cells[static_cast<size_t>(i)];
            EXPECT_EQ(cell.blank, i < leading) << i;
            EXPECT_EQ(cell.kind == CellKind::Leading, i < leading) << i;
        }
        EXPECT_EQ(grid.cells[static_cast<size_t>(leading)].date, D(1753, 1, 1));
        EXPECT_EQ(grid.cells[static_cast<size_t>(leading - 1)].date, D(1752, 12, 31));
    }
    // 1 January 1753 was a Monday: a Monday-first grid shows a whole blank week.
    EXPECT_EQ(LeadingDayCount(chr::year{1753} / chr::January, chr::Monday), 7);
}

TEST(CalendarGrid, December9999LeavesTheYear10000Blank) {
    const MonthGrid grid = BuildMonthGrid(chr::year{9999} / chr::December, chr::Sunday, {});
    // 1 December 9999 is a Wednesday: three leading days, then 31 days.
    EXPECT_EQ(grid.cells[0].date, D(9999, 11, 28));
    EXPECT_EQ(grid.cells[3].date, D(9999, 12, 1));
    EXPECT_EQ(grid.cells[33].date, D(9999, 12, 31));
    for (int i = 0; i < kDayCells; ++i) {
        EXPECT_EQ(grid.cells[static_cast<size_t>(i)].blank, i > 33) << i;
    }
    EXPECT_EQ(grid.cells[34].kind, CellKind::Trailing);
    EXPECT_EQ(static_cast<int>(grid.cells[41].date.year()), 10000);
}

TEST(CalendarDates, RefuseDaysThatDoNotExist) {
    struct Case {
        long long y, m, d;
        bool valid;
    };
    const Case cases[] = {
        {2004, 7, 19, true},  {2004, 2, 29, true},  {2000, 2, 29, true},  {2003, 2, 29, false},
        {1900, 2, 29, false}, {2004, 0, 1, false},  {2004, 13, 1, false}, {2004, 1, 0, false},
        {2004, 1, 32, false}, {2004, 4, 31, false}, {0, 1, 1, false},     {65535, 1, 1, false},
        {-1, 1, 1, false},    {9999, 12, 31, true}, {1, 1, 1, true},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(MakeDate(c.y, c.m, c.d).has_value(), c.valid) << c.y << "-" << c.m << "-" << c.d;
    }
}

TEST(CalendarDates, MonthStepsClampTheDay) {
    struct Case {
        Date from;
        int months;
        Date to;
    };
    const Case cases[] = {
        {D(2004, 3, 31), -1, D(2004, 2, 29)},  {D(2003, 3, 31), -1, D(2003, 2, 28)},
        {D(2004, 1, 31), 1, D(2004, 2, 29)},   {D(2003, 12, 31), 2, D(2004, 2, 29)},
        {D(2004, 2, 29), 12, D(2005, 2, 28)},  {D(2004, 5, 31), 1, D(2004, 6, 30)},
        {D(2004, 7, 19), -7, D(2003, 12, 19)}, {D(1753, 1, 31), 1, D(1753, 2, 28)},
    };
    for (const Case& c : cases)
        EXPECT_EQ(AddMonths(c.from, c.months), c.to) << Text(c.from);
}

TEST(CalendarRange, RefusesRangesItCannotShow) {
    EXPECT_TRUE(MakeRange(kEarliestDate, kLatestDate));
    EXPECT_TRUE(MakeRange(D(2004, 7, 19), D(2004, 7, 19)));
    EXPECT_FALSE(MakeRange(D(2004, 7, 20), D(2004, 7, 19)));
    EXPECT_FALSE(MakeRange(D(1752, 12, 31), D(2004, 1, 1)));
    EXPECT_FALSE(MakeRange(D(2004, 1, 1), D(10000, 1, 1)));
}

struct KeyCase {
    Date from;
    Key key;
    Date to;
    bool picked;
};

// Every key in the month view, in the middle and at both ends of the range.
TEST(CalendarKeys, MoveTheSelectionAndStopAtTheEnds) {
    const KeyCase cases[] = {
        {D(2004, 7, 19), Key::Left, D(2004, 7, 18), true},
        {D(2004, 7, 19), Key::Right, D(2004, 7, 20), true},
        {D(2004, 7, 19), Key::Up, D(2004, 7, 12), true},
        {D(2004, 7, 19), Key::Down, D(2004, 7, 26), true},
        {D(2004, 7, 19), Key::PageUp, D(2004, 6, 19), false},
        {D(2004, 7, 19), Key::PageDown, D(2004, 8, 19), false},
        {D(2004, 7, 19), Key::YearUp, D(2003, 7, 19), false},
        {D(2004, 7, 19), Key::YearDown, D(2005, 7, 19), false},
        {D(2004, 7, 19), Key::Home, D(2004, 7, 1), true},
        {D(2004, 7, 19), Key::End, D(2004, 7, 31), true},
        {D(2004, 7, 19), Key::Enter, D(2004, 7, 19), false},
        {D(2004, 7, 19), Key::Escape, D(2004, 7, 19), false},
        {D(2004, 3, 31), Key::PageUp, D(2004, 2, 29), false},
        {D(2004, 2, 29), Key::YearDown, D(2005, 2, 28), false},
        {D(2004, 7, 31), Key::Right, D(2004, 8, 1), true},
        // The first day of the range.
        {D(1753, 1, 1), Key::Left, D(1753, 1, 1), true},
        {D(1753, 1, 1), Key::Up, D(1753, 1, 1), true},
        {D(1753, 1, 1), Key::PageUp, D(1753, 1, 1), false},
        {D(1753, 1, 1), Key::YearUp, D(1753, 1, 1), false},
        {D(1753, 1, 1), Key::Home, D(1753, 1, 1), true},
        {D(1753, 1, 3), Key::Up, D(1753, 1, 1), true},
        {D(1753, 1, 19), Key::PageUp, D(1753, 1, 19), false},
        {D(1753, 12, 19), Key::YearUp, D(1753, 12, 19), false},
        {D(1754, 1, 19), Key::YearUp, D(1753, 1, 19), false},
        // The last day of the range.
        {D(9999, 12, 31), Key::Right, D(9999, 12, 31), true},
        {D(9999, 12, 31), Key::Down, D(9999, 12, 31), true},
        {D(9999, 12, 31), Key::PageDown, D(9999, 12, 31), false},
        {D(9999, 12, 31), Key::YearDown, D(9999, 12, 31), false},
        {D(9999, 12, 28), Key::Down, D(9999, 12, 31), true},
        {D(9999, 12, 20), Key::End, D(9999, 12, 31), true},
        {D(9999, 1, 5), Key::YearDown, D(9999, 1, 5), false},
    };
    for (const KeyCase& c : cases) {
        Calendar calendar(c.from);
        const Outcome outcome = calendar.Press(c.key);
        EXPECT_EQ(calendar.selected(), c.to) << Text(c.from) << " key " << static_cast<int>(c.key);
        EXPECT_EQ(outcome.selection_changed, c.from != c.to) << Text(c.from);
        EXPECT_EQ(outcome.picked, c.picked) << Text(c.from);
        EXPECT_EQ(calendar.view(), View::Month);
    }
}

TEST(CalendarKeys, StopAtTheEndsOfASetRange) {
    Calendar calendar(D(2004, 7, 19));
    ASSERT_TRUE(calendar.SetRange(*MakeRange(D(2004, 7, 10), D(2004, 8, 5))));
    EXPECT_FALSE(calendar.CanPage(-1));
    EXPECT_TRUE(calendar.CanPage(1));
    calendar.Press(Key::Home);
    EXPECT_EQ(calendar.selected(), D(2004, 7, 10));
    calendar.Press(Key::PageDown);
    EXPECT_EQ(calendar.selected(), D(2004, 8, 5));  // 10 August is out: clamped
    EXPECT_FALSE(calendar.CanPage(1));
    calendar.Press(Key::Down);
    EXPECT_EQ(calendar.selected(), D(2004, 8, 5));
    // A narrower range pulls the selection in.
    ASSERT_TRUE(calendar.SetRange(*MakeRange(D(2004, 7, 10), D(2004, 7, 20))));
    EXPECT_EQ(calendar.selected(), D(2004, 7, 20));
    EXPECT_FALSE(calendar.Select(D(2004, 7, 21)));
    EXPECT_EQ(calendar.selected(), D(2004, 7, 20));
}

TEST(CalendarZoom, TitleGoesOutAViewAtATimeAndCellsComeBackIn) {
    Calendar calendar(D(2004, 7, 19));
    const View out[] = {View::Year, View::Decade, View::Century, View::Millennium, View::AllYears};
    for (const View view : out) {
        EXPECT_TRUE(calendar.ZoomOut().view_changed);
        EXPECT_EQ(calendar.view(), view);
    }
    EXPECT_FALSE(calendar.ZoomOut().changed);  // nothing beyond all the years
    const ZoomGrid all = calendar.Zoom();
    EXPECT_EQ(all.cells[0].year, -1000);
    EXPECT_TRUE(all.cells[1].blank);  // 0-999
    EXPECT_EQ(all.cells[2].first, D(1753, 1, 1));
    EXPECT_EQ(all.cells[10].last, D(9999, 12, 31));
    EXPECT_TRUE(all.cells[11].blank);
    EXPECT_FALSE(calendar.CanPage(-1) || calendar.CanPage(1));
    EXPECT_EQ(calendar.FocusCell(), 3);  // 2000-2999
    calendar.Press(Key::Enter);
    EXPECT_EQ(calendar.Zoom().cells[1].year, 2000);  // the 2000s of the millennium view
    EXPECT_EQ(calendar.FocusCell(), 1);
    calendar.Press(Key::Enter);

    const ZoomGrid century = calendar.Zoom();
    EXPECT_EQ(century.first_year, 2000);
    EXPECT_EQ(century.cells[0].year, 1990);
    EXPECT_TRUE(century.cells[0].outside);
    EXPECT_EQ(century.cells[11].year, 2100);
    EXPECT_EQ(calendar.FocusCell(), 1);  // 2000-2009

    EXPECT_TRUE(calendar.ZoomIn(6).view_changed);  // 2050-2059, keeping the year in the decade
    EXPECT_EQ(calendar.view(), View::Decade);
    EXPECT_EQ(static_cast<int>(calendar.focus().year()), 2054);
    calendar.ZoomIn(0);  // the neighbouring year 2049
    EXPECT_EQ(calendar.view(), View::Year);
    EXPECT_EQ(static_cast<int>(calendar.focus().year()), 2049);
    const Outcome back = calendar.ZoomIn(1);  // February
    EXPECT_EQ(calendar.view(), View::Month);
    EXPECT_TRUE(back.selection_changed);
    EXPECT_FALSE(back.picked);
    EXPECT_EQ(calendar.selected(), D(2049, 2, 19));
}

TEST(CalendarZoom, KeysMoveBetweenCellsAndEnterEscZoom) {
    Calendar calendar(D(2004, 12, 31));
    calendar.ZoomOut();
    calendar.Press(Key::Right);  // December to January of the next year
    EXPECT_EQ(calendar.focus(), chr::year{2005} / chr::January);
    calendar.Press(Key::Up);
    EXPECT_EQ(calendar.focus(), chr::year{2004} / chr::September);
    calendar.Press(Key::End);
    EXPECT_EQ(calendar.focus(), chr::year{2004} / chr::December);
    calendar.Press(Key::PageUp);
    EXPECT_EQ(calendar.focus(), chr::year{2003} / chr::December);
    calendar.Press(Key::Escape);
    EXPECT_EQ(calendar.view(), View::Decade);
    calendar.Press(Key::Down);
    EXPECT_EQ(static_cast<int>(calendar.focus().year()), 2007);
    calendar.Press(Key::YearDown);  // ten decades on
    EXPECT_EQ(static_cast<int>(calendar.focus().year()), 2107);
    calendar.Press(Key::Escape);
    calendar.Press(Key::YearUp);                                 // ten centuries back
    EXPECT_EQ(static_cast<int>(calendar.focus().year()), 1753);  // clamped to the range
    EXPECT_EQ(calendar.view(), View::Century);
    calendar.Press(Key::Enter);
    EXPECT_EQ(calendar.view(), View::Decade);
    calendar.Press(Key::Enter);
    calendar.Press(Key::Enter);
    EXPECT_EQ(calendar.view(), View::Month);
    EXPECT_EQ(calendar.selected(), D(1753, 1, 31));
}

// Up through the titles and down through the cells reaches every month of
// the range from July 2004 in at most ten clicks.
TEST(CalendarZoom, AnyMonthOfTheRangeIsAFewClicksAway) {
    const Date targets[] = {D(1753, 1, 1), D(1753, 12, 1), D(1999, 12, 1), D(2004, 6, 1),
                            D(2005, 1, 1), D(5555, 5, 1),  D(9000, 1, 1),  D(9999, 12, 1)};
    for (const Date target : targets) {
        Calendar calendar(D(2004, 7, 19));
        int clicks = 0;
        while (calendar.ZoomOut().changed)
            ++clicks;
        while (calendar.view() != View::Month) {
            const ZoomGrid grid = calendar.Zoom();
            int cell = -1;
            for (int i = 0; i < kZoomCells; ++i) {
                const ZoomCell& c = grid.cells[static_cast<size_t>(i)];
                if (!c.blank && c.first <= target && target <= c.last) cell = i;
            }
            ASSERT_GE(cell, 0) << static_cast<int>(target.year()) << " not in view "
                               << static_cast<int>(calendar.view());
            ASSERT_TRUE(calendar.ZoomIn(cell).changed);
            ++clicks;
        }
        EXPECT_EQ(calendar.shown_month(), target.year() / target.month());
        EXPECT_LE(clicks, 10) << static_cast<int>(target.year());
    }
}

// The zoomed views show and accept no year outside the range.
TEST(CalendarZoom, ViewsAtTheRangeEnds) {
    struct Case {
        Date selected;
        View view;
        int first_blank_cells;  // blank cells at the start
        int last_blank_cells;   // and at the end
        bool can_page_back;
        bool can_page_on;
    };
    const Case cases[] = {
        {D(1753, 5, 5), View::Year, 0, 0, false, true},
        {D(1753, 5, 5), View::Decade, 4, 0, false, true},      // 1749-1752
        {D(1753, 5, 5), View::Century, 6, 0, false, true},     // 1690s-1740s
        {D(1753, 5, 5), View::Millennium, 8, 0, false, true},  // 900s-1600s
        {D(1753, 5, 5), View::AllYears, 2, 1, false, false},   // -1000s, 0s; 10000s
        {D(9999, 5, 5), View::Year, 0, 0, true, false},
        {D(9999, 5, 5), View::Decade, 0, 1, true, false},      // 10000
        {D(9999, 5, 5), View::Century, 0, 1, true, false},     // 10000s
        {D(9999, 5, 5), View::Millennium, 0, 1, true, false},  // 10000s
    };
    for (const Case& c : cases) {
        Calendar calendar(c.selected);
        calendar.SetView(c.view);
        const ZoomGrid grid = calendar.Zoom();
        for (int i = 0; i < kZoomCells; ++i) {
            const bool blank = i < c.first_blank_cells || i >= kZoomCells - c.last_blank_cells;
            EXPECT_EQ(grid.cells[static_cast<size_t>(i)].blank, blank)
                << static_cast<int>(c.view) << " " << i;
        }
        EXPECT_EQ(calendar.CanPage(-1), c.can_page_back);
        EXPECT_EQ(calendar.CanPage(1), c.can_page_on);
        const Month focus = calendar.focus();
        calendar.Page(c.can_page_back ? 1 : -1);
        EXPECT_EQ(calendar.focus(), focus) << "paged past the end";
        for (const Key key : {Key::Left, Key::Up, Key::Home}) {
            if (!c.can_page_back) calendar.Press(key);
        }
        for (const Key key : {Key::Right, Key::Down, Key::End}) {
            if (!c.can_page_on) calendar.Press(key);
        }
        EXPECT_TRUE(calendar.range().ContainsAnyOf(calendar.focus()));
        EXPECT_EQ(calendar.ZoomIn(0).changed, c.first_blank_cells == 0);
    }
}

TEST(CalendarWheel, AccumulatesNotchesAndStopsAtTheEnds) {
    Calendar calendar(D(2004, 7, 19));
    EXPECT_FALSE(calendar.Wheel(60).changed);
    EXPECT_TRUE(calendar.Wheel(60).changed);  // a whole notch away from the user: back
    EXPECT_EQ(calendar.selected(), D(2004, 6, 19));
    calendar.Wheel(-360);
    EXPECT_EQ(calendar.selected(), D(2004, 9, 19));
    calendar.Wheel(90);
    EXPECT_FALSE(calendar.Wheel(-60).changed);  // turning back drops the part notch
    EXPECT_TRUE(calendar.Wheel(-60).changed);
    EXPECT_EQ(calendar.selected(), D(2004, 10, 19));

    Calendar first(D(1753, 2, 10));
    first.Wheel(120 * 5);
    EXPECT_EQ(first.selected(), D(1753, 1, 10));
    first.Wheel(-120);
    EXPECT_EQ(first.selected(), D(1753, 2, 10));  // nothing saved up past the end
}

class CalendarLayout : public ::testing::Test {
protected:
    Layout layout = ComputeLayout(166, 158, {13, 13});

    static int MidX(const Rect& r) { return (r.left + r.right) / 2; }
    static int MidY(const Rect& r) { return (r.top + r.bottom) / 2; }
};

TEST_F(CalendarLayout, CellsTileTheirAreas) {
    int covered = 0;
    for (int i = 0; i < kDayCells; ++i)
        covered += layout.DayCellRect(i).width() * layout.DayCellRect(i).height();
    EXPECT_EQ(covered, layout.days.width() * layout.days.height());
    EXPECT_EQ(layout.DayCellRect(41).right, layout.days.right);
    EXPECT_EQ(layout.DayCellRect(41).bottom, layout.days.bottom);
    EXPECT_LE(layout.days.bottom, 158);
    EXPECT_GE(layout.days.height() / kWeekRows, 13);
    EXPECT_LT(layout.prev_button.right, layout.next_button.left);
}

TEST_F(CalendarLayout, HitTestFindsEveryPart) {
    Calendar calendar(D(1753, 1, 10));  // Monday first: the whole first row is blank
    layout.title_month = {50, 0, 90, layout.title.bottom};
    layout.title_year = {95, 0, 120, layout.title.bottom};
    struct Case {
        int x, y;
        HitPart part;
    };
    const Case cases[] = {
        {MidX(layout.prev_button), MidY(layout.prev_button), HitPart::PrevButton},
        {MidX(layout.next_button), MidY(layout.next_button), HitPart::NextButton},
        {60, 5, HitPart::TitleMonth},
        {100, 5, HitPart::TitleYear},
        {92, 5, HitPart::TitleBackground},
        {MidX(layout.WeekdayRect(3)), MidY(layout.weekdays), HitPart::WeekdayRow},
        {MidX(layout.DayCellRect(2)), MidY(layout.DayCellRect(2)), HitPart::Background},
        {MidX(layout.DayCellRect(7)), MidY(layout.DayCellRect(7)), HitPart::Day},
        {0, 157, HitPart::Background},
        {166, 10, HitPart::Nowhere},
        {-1, 10, HitPart::Nowhere},
        {INT_MAX, INT_MIN, HitPart::Nowhere},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(HitTest(calendar, layout, c.x, c.y).part, c.part) << c.x << "," << c.y;
    }
    // Every pixel of a day cell gives that cell, at its edges too.
    for (const int index : {7, 20, 41}) {
        const Rect r = layout.DayCellRect(index);
        for (const auto& [x, y] : {std::pair{r.left, r.top}, {r.right - 1, r.bottom - 1}}) {
            const Hit hit = HitTest(calendar, layout, x, y);
            EXPECT_EQ(hit.cell, index);
            EXPECT_EQ(hit.rect, r);
            EXPECT_EQ(hit.row * kWeekColumns + hit.column, index);
            EXPECT_EQ(*hit.first, calendar.Grid().cells[static_cast<size_t>(index)].date);
        }
    }
}

TEST_F(CalendarLayout, ClicksPickDaysAndLeadingDaysMoveTheMonth) {
    Calendar calendar(D(2004, 7, 19));  // Monday first: 28 June is cell 0
    const auto click_date = [&](Date date) {
        const MonthGrid grid = calendar.Grid();
        for (int i = 0; i < kDayCells; ++i) {
            if (grid.cells[static_cast<size_t>(i)].date == date) {
                const Rect r = layout.DayCellRect(i);
                return calendar.Click(layout, MidX(r), MidY(r));
            }
        }
        ADD_FAILURE() << Text(date) << " not on show";
        return Outcome{};
    };
    const Rect leading = layout.DayCellRect(0);
    Outcome o = calendar.Click(layout, MidX(leading), MidY(leading));
    EXPECT_TRUE(o.picked);
    EXPECT_TRUE(o.selection_changed);
    EXPECT_EQ(calendar.selected(), D(2004, 6, 28));
    EXPECT_EQ(calendar.shown_month(), chr::year{2004} / chr::June);
    o = click_date(D(2004, 6, 28));  // the selected day again
    EXPECT_TRUE(o.picked);
    EXPECT_FALSE(o.selection_changed);
    o = click_date(D(2004, 7, 3));  // a trailing day
    EXPECT_EQ(calendar.shown_month(), chr::year{2004} / chr::July);
    calendar.Click(layout, MidX(layout.next_button), MidY(layout.next_button));
    EXPECT_EQ(calendar.selected(), D(2004, 8, 3));
    calendar.Click(layout, MidX(layout.prev_button), MidY(layout.prev_button));
    calendar.Click(layout, MidX(layout.prev_button), MidY(layout.prev_button));
    EXPECT_EQ(calendar.selected(), D(2004, 6, 3));
}

// From July 2004, ordinary clicks reach any month; counts what it takes.
TEST_F(CalendarLayout, ClicksReachFarMonths) {
    layout.title_month = {40, 0, 80, layout.title.bottom};
    layout.title_year = {85, 0, 120, layout.title.bottom};
    struct Case {
        int year;
        unsigned month;
        int most_clicks;
    };
    // Paging by centuries is the slow part: one click per century.
    const Case cases[] = {{2004, 3, 2}, {2007, 1, 3}, {2031, 11, 5},
                          {1801, 3, 7}, {1753, 1, 8}, {9999, 12, 84}};
    for (const Case& c : cases) {
        Calendar calendar(D(2004, 7, 19));
        int clicks = 0;
        const auto click = [&](const Rect& r) {
            ++clicks;
            calendar.Click(layout, MidX(r), MidY(r));
        };
        const auto find_cell = [&](auto&& wanted) {
            const ZoomGrid grid = calendar.Zoom();
            for (int i = 0; i < kZoomCells; ++i) {
                if (wanted(grid.cells[static_cast<size_t>(i)])) return layout.ZoomCellRect(i);
            }
            return Rect{};
        };
        if (c.year != 2004) {
            click(layout.title_year);  // decade view
            if (c.year / 10 != 200) {
                click(layout.title_year);  // century view
                while (calendar.Zoom().first_year > c.year)
                    click(layout.prev_button);
                while (calendar.Zoom().last_year < c.year)
                    click(layout.next_button);
                click(find_cell(
                    [&](const ZoomCell& z) { return !z.outside && z.year == c.year / 10 * 10; }));
            }
            click(find_cell([&](const ZoomCell& z) { return z.year == c.year; }));
        } else {
            click(layout.title_month);
        }
        click(find_cell([&](const ZoomCell& z) { return z.month == c.month; }));
        EXPECT_EQ(calendar.view(), View::Month);
        EXPECT_EQ(calendar.shown_month(), chr::year{c.year} / chr::month{c.month});
        EXPECT_LE(clicks, c.most_clicks) << c.year;
    }
}

TEST(CalendarMonths, VisibleAndGridDatesAtTheEnds) {
    struct Case {
        Date selected;
        View view;
        Date visible_first, visible_last, grid_first, grid_last;
        int visible_months, grid_months;
    };
    const Case cases[] = {
        {D(2004, 7, 19), View::Month, D(2004, 7, 1), D(2004, 7, 31), D(2004, 6, 28), D(2004, 8, 8),
         1, 3},
        {D(1753, 1, 1), View::Month, D(1753, 1, 1), D(1753, 1, 31), D(1753, 1, 1), D(1753, 2, 4), 1,
         2},
        {D(9999, 12, 31), View::Month, D(9999, 12, 1), D(9999, 12, 31), D(9999, 11, 29),
         D(9999, 12, 31), 1, 2},
        {D(2004, 7, 19), View::Year, D(2004, 1, 1), D(2004, 12, 31), D(2004, 1, 1), D(2004, 12, 31),
         12, 12},
        {D(1753, 7, 19), View::Decade, D(1753, 1, 1), D(1759, 12, 31), D(1753, 1, 1),
         D(1760, 12, 31), 84, 96},
    };
    for (const Case& c : cases) {
        Calendar calendar(c.selected);
        calendar.SetView(c.view);
        const auto visible = calendar.VisibleDates();
        const auto grid = calendar.GridDates();
        EXPECT_EQ(visible.first, c.visible_first) << Text(c.selected);
        EXPECT_EQ(visible.second, c.visible_last) << Text(c.selected);
        EXPECT_EQ(grid.first, c.grid_first) << Text(c.selected);
        EXPECT_EQ(grid.second, c.grid_last) << Text(c.selected);
        EXPECT_EQ(MonthsSpanned(visible.first, visible.second), c.visible_months);
        EXPECT_EQ(MonthsSpanned(grid.first, grid.second), c.grid_months);
    }
}

}  // namespace
}  // namespace tk::cal
