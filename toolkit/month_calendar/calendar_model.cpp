#include "toolkit/month_calendar/calendar_model.h"

#include <algorithm>

namespace tk::cal {

namespace chr = std::chrono;

namespace {

int YearOf(Month month) { return static_cast<int>(month.year()); }
int YearOf(Date date) { return static_cast<int>(date.year()); }

// First year of the page of a multi-year view that holds a year; the range
// keeps years positive, so plain remainders do.
int PageStart(View view, int year) { return year - year % YearsPerPage(view); }

Outcome Merge(Outcome a, const Outcome& b) {
    a.changed |= b.changed;
    a.selection_changed |= b.selection_changed;
    a.picked |= b.picked;
    a.view_changed |= b.view_changed;
    return a;
}

// The index of the band of `count` equal parts of [begin, end) that holds
// `value`; parts are cut at begin + i * length / count, as the cell
// rectangles are.
int BandOf(int value, int begin, int end, int count) {
    const int length = end - begin;
    const int offset = value - begin;
    int band = std::clamp(offset * count / std::max(length, 1), 0, count - 1);
    while (band + 1 < count && (band + 1) * length / count <= offset)
        ++band;
    while (band > 0 && band * length / count > offset)
        --band;
    return band;
}

Rect Band(const Rect& area, int columns, int rows, int column, int row) {
    const int w = area.width();
    const int h = area.height();
    return {area.left + column * w / columns, area.top + row * h / rows,
            area.left + (column + 1) * w / columns, area.top + (row + 1) * h / rows};
}

}  // namespace

std::optional<Date> MakeDate(long long year, long long month, long long day) {
    if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 || day > 31) {
        return std::nullopt;
    }
    const Date date{chr::year{static_cast<int>(year)}, chr::month{static_cast<unsigned>(month)},
                    chr::day{static_cast<unsigned>(day)}};
    if (!date.ok()) return std::nullopt;
    return date;
}

Date FirstDay(Month month) { return month / chr::day{1}; }

Date LastDay(Month month) { return Date{month / chr::last}; }

Date AddDays(Date date, int days) { return Date{chr::sys_days{date} + chr::days{days}}; }

Date AddMonths(Date date, int months) {
    const Month target = date.year() / date.month() + chr::months{months};
    const chr::day last = LastDay(target).day();
    return target / std::min(date.day(), last);
}

bool DateRange::ContainsAnyOf(Month month) const {
    return FirstDay(month) <= last && LastDay(month) >= first;
}

bool DateRange::ContainsAnyOfYears(int first_year, int last_year) const {
    const Date from{chr::year{first_year}, chr::January, chr::day{1}};
    const Date to{chr::year{last_year}, chr::December, chr::day{31}};
    return from <= last && to >= first;
}

Date DateRange::Clamp(Date date) const {
    if (date < first) return first;
    if (date > last) return last;
    return date;
}

Month DateRange::Clamp(Month month) const {
    const Month lowest = first.year() / first.month();
    const Month highest = last.year() / last.month();
    if (month < lowest) return lowest;
    if (month > highest) return highest;
    return month;
}

std::optional<DateRange> MakeRange(Date first, Date last) {
    if (!first.ok() || !last.ok() || first < kEarliestDate || last > kLatestDate || first > last) {
        return std::nullopt;
    }
    return DateRange{first, last};
}

int LeadingDayCount(Month month, chr::weekday first_day) {
    const chr::weekday starts_on{chr::sys_days{FirstDay(month)}};
    const int offset = static_cast<int>((starts_on - first_day).count());
    return offset == 0 ? kWeekColumns : offset;
}

MonthGrid BuildMonthGrid(Month month, chr::weekday first_day, const DateRange& range) {
    MonthGrid grid{month, {}};
    const Date first = FirstDay(month);
    const Date last = LastDay(month);
    const chr::sys_days start = chr::sys_days{first} - chr::days{LeadingDayCount(month, first_day)};
    for (int i = 0; i < kDayCells; ++i) {
        DayCell& cell = grid.cells[static_cast<size_t>(i)];
        cell.date = Date{start + chr::days{i}};
        cell.kind = cell.date < first  ? CellKind::Leading
                    : cell.date > last ? CellKind::Trailing
                                       : CellKind::Current;
        cell.blank = !range.Contains(cell.date);
    }
    return grid;
}

int YearsPerPage(View view) {
    switch (view) {
        case View::Month:
        case View::Year:
            return 0;
        case View::Decade:
            return 10;
        case View::Century:
            return 100;
        case View::Millennium:
            return 1000;
        case View::AllYears:
            return 10000;
    }
    return 0;
}

int YearsPerCell(View view) { return YearsPerPage(view) / 10; }

ZoomGrid BuildZoomGrid(View view, Month focus, const DateRange& range) {
    ZoomGrid grid;
    grid.view = view;
    const int year = YearOf(focus);
    if (view == View::Month || view == View::Year) {
        grid.first_year = grid.last_year = year;
        for (int i = 0; i < kZoomCells; ++i) {
            ZoomCell& cell = grid.cells[static_cast<size_t>(i)];
            cell.year = year;
            cell.month = static_cast<unsigned>(i + 1);
            const Month month = chr::year{year} / chr::month{cell.month};
            cell.blank = !range.ContainsAnyOf(month);
            cell.first = range.Clamp(FirstDay(month));
            cell.last = range.Clamp(LastDay(month));
        }
        return grid;
    }
    const int step = YearsPerCell(view);
    grid.first_year = PageStart(view, year);
    grid.last_year = grid.first_year + YearsPerPage(view) - 1;
    for (int i = 0; i < kZoomCells; ++i) {
        ZoomCell& cell = grid.cells[static_cast<size_t>(i)];
        cell.year = grid.first_year - step + step * i;
        const int last_year = cell.year + step - 1;
        cell.outside = i == 0 || i == kZoomCells - 1;
        cell.blank = !range.ContainsAnyOfYears(cell.year, last_year);
        if (cell.blank) {
            // Years before 1 or after 9999 make no date; a blank cell needs none.
            cell.first = cell.last = range.first;
            continue;
        }
        cell.first = range.Clamp(Date{chr::year{cell.year}, chr::January, chr::day{1}});
        cell.last = range.Clamp(Date{chr::year{last_year}, chr::December, chr::day{31}});
    }
    return grid;
}

int ZoomCellOf(View view, Month focus) {
    const int year = YearOf(focus);
    if (view == View::Month) return -1;
    if (view == View::Year) return static_cast<int>(static_cast<unsigned>(focus.month())) - 1;
    const int step = YearsPerCell(view);
    return (year - (PageStart(view, year) - step)) / step;
}

// ---- Layout ----------------------------------------------------------------

Rect Layout::DayCellRect(int index) const {
    return Band(days, kWeekColumns, kWeekRows, index % kWeekColumns, index / kWeekColumns);
}

Rect Layout::WeekdayRect(int column) const { return Band(weekdays, kWeekColumns, 1, column, 0); }

Rect Layout::ZoomCellRect(int index) const {
    return Band(zoom, kZoomColumns, kZoomRows, index % kZoomColumns, index / kZoomColumns);
}

namespace {

// Spacing grows with the font, so the box looks the same at every DPI.
struct Spacing {
    int margin;
    int title_height;
    int weekday_height;
    int gap;
};

Spacing SpacingFor(const TextMetrics& m) {
    const int pad = std::max(2, m.line_height / 4);
    return {pad, m.title_line_height + 2 * pad + 2, m.line_height + 4,
            std::max(1, m.line_height / 12)};
}

}  // namespace

Layout ComputeLayout(int width, int height, const TextMetrics& metrics) {
    const Spacing s = SpacingFor(metrics);
    Layout l;
    l.client = {0, 0, width, height};
    l.title = {0, 0, width, s.title_height};
    const int button = std::min(s.title_height, width / 4);
    l.prev_button = {s.margin, 0, s.margin + button, s.title_height};
    l.next_button = {width - s.margin - button, 0, width - s.margin, s.title_height};
    l.weekdays = {s.margin, l.title.bottom + s.gap, width - s.margin,
                  l.title.bottom + s.gap + s.weekday_height};
    l.separator = {s.margin, l.weekdays.bottom, width - s.margin, l.weekdays.bottom + 1};
    l.days = {s.margin, l.separator.bottom + s.gap, width - s.margin,
              std::max(l.separator.bottom + s.gap, height - s.margin)};
    l.zoom = {s.margin, l.weekdays.top, width - s.margin, l.days.bottom};
    return l;
}

Size MinimumSize(const TextMetrics& metrics, const TextWidths& widths) {
    const Spacing s = SpacingFor(metrics);
    const int cell_pad = 2;  // a pixel either side, as the paint needs
    const int day_column = std::max(widths.day, widths.weekday) + cell_pad;
    const int button = s.title_height;
    const int width = std::max({kWeekColumns * day_column, widths.title + 2 + 2 * button,
                                kZoomColumns * (widths.zoom_cell + cell_pad)}) +
                      2 * s.margin;
    const int height = s.title_height + s.gap + s.weekday_height + 1 + s.gap +
                       kWeekRows * (metrics.line_height + 2) + s.margin;
    return {width, height};
}

// ---- Hit testing -----------------------------------------------------------

Hit HitTest(const Calendar& calendar, const Layout& layout, int x, int y) {
    Hit hit;
    if (!layout.client.Contains(x, y)) return hit;

    if (layout.title.Contains(x, y)) {
        const std::pair<HitPart, Rect> parts[] = {{HitPart::PrevButton, layout.prev_button},
                                                  {HitPart::NextButton, layout.next_button},
                                                  {HitPart::TitleMonth, layout.title_month},
                                                  {HitPart::TitleYear, layout.title_year}};
        for (const auto& [part, rect] : parts) {
            if (rect.Contains(x, y)) {
                hit.part = part;
                hit.rect = rect;
                return hit;
            }
        }
        hit.part = HitPart::TitleBackground;
        hit.rect = layout.title;
        return hit;
    }

    hit.part = HitPart::Background;
    hit.rect = layout.client;
    if (calendar.view() == View::Month) {
        if (layout.weekdays.Contains(x, y)) {
            hit.part = HitPart::WeekdayRow;
            hit.column = BandOf(x, layout.weekdays.left, layout.weekdays.right, kWeekColumns);
            hit.rect = layout.WeekdayRect(hit.column);
            return hit;
        }
        if (!layout.days.Contains(x, y)) return hit;
        const int column = BandOf(x, layout.days.left, layout.days.right, kWeekColumns);
        const int row = BandOf(y, layout.days.top, layout.days.bottom, kWeekRows);
        const int index = row * kWeekColumns + column;
        const DayCell cell = calendar.Grid().cells[static_cast<size_t>(index)];
        hit.rect = layout.DayCellRect(index);
        hit.cell = index;
        hit.row = row;
        hit.column = column;
        if (cell.blank) return hit;
        hit.part = HitPart::Day;
        hit.kind = cell.kind;
        hit.first = hit.last = cell.date;
        return hit;
    }

    if (!layout.zoom.Contains(x, y)) return hit;
    const int column = BandOf(x, layout.zoom.left, layout.zoom.right, kZoomColumns);
    const int row = BandOf(y, layout.zoom.top, layout.zoom.bottom, kZoomRows);
    const int index = row * kZoomColumns + column;
    const ZoomCell cell = calendar.Zoom().cells[static_cast<size_t>(index)];
    hit.rect = layout.ZoomCellRect(index);
    hit.cell = index;
    hit.row = row;
    hit.column = column;
    if (cell.blank) return hit;
    hit.part = HitPart::ZoomCell;
    hit.kind = !cell.outside ? CellKind::Current
               : index == 0  ? CellKind::Leading
                             : CellKind::Trailing;
    hit.first = cell.first;
    hit.last = cell.last;
    return hit;
}

int MonthsSpanned(Date first, Date last) {
    return (YearOf(last) - YearOf(first)) * 12 +
           static_cast<int>(static_cast<unsigned>(last.month())) -
           static_cast<int>(static_cast<unsigned>(first.month())) + 1;
}

// ---- The state machine -----------------------------------------------------

Calendar::Calendar(Date selected)
    : selected_(range_.Clamp(selected.ok() ? selected : kEarliestDate)),
      focus_(selected_.year() / selected_.month()) {}

bool Calendar::Select(Date date) {
    if (!date.ok() || !range_.Contains(date)) return false;
    selected_ = date;
    focus_ = shown_month();
    return true;
}

bool Calendar::SetRange(const DateRange& range) {
    if (!MakeRange(range.first, range.last)) return false;
    range_ = range;
    selected_ = range_.Clamp(selected_);
    focus_ = ClampFocus(focus_);
    return true;
}

void Calendar::SetFirstDay(chr::weekday first_day) { first_day_ = first_day; }

bool Calendar::SetView(View view) {
    if (view < View::Month || view > View::AllYears) return false;
    if (view_ == View::Month) focus_ = shown_month();
    view_ = view;
    return true;
}

Month Calendar::ClampFocus(Month focus) const { return range_.Clamp(focus); }

bool Calendar::CanPage(int direction) const {
    const int year = YearOf(focus_);
    switch (view_) {
        case View::Month:
            return range_.ContainsAnyOf(shown_month() + chr::months{direction});
        case View::Year:
            return range_.ContainsAnyOfYears(year + direction, year + direction);
        default: {
            const int span = YearsPerPage(view_);
            const int start = PageStart(view_, year) + span * direction;
            return range_.ContainsAnyOfYears(start, start + span - 1);
        }
    }
}

Outcome Calendar::MoveSelection(Date target, bool picked) {
    Outcome outcome;
    outcome.picked = picked;
    if (target == selected_) return outcome;
    selected_ = target;
    focus_ = shown_month();
    outcome.changed = outcome.selection_changed = true;
    return outcome;
}

Outcome Calendar::MoveFocus(Month target) {
    target = ClampFocus(target);
    if (target == focus_) return {};
    focus_ = target;
    return {.changed = true};
}

Outcome Calendar::PageMonths(int months) {
    if (!range_.ContainsAnyOf(shown_month() + chr::months{months})) return {};
    return MoveSelection(range_.Clamp(AddMonths(selected_, months)), false);
}

Outcome Calendar::Page(int direction) {
    if (!CanPage(direction)) return {};
    switch (view_) {
        case View::Month:
            return PageMonths(direction);
        case View::Year:
            return MoveFocus(focus_ + chr::years{direction});
        default:
            return MoveFocus(focus_ + chr::years{YearsPerPage(view_) * direction});
    }
}

Outcome Calendar::PageTimes(int direction, int times) {
    Outcome outcome;
    for (int i = 0; i < times && CanPage(direction); ++i)
        outcome = Merge(outcome, Page(direction));
    return outcome;
}

Outcome Calendar::Wheel(int delta) {
    constexpr int kNotch = 120;
    if ((delta > 0 && wheel_remainder_ < 0) || (delta < 0 && wheel_remainder_ > 0)) {
        wheel_remainder_ = 0;
    }
    wheel_remainder_ += delta;
    const int notches = wheel_remainder_ / kNotch;
    wheel_remainder_ -= notches * kNotch;
    Outcome outcome;
    const int direction = notches > 0 ? -1 : 1;
    for (int i = 0; i < std::abs(notches); ++i) {
        if (!CanPage(direction)) {
            wheel_remainder_ = 0;
            break;
        }
        outcome = Merge(outcome, Page(direction));
    }
    return outcome;
}

Outcome Calendar::Press(Key key) {
    if (view_ == View::Month) {
        const auto step = [this](int days) {
            return MoveSelection(range_.Clamp(AddDays(selected_, days)), true);
        };
        switch (key) {
            case Key::Left:
                return step(-1);
            case Key::Right:
                return step(1);
            case Key::Up:
                return step(-kWeekColumns);
            case Key::Down:
                return step(kWeekColumns);
            case Key::PageUp:
                return PageMonths(-1);
            case Key::PageDown:
                return PageMonths(1);
            case Key::YearUp:
                return PageMonths(-12);
            case Key::YearDown:
                return PageMonths(12);
            case Key::Home:
                return MoveSelection(range_.Clamp(FirstDay(shown_month())), true);
            case Key::End:
                return MoveSelection(range_.Clamp(LastDay(shown_month())), true);
            case Key::Enter:
            case Key::Escape:
                return {};  // left to the dialog
        }
        return {};
    }

    // One cell is a month, a year, a decade, ...; a row holds four cells.
    const int years_per_cell = YearsPerCell(view_);
    const auto shift = [&](int cells) {
        if (view_ == View::Year) return MoveFocus(focus_ + chr::months{cells});
        return MoveFocus(focus_ + chr::years{cells * years_per_cell});
    };
    const int year = YearOf(focus_);
    switch (key) {
        case Key::Left:
            return shift(-1);
        case Key::Right:
            return shift(1);
        case Key::Up:
            return shift(-kZoomColumns);
        case Key::Down:
            return shift(kZoomColumns);
        case Key::PageUp:
            return Page(-1);
        case Key::PageDown:
            return Page(1);
        // With Ctrl a page is ten times bigger, as a year is to a month: the
        // only quick way across the centuries.
        case Key::YearUp:
            return PageTimes(-1, 10);
        case Key::YearDown:
            return PageTimes(1, 10);
        case Key::Home:
        case Key::End: {
            const bool home = key == Key::Home;
            if (view_ == View::Year)
                return MoveFocus(focus_.year() / (home ? chr::January : chr::December));
            const int start = PageStart(view_, year);
            const int last = start + YearsPerPage(view_) - years_per_cell;
            return MoveFocus(chr::year{home ? start : last} / focus_.month());
        }
        case Key::Enter:
            return ZoomIn(FocusCell());
        case Key::Escape:
            return ZoomOut();
    }
    return {};
}

Outcome Calendar::ZoomOut() {
    if (view_ == View::AllYears) return {};
    if (view_ == View::Month) focus_ = shown_month();
    view_ = static_cast<View>(static_cast<int>(view_) + 1);
    return {.changed = true, .view_changed = true};
}

Outcome Calendar::ZoomIn(int cell) {
    if (view_ == View::Month || cell < 0 || cell >= kZoomCells) return {};
    const ZoomCell zoom = Zoom().cells[static_cast<size_t>(cell)];
    if (zoom.blank) return {};
    switch (view_) {
        default:
            // Into the cell, keeping the focus's place within it: from 2004
            // in the century view, the 1980s cell leads to 1984.
            focus_ = ClampFocus(chr::year{zoom.year + YearOf(focus_) % YearsPerCell(view_)} /
                                focus_.month());
            view_ = static_cast<View>(static_cast<int>(view_) - 1);
            break;
        case View::Year: {
            view_ = View::Month;
            const Month month = chr::year{zoom.year} / chr::month{zoom.month};
            const Date target =
                range_.Clamp(month / std::min(selected_.day(), LastDay(month).day()));
            Outcome outcome = MoveSelection(target, false);
            focus_ = shown_month();
            outcome.changed = outcome.view_changed = true;
            return outcome;
        }
        case View::Month:
            break;
    }
    return {.changed = true, .view_changed = true};
}

Outcome Calendar::Click(const Layout& layout, int x, int y) {
    const Hit hit = HitTest(*this, layout, x, y);
    switch (hit.part) {
        case HitPart::PrevButton:
            return Page(-1);
        case HitPart::NextButton:
            return Page(1);
        case HitPart::TitleMonth:
            return ZoomOut();
        case HitPart::TitleYear:
            if (view_ == View::Month) {
                focus_ = shown_month();
                view_ = View::Decade;
                return {.changed = true, .view_changed = true};
            }
            return ZoomOut();
        case HitPart::Day:
            return MoveSelection(*hit.first, true);
        case HitPart::ZoomCell:
            return ZoomIn(hit.cell);
        default:
            return {};
    }
}

std::pair<Date, Date> Calendar::VisibleDates() const {
    if (view_ == View::Month) {
        return {range_.Clamp(FirstDay(shown_month())), range_.Clamp(LastDay(shown_month()))};
    }
    const ZoomGrid grid = Zoom();
    const Date first{chr::year{grid.first_year}, chr::January, chr::day{1}};
    const Date last{chr::year{grid.last_year}, chr::December, chr::day{31}};
    return {range_.Clamp(first), range_.Clamp(last)};
}

std::pair<Date, Date> Calendar::GridDates() const {
    if (view_ == View::Month) {
        const MonthGrid grid = Grid();
        const auto shown = [](const DayCell& c) { return !c.blank; };
        const auto first = std::find_if(grid.cells.begin(), grid.cells.end(), shown);
        const auto last = std::find_if(grid.cells.rbegin(), grid.cells.rend(), shown);
        return {first->date, last->date};  // the selected date is never blank
    }
    const ZoomGrid grid = Zoom();
    const auto shown = [](const ZoomCell& c) { return !c.blank; };
    const auto first = std::find_if(grid.cells.begin(), grid.cells.end(), shown);
    const auto last = std::find_if(grid.cells.rbegin(), grid.cells.rend(), shown);
    return {first->first, last->last};
}

}  // namespace tk::cal
