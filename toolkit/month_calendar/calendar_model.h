// The month calendar's behaviour without any window: which dates a page
// shows, how paging, keys, clicks and the zoomed views move the selection,
// and where each part sits in the box. Plain calendar dates only (proleptic
// Gregorian, no time of day, no time zone), so nothing here depends on the
// clock or the locale.
#pragma once

#include <array>
#include <chrono>
#include <optional>

namespace tk::cal {

using Date = std::chrono::year_month_day;
using Month = std::chrono::year_month;

inline constexpr Date kEarliestDate{std::chrono::year{1753}, std::chrono::January,
                                    std::chrono::day{1}};
inline constexpr Date kLatestDate{std::chrono::year{9999}, std::chrono::December,
                                  std::chrono::day{31}};

// A date from untrusted numbers (messages, settings); nothing for a day that
// does not exist, such as 29 February 2003 or month 13.
std::optional<Date> MakeDate(long long year, long long month, long long day);

Date FirstDay(Month month);
Date LastDay(Month month);
Date AddDays(Date date, int days);
// The day is clamped to the target month: 31 March minus a month is the last
// day of February.
Date AddMonths(Date date, int months);

struct DateRange {
    Date first = kEarliestDate;
    Date last = kLatestDate;

    bool Contains(Date date) const { return first <= date && date <= last; }
    bool ContainsAnyOf(Month month) const;
    bool ContainsAnyOfYears(int first_year, int last_year) const;
    Date Clamp(Date date) const;
    Month Clamp(Month month) const;
};

// Refuses a first day after the last, or either outside 1753-9999.
std::optional<DateRange> MakeRange(Date first, Date last);

// The first four are the views the platform's messages know by number. The
// two outer ones carry the zoom on to whole millennia, so that any month of
// the range is at most ten clicks away: up through the titles, down through
// the cells.
enum class View { Month = 0, Year = 1, Decade = 2, Century = 3, Millennium = 4, AllYears = 5 };

// The years one page of a multi-year view covers (10 for a decade), and the
// years one of its cells covers (a tenth of that); 0 for the month and year
// views.
int YearsPerPage(View view);
int YearsPerCell(View view);

// Month page: always six weeks, with at least one leading day, so the first
// row never starts with the 1st and both neighbouring months are in sight.
inline constexpr int kWeekColumns = 7;
inline constexpr int kWeekRows = 6;
inline constexpr int kDayCells = kWeekColumns * kWeekRows;

enum class CellKind { Leading, Current, Trailing };

struct DayCell {
    Date date;
    CellKind kind = CellKind::Current;
    bool blank = false;  // outside the range: not drawn, not clickable
};

struct MonthGrid {
    Month month;
    std::array<DayCell, kDayCells> cells;
};

int LeadingDayCount(Month month, std::chrono::weekday first_day);
MonthGrid BuildMonthGrid(Month month, std::chrono::weekday first_day, const DateRange& range);

// Zoomed views: twelve cells in four columns. The year view shows its months;
// the others ten cells of their page with the neighbouring cell on either
// side: the decade view years, the century view decades, the millennium view
// centuries, and the all-years view the millennia of 0-9999.
inline constexpr int kZoomColumns = 4;
inline constexpr int kZoomRows = 3;
inline constexpr int kZoomCells = kZoomColumns * kZoomRows;

struct ZoomCell {
    int year = 0;        // the year, or the first year of a decade, century, ...
    unsigned month = 0;  // 1-12 in the year view, 0 otherwise
    bool outside = false;
    bool blank = false;
    Date first;  // the cell's dates, clamped to the range
    Date last;
};

struct ZoomGrid {
    View view = View::Year;
    int first_year = 0;  // the years the view is about (2000-2009 for a decade)
    int last_year = 0;
    std::array<ZoomCell, kZoomCells> cells;
};

ZoomGrid BuildZoomGrid(View view, Month focus, const DateRange& range);
int ZoomCellOf(View view, Month focus);

// YearUp and YearDown are Ctrl+PageUp and Ctrl+PageDown.
enum class Key {
    Left,
    Right,
    Up,
    Down,
    PageUp,
    PageDown,
    YearUp,
    YearDown,
    Home,
    End,
    Enter,
    Escape
};

// What one action changed, so the window knows what to repaint and tell.
struct Outcome {
    bool changed = false;            // anything on show changed
    bool selection_changed = false;  // the selected date moved
    bool picked = false;             // the user chose a date outright
    bool view_changed = false;
};

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
    bool operator==(const Rect&) const = default;
};

// Font heights in pixels, measured by the window.
struct TextMetrics {
    int line_height = 13;
    int title_line_height = 13;
};

struct Layout {
    Rect client;
    Rect title;
    Rect prev_button;
    Rect next_button;
    Rect weekdays;
    Rect separator;
    Rect days;  // the six week rows
    Rect zoom;  // the zoomed views' cells use the weekday row too
    // Where the month name and the year of the title text sit; the window
    // measures them because only it knows the text and the font.
    Rect title_month;
    Rect title_year;

    Rect DayCellRect(int index) const;
    Rect WeekdayRect(int column) const;
    Rect ZoomCellRect(int index) const;
};

Layout ComputeLayout(int width, int height, const TextMetrics& metrics);

// The widest texts the box must hold, measured by the window.
struct TextWidths {
    int day = 0;        // widest day number
    int weekday = 0;    // widest weekday name
    int title = 0;      // widest title
    int zoom_cell = 0;  // widest zoomed-view cell text
};

struct Size {
    int width = 0;
    int height = 0;
};

Size MinimumSize(const TextMetrics& metrics, const TextWidths& widths);

enum class HitPart {
    Nowhere,
    TitleBackground,
    PrevButton,
    NextButton,
    TitleMonth,
    TitleYear,
    WeekdayRow,
    Background,  // inside the body, but on no date (including blank days)
    Day,
    ZoomCell,
};

struct Hit {
    HitPart part = HitPart::Nowhere;
    Rect rect;
    int cell = -1;
    int row = -1;
    int column = -1;
    CellKind kind = CellKind::Current;  // a day or zoom cell of a neighbouring period
    std::optional<Date> first;          // the cell's first and last date
    std::optional<Date> last;
};

class Calendar {
public:
    explicit Calendar(Date selected);

    Date selected() const { return selected_; }
    Month shown_month() const { return selected_.year() / selected_.month(); }
    View view() const { return view_; }
    Month focus() const { return focus_; }
    const DateRange& range() const { return range_; }
    std::chrono::weekday first_day() const { return first_day_; }

    MonthGrid Grid() const { return BuildMonthGrid(shown_month(), first_day_, range_); }
    ZoomGrid Zoom() const { return BuildZoomGrid(view_, focus_, range_); }
    int FocusCell() const { return ZoomCellOf(view_, focus_); }

    // Programmatic changes: refuse what is not allowed and change nothing then.
    bool Select(Date date);
    bool SetRange(const DateRange& range);
    void SetFirstDay(std::chrono::weekday first_day);
    bool SetView(View view);

    // The previous (-1) or next (+1) page in the current view's unit.
    bool CanPage(int direction) const;
    Outcome Page(int direction);
    // Wheel turns in WHEEL_DELTA units of 120; a notch towards the user is
    // negative and pages forward.
    Outcome Wheel(int delta);
    Outcome Press(Key key);
    Outcome Click(const Layout& layout, int x, int y);
    Outcome ZoomOut();
    Outcome ZoomIn(int cell);

    // The dates on show: the shown month (or year, decade, century) and, for
    // the day state, every date in the grid that is not blank.
    std::pair<Date, Date> VisibleDates() const;
    std::pair<Date, Date> GridDates() const;

private:
    Outcome MoveSelection(Date target, bool picked);
    Outcome MoveFocus(Month target);
    Outcome PageMonths(int months);
    Outcome PageTimes(int direction, int times);
    Month ClampFocus(Month focus) const;

    DateRange range_;  // first: the others are clamped to it
    Date selected_;
    Month focus_;
    View view_ = View::Month;
    std::chrono::weekday first_day_ = std::chrono::Monday;
    int wheel_remainder_ = 0;
};

Hit HitTest(const Calendar& calendar, const Layout& layout, int x, int y);

// Months from the first to the last date, both counted, as the platform's
// month range queries report them.
int MonthsSpanned(Date first, Date last);

}  // namespace tk::cal
