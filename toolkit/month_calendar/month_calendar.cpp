#include "toolkit/month_calendar/month_calendar.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <new>
#include <optional>

#include "toolkit/dpi.h"
#include "toolkit/handles.h"
#include "toolkit/month_calendar/calendar_accessible.h"
#include "toolkit/month_calendar/calendar_colours.h"
#include "toolkit/month_calendar/calendar_locale.h"
#include "toolkit/month_calendar/calendar_model.h"

#ifndef WM_DPICHANGED_AFTERPARENT
#define WM_DPICHANGED_AFTERPARENT 0x02E3
#endif

namespace tk {

namespace {

namespace chr = std::chrono;
using cal::Date;
using cal::Rect;
using cal::View;

constexpr UINT_PTR kMidnightTimer = 1;
constexpr const wchar_t* kUserLocale = LOCALE_NAME_USER_DEFAULT;

const wchar_t* const kDayNumbers[] = {L"",   L"1",  L"2",  L"3",  L"4",  L"5",  L"6",  L"7",
                                      L"8",  L"9",  L"10", L"11", L"12", L"13", L"14", L"15",
                                      L"16", L"17", L"18", L"19", L"20", L"21", L"22", L"23",
                                      L"24", L"25", L"26", L"27", L"28", L"29", L"30", L"31"};

SYSTEMTIME ToSystemTime(Date date) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(static_cast<int>(date.year()));
    st.wMonth = static_cast<WORD>(static_cast<unsigned>(date.month()));
    st.wDay = static_cast<WORD>(static_cast<unsigned>(date.day()));
    st.wDayOfWeek = static_cast<WORD>(chr::weekday{chr::sys_days{date}}.c_encoding());
    return st;
}

std::optional<Date> FromSystemTime(const SYSTEMTIME* st) {
    if (st == nullptr) return std::nullopt;
    return cal::MakeDate(st->wYear, st->wMonth, st->wDay);
}

std::optional<Date> FromCalendarDate(const CalendarDate& d) {
    return cal::MakeDate(d.year, d.month, d.day);
}

Date LocalToday() {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    return cal::MakeDate(now.wYear, now.wMonth, now.wDay).value_or(cal::kEarliestDate);
}

RECT ToRECT(const Rect& r) { return {r.left, r.top, r.right, r.bottom}; }

Rect Inset(const Rect& r, int by) { return {r.left + by, r.top + by, r.right - by, r.bottom - by}; }

// Solid fills and frames through the DC brush: no brush is created per paint.
void Fill(HDC dc, const Rect& r, COLORREF colour) {
    SetDCBrushColor(dc, colour);
    const RECT rc = ToRECT(r);
    FillRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void Frame(HDC dc, Rect r, COLORREF colour, int thickness) {
    SetDCBrushColor(dc, colour);
    for (int i = 0; i < thickness && r.width() > 0 && r.height() > 0; ++i, r = Inset(r, 1)) {
        const RECT rc = ToRECT(r);
        FrameRect(dc, &rc, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    }
}

// An off-screen bitmap kept for the control's life and rebuilt only when the
// size changes, so that a paint is one BitBlt to the screen.
class BackBuffer {
public:
    ~BackBuffer() { Release(); }

    HDC dc() const { return dc_.get(); }

    bool Ensure(HWND window, int width, int height) {
        if (dc_ && bitmap_ && width == width_ && height == height_) return true;
        WindowDC screen(window);
        if (screen.get() == nullptr) return false;
        if (!dc_) {
            dc_ = UniqueDC(CreateCompatibleDC(screen.get()));
            if (!dc_) return false;
        }
        UniqueBitmap bitmap(CreateCompatibleBitmap(screen.get(), width, height));
        if (!bitmap) return false;
        HGDIOBJ previous = SelectObject(dc_.get(), bitmap.get());
        if (previous == nullptr || previous == HGDI_ERROR) return false;
        if (original_ == nullptr) original_ = previous;
        bitmap_ = std::move(bitmap);  // frees the old one, no longer selected
        width_ = width;
        height_ = height;
        return true;
    }

    void Release() {
        if (dc_ && original_ != nullptr) SelectObject(dc_.get(), original_);
        original_ = nullptr;
        bitmap_.reset();
        dc_.reset();
        width_ = height_ = 0;
    }

private:
    UniqueDC dc_;
    UniqueBitmap bitmap_;
    HGDIOBJ original_ = nullptr;
    int width_ = 0;
    int height_ = 0;
};

// The title of the shown page and where its month and year parts are, kept
// until the page, the font, the size or the locale changes.
struct TitleCache {
    bool valid = false;
    View view = View::Month;
    int key = 0;
    std::wstring text;
    Rect month;
    Rect year;
};

struct Control;

// The control as its accessible object reads and drives it.
class AccessSource final : public a11y::CalendarSource {
public:
    explicit AccessSource(Control& c) : c_(c) {}

    HWND Window() const override;
    const cal::Calendar& Model() const override;
    const cal::Layout& CurrentLayout() override;
    cal::Date Today() const override;
    std::wstring TitleText() override;
    void Page(int direction) override;
    void ZoomOut() override;
    void ClickAt(int x, int y) override;
    void Press(cal::Key key) override;
    void Select(cal::Date day) override;

private:
    Control& c_;
};

struct Control {
    explicit Control(HWND w) : window(w), model(LocalToday()) {}

    HWND window;
    cal::Calendar model;
    cal::Layout layout;
    cal::LocaleTexts texts;
    cal::Palette palette = cal::DefaultPalette();
    bool high_contrast = false;

    HFONT font = nullptr;  // the one in use: set with WM_SETFONT, or own_font
    UniqueFont own_font;
    UniqueFont bold_font;
    cal::TextMetrics metrics;

    BackBuffer buffer;
    TitleCache title;
    std::vector<MonthCalendarText> painted;

    bool focused = false;
    // Kept from WM_UPDATEUISTATE as well as asked for: Wine answers every
    // WM_QUERYUISTATE with 0.
    bool hide_focus = false;
    bool first_day_set = false;
    WPARAM range_flags = 0;
    std::optional<Date> today_override;
    bool timer_running = false;

    AccessSource access{*this};
    a11y::AccessibleHolder accessible;
    // Today as last announced, so that a new day is told when the clock moves.
    Date announced_today = LocalToday();
};

Control* StateOf(HWND window) {
    return reinterpret_cast<Control*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

HFONT BoldFont(const Control& c) { return c.bold_font ? c.bold_font.get() : c.font; }

Date Today(const Control& c) { return c.today_override.value_or(LocalToday()); }

// ---- Fonts, locale and layout ----------------------------------------------

void Relayout(Control& c) {
    RECT client{};
    GetClientRect(c.window, &client);
    c.layout = cal::ComputeLayout(client.right, client.bottom, c.metrics);
    c.title.valid = false;
}

void UseFont(Control& c, HFONT font) {
    if (font == nullptr) {
        LOGFONTW lf = DialogFont(DpiForWindow(c.window));
        c.own_font = UniqueFont(CreateFontIndirectW(&lf));
        font = c.own_font ? c.own_font.get() : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    } else {
        c.own_font.reset();
    }
    c.font = font;

    LOGFONTW lf{};
    c.bold_font.reset();
    if (GetObjectW(font, sizeof(lf), &lf) == sizeof(lf)) {
        lf.lfWeight = FW_BOLD;
        c.bold_font = UniqueFont(CreateFontIndirectW(&lf));
    }

    WindowDC dc(c.window);
    if (dc.get() != nullptr) {
        TEXTMETRICW tm{};
        {
            ScopedSelect select(dc.get(), c.font);
            if (GetTextMetricsW(dc.get(), &tm)) c.metrics.line_height = tm.tmHeight;
        }
        ScopedSelect select(dc.get(), BoldFont(c));
        if (GetTextMetricsW(dc.get(), &tm)) c.metrics.title_line_height = tm.tmHeight;
    }
    Relayout(c);
}

void LoadLocale(Control& c) {
    c.texts = cal::LoadLocaleTexts(kUserLocale);
    if (!c.first_day_set)
        c.model.SetFirstDay(cal::WeekdayFromLocaleNumber(c.texts.first_day_of_week));
    c.title.valid = false;
}

int TextWidth(HDC dc, const std::wstring& text, std::size_t begin, std::size_t end) {
    SIZE size{};
    if (end <= begin) return 0;
    GetTextExtentPoint32W(dc, text.data() + begin, static_cast<int>(end - begin), &size);
    return size.cx;
}

bool IsSpaceSeparator(wchar_t c) {
    return c == 0x00A0 || (c >= 0x2000 && c <= 0x200A) || c == 0x202F || c == 0x205F;
}

// Locales put narrow no-break spaces in titles ("июль 2004\u202Fг.") that
// fonts such as Tahoma have no glyph for; a plain space keeps every index.
void ReplaceMissingSpaces(HDC dc, std::wstring& text) {
    for (wchar_t& c : text) {
        if (!IsSpaceSeparator(c)) continue;
        WORD glyph = 0;
        if (GetGlyphIndicesW(dc, &c, 1, &glyph, GGI_MARK_NONEXISTING_GLYPHS) != 1 ||
            glyph == 0xFFFF) {
            c = L' ';
        }
    }
}

// What the title of the shown page depends on besides the view: the month,
// the year, the first year of the span, or (the all-years view names the
// range itself) the range's years.
int TitleKey(const Control& c) {
    const View view = c.model.view();
    const int year = static_cast<int>(view == View::Month ? c.model.shown_month().year()
                                                          : c.model.focus().year());
    const int range_first = static_cast<int>(c.model.range().first.year());
    const int range_last = static_cast<int>(c.model.range().last.year());
    const int span = cal::YearsPerPage(view);
    return view == View::Month
               ? year * 12 + static_cast<int>(static_cast<unsigned>(c.model.shown_month().month()))
           : view == View::Year     ? year
           : view == View::AllYears ? range_first * 10000 + range_last
                                    : year - year % span;
}

// The title's text and, in the month view, where its month and year are.
cal::MonthTitle TitleOf(const Control& c) {
    const View view = c.model.view();
    const int year = static_cast<int>(c.model.focus().year());
    const cal::DateRange& range = c.model.range();
    const int span = cal::YearsPerPage(view);
    cal::MonthTitle title;
    switch (view) {
        case View::Month:
            return cal::FormatMonthTitle(kUserLocale,
                                         static_cast<int>(c.model.shown_month().year()),
                                         static_cast<unsigned>(c.model.shown_month().month()));
        case View::Year:
            title.text = cal::YearText(year);
            break;
        case View::AllYears:
            title.text = cal::YearSpanText(static_cast<int>(range.first.year()),
                                           static_cast<int>(range.last.year()));
            break;
        default:
            title.text = cal::YearSpanText(year - year % span, year - year % span + span - 1);
            break;
    }
    title.year = {0, title.text.size()};
    return title;
}

// Builds the title text for the shown page and measures where its parts fall.
void EnsureTitle(Control& c, HDC measure_dc) {
    const View view = c.model.view();
    const int key = TitleKey(c);
    if (!c.title.valid || c.title.view != view || c.title.key != key) {
        cal::MonthTitle title = TitleOf(c);
        std::wstring text = std::move(title.text);
        const cal::TextSpan month_span = title.month;
        const cal::TextSpan year_span = title.year;

        std::optional<WindowDC> own_dc;
        if (measure_dc == nullptr) measure_dc = own_dc.emplace(c.window).get();
        ScopedSelect select(measure_dc, BoldFont(c));
        ReplaceMissingSpaces(measure_dc, text);
        const Rect& band = c.layout.title;
        const int left =
            band.left + (band.width() - TextWidth(measure_dc, text, 0, text.size())) / 2;
        const auto part = [&](const cal::TextSpan& span) {
            if (span.empty()) return Rect{};
            return Rect{left + TextWidth(measure_dc, text, 0, span.begin), band.top,
                        left + TextWidth(measure_dc, text, 0, span.end), band.bottom};
        };
        // Measured before the text moves into the cache: the initialisers run
        // in order, and a moved-from text measures as garbage.
        const Rect month_rect = part(month_span);
        const Rect year_rect = part(year_span);
        c.title = {true, view, key, std::move(text), month_rect, year_rect};
    }
    c.layout.title_month = c.title.month;
    c.layout.title_year = c.title.year;
}

// Keeps the layout in step with the client area even before WM_SIZE.
void EnsureLayout(Control& c, HDC measure_dc) {
    RECT client{};
    GetClientRect(c.window, &client);
    if (c.layout.client.right != client.right || c.layout.client.bottom != client.bottom)
        Relayout(c);
    EnsureTitle(c, measure_dc);
}

void ArmMidnightTimer(Control& c) {
    SYSTEMTIME now{};
    GetLocalTime(&now);
    const long long elapsed =
        ((now.wHour * 60LL + now.wMinute) * 60 + now.wSecond) * 1000 + now.wMilliseconds;
    const long long until_midnight = 24LL * 3600 * 1000 - elapsed + 500;
    c.timer_running = SetTimer(c.window, kMidnightTimer,
                               static_cast<UINT>(std::max(until_midnight, 1000LL)), nullptr) != 0;
}

// ---- Painting --------------------------------------------------------------

struct Painter {
    Control& c;
    HDC dc;
    cal::ResolvedColours colours;
    bool enabled;
    COLORREF disabled_text;
    HFONT current_font = nullptr;

    COLORREF TextColour(cal::ColourPart part) const {
        return enabled ? colours[part] : disabled_text;
    }

    void Text(const wchar_t* text, int length, const Rect& box, HFONT font, int line_height,
              COLORREF colour) {
        SetTextColor(dc, colour);
        if (font != current_font) {
            SelectObject(dc, font);
            current_font = font;
        }
        ExtTextOutW(dc, box.left + box.width() / 2, box.top + (box.height() - line_height) / 2, 0,
                    nullptr, text, static_cast<UINT>(length), nullptr);
        c.painted.push_back(
            {std::wstring(text, static_cast<std::size_t>(length)), font, ToRECT(box)});
    }

    void Text(const std::wstring& text, const Rect& box, HFONT font, int line_height,
              COLORREF colour) {
        Text(text.data(), static_cast<int>(text.size()), box, font, line_height, colour);
    }

    void Arrow(const Rect& button, int direction, bool active) {
        const COLORREF colour = active ? TextColour(cal::ColourPart::TitleText)
                                       : cal::Blend(colours[cal::ColourPart::TitleText],
                                                    colours[cal::ColourPart::TitleBackground], 150);
        const int cx = button.left + button.width() / 2;
        const int cy = button.top + button.height() / 2;
        const int half = std::max(3, std::min(button.width(), button.height()) / 3);
        const int tip = cx + direction * half / 2;
        const int base = cx - direction * half / 2;
        const POINT points[] = {{tip, cy}, {base, cy - half}, {base, cy + half}};
        SetDCBrushColor(dc, colour);
        SetDCPenColor(dc, colour);
        SelectObject(dc, GetStockObject(DC_BRUSH));
        SelectObject(dc, GetStockObject(DC_PEN));
        Polygon(dc, points, 3);
    }

    // The selection is a filled box, today a frame, the keyboard focus a
    // dotted frame inside: told apart by shape, not by colour alone.
    void Marks(const Rect& cell, bool selected, bool today, bool focus) {
        const Rect box = Inset(cell, 1);
        if (selected) Fill(dc, box, colours[cal::ColourPart::SelectionBackground]);
        if (today)
            Frame(dc, box, colours[cal::ColourPart::TodayFrame],
                  std::max(1, c.metrics.line_height / 10));
        if (focus) {
            const RECT rc = ToRECT(Inset(box, 2));
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, RGB(255, 255, 255));
            DrawFocusRect(dc, &rc);
        }
    }

    void MonthPage(bool show_focus) {
        const cal::Layout& l = c.layout;
        const int lh = c.metrics.line_height;
        for (int column = 0; column < cal::kWeekColumns; ++column) {
            const chr::weekday day = c.model.first_day() + chr::days{column};
            Text(c.texts.day_names[static_cast<std::size_t>(cal::LocaleNumberOf(day))],
                 l.WeekdayRect(column), c.font, lh, TextColour(cal::ColourPart::WeekdayText));
        }
        Fill(dc, l.separator, TextColour(cal::ColourPart::WeekdayText));

        const cal::MonthGrid grid = c.model.Grid();
        const Date selected = c.model.selected();
        const Date today = Today(c);
        for (int i = 0; i < cal::kDayCells; ++i) {
            const cal::DayCell& cell = grid.cells[static_cast<std::size_t>(i)];
            if (cell.blank) continue;
            const Rect box = l.DayCellRect(i);
            const bool is_selected = cell.date == selected;
            Marks(box, is_selected, cell.date == today, is_selected && show_focus);
            const cal::ColourPart part = is_selected ? cal::ColourPart::SelectionText
                                         : cell.kind == cal::CellKind::Current
                                             ? cal::ColourPart::Text
                                             : cal::ColourPart::TrailingText;
            const unsigned day = static_cast<unsigned>(cell.date.day());
            Text(kDayNumbers[day], day < 10 ? 1 : 2, box, c.font, lh, TextColour(part));
        }
    }

    void ZoomPage(bool show_focus) {
        const cal::ZoomGrid grid = c.model.Zoom();
        const int focus = c.model.FocusCell();
        const Date today = Today(c);
        const int lh = c.metrics.line_height;
        for (int i = 0; i < cal::kZoomCells; ++i) {
            const cal::ZoomCell& cell = grid.cells[static_cast<std::size_t>(i)];
            if (cell.blank) continue;
            const Rect box = c.layout.ZoomCellRect(i);
            const bool is_focus = i == focus;
            Marks(box, is_focus, cell.first <= today && today <= cell.last, is_focus && show_focus);
            const COLORREF colour = TextColour(is_focus       ? cal::ColourPart::SelectionText
                                               : cell.outside ? cal::ColourPart::TrailingText
                                                              : cal::ColourPart::Text);
            if (grid.view == View::Year) {
                Text(c.texts.short_month_names[cell.month - 1], box, c.font, lh, colour);
            } else if (grid.view == View::Decade) {
                Text(cal::YearText(cell.year), box, c.font, lh, colour);
            } else {
                // A span of years takes two lines, "1990–" over "1999", and
                // names only years in the range: "1753–" over "1759".
                const int middle = box.top + box.height() / 2;
                const int first = static_cast<int>(cell.first.year());
                const int last = static_cast<int>(cell.last.year());
                Text(cal::YearText(first) + L'\x2013', {box.left, middle - lh, box.right, middle},
                     c.font, lh, colour);
                Text(cal::YearText(last), {box.left, middle, box.right, middle + lh}, c.font, lh,
                     colour);
            }
        }
    }

    void All() {
        const cal::Layout& l = c.layout;
        Fill(dc, l.client, colours[cal::ColourPart::Background]);
        Fill(dc, l.zoom, colours[cal::ColourPart::MonthBackground]);
        Fill(dc, l.title, colours[cal::ColourPart::TitleBackground]);
        Arrow(l.prev_button, -1, enabled && c.model.CanPage(-1));
        Arrow(l.next_button, 1, enabled && c.model.CanPage(1));
        Text(c.title.text, {l.prev_button.right, l.title.top, l.next_button.left, l.title.bottom},
             BoldFont(c), c.metrics.title_line_height, TextColour(cal::ColourPart::TitleText));

        const bool show_focus = c.focused && !c.hide_focus;
        if (c.model.view() == View::Month) {
            MonthPage(show_focus);
        } else {
            ZoomPage(show_focus);
        }
    }
};

void DrawCalendar(Control& c, HDC dc) {
    SavedDC saved(dc);
    SetBkMode(dc, TRANSPARENT);
    SetTextAlign(dc, TA_CENTER);  // top-aligned and not moving the pen: both 0
    c.painted.clear();
    Painter painter{c, dc, cal::Resolve(c.high_contrast ? cal::HighContrastPalette() : c.palette),
                    IsWindowEnabled(c.window) != FALSE, GetSysColor(COLOR_GRAYTEXT)};
    painter.All();
}

// Serves WM_PAINT and WM_PRINTCLIENT alike: draw off-screen, copy once.
void Paint(Control& c, HDC target, const RECT& area) {
    RECT client{};
    GetClientRect(c.window, &client);
    if (client.right <= 0 || client.bottom <= 0) return;
    if (!c.buffer.Ensure(c.window, client.right, client.bottom)) {
        EnsureLayout(c, target);
        DrawCalendar(c, target);  // no memory for the buffer: paint directly
        return;
    }
    EnsureLayout(c, c.buffer.dc());
    DrawCalendar(c, c.buffer.dc());
    BitBlt(target, area.left, area.top, area.right - area.left, area.bottom - area.top,
           c.buffer.dc(), area.left, area.top, SRCCOPY);
}

// ---- Telling the parent ----------------------------------------------------

void Notify(HWND window, UINT code, const SYSTEMTIME& selected) {
    NMSELCHANGE nm{};
    nm.nmhdr.hwndFrom = window;
    nm.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
    nm.nmhdr.code = code;
    nm.stSelStart = selected;
    nm.stSelEnd = selected;
    SendMessageW(GetParent(window), WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
}

// The view as the platform's messages number it: they know no view beyond
// the century, so the two outer ones read as the century view.
DWORD MessageView(View view) { return static_cast<DWORD>(std::min(view, View::Century)); }

a11y::Snapshot Before(const Control& c) { return a11y::Snapshot::Of(c.model, c.announced_today); }

void Announce(Control& c, const a11y::Snapshot& before, bool renamed = false) {
    c.announced_today = Today(c);
    a11y::RaiseChanges(c.window, before, c.model, c.announced_today, renamed);
}

// Repaints and announces a change the parent is not told of.
void Changed(Control& c, const a11y::Snapshot& before, bool renamed = false) {
    InvalidateRect(c.window, nullptr, FALSE);
    Announce(c, before, renamed);
}

// Repaints, announces and tells the parent; the parent may destroy the
// calendar while it is told, so nothing of the state is touched after the
// first message.
void Apply(Control& c, const a11y::Snapshot& before, const cal::Outcome& outcome) {
    if (outcome.changed) InvalidateRect(c.window, nullptr, FALSE);
    Announce(c, before);
    const View old_view = before.view;
    const HWND window = c.window;
    const SYSTEMTIME selected = ToSystemTime(c.model.selected());
    const View new_view = c.model.view();
    if (outcome.view_changed && MessageView(old_view) != MessageView(new_view)) {
        NMVIEWCHANGE nm{};
        nm.nmhdr.hwndFrom = window;
        nm.nmhdr.idFrom = static_cast<UINT_PTR>(GetDlgCtrlID(window));
        nm.nmhdr.code = MCN_VIEWCHANGE;
        nm.dwOldView = MessageView(old_view);
        nm.dwNewView = MessageView(new_view);
        SendMessageW(GetParent(window), WM_NOTIFY, nm.nmhdr.idFrom, reinterpret_cast<LPARAM>(&nm));
    }
    if (outcome.selection_changed && IsWindow(window)) Notify(window, MCN_SELCHANGE, selected);
    if (outcome.picked && IsWindow(window)) Notify(window, MCN_SELECT, selected);
}

// ---- Input -----------------------------------------------------------------

void OnLButtonDown(Control& c, int x, int y) {
    if (GetFocus() != c.window) SetFocus(c.window);
    if (!IsWindowEnabled(c.window)) return;
    EnsureLayout(c, nullptr);
    const a11y::Snapshot before = Before(c);
    Apply(c, before, c.model.Click(c.layout, x, y));
}

void OnWheel(Control& c, int delta) {
    const a11y::Snapshot before = Before(c);
    Apply(c, before, c.model.Wheel(delta));
}

bool OnKeyDown(Control& c, WPARAM key) {
    const bool control = GetKeyState(VK_CONTROL) < 0;
    std::optional<cal::Key> k;
    switch (key) {
        case VK_LEFT:
            k = cal::Key::Left;
            break;
        case VK_RIGHT:
            k = cal::Key::Right;
            break;
        case VK_UP:
            k = cal::Key::Up;
            break;
        case VK_DOWN:
            k = cal::Key::Down;
            break;
        case VK_PRIOR:
            k = control ? cal::Key::YearUp : cal::Key::PageUp;
            break;
        case VK_NEXT:
            k = control ? cal::Key::YearDown : cal::Key::PageDown;
            break;
        case VK_HOME:
            k = cal::Key::Home;
            break;
        case VK_END:
            k = cal::Key::End;
            break;
        case VK_RETURN:
            k = cal::Key::Enter;
            break;
        case VK_ESCAPE:
            k = cal::Key::Escape;
            break;
        default:
            return false;
    }
    const a11y::Snapshot before = Before(c);
    Apply(c, before, c.model.Press(*k));
    return true;
}

LRESULT OnGetDlgCode(const Control& c, const MSG* msg) {
    LRESULT code = DLGC_WANTARROWS;
    // Enter and Esc zoom while zoomed out; in the month view they belong to
    // the dialog's default and cancel buttons.
    if (c.model.view() != View::Month && msg != nullptr && msg->message == WM_KEYDOWN &&
        (msg->wParam == VK_RETURN || msg->wParam == VK_ESCAPE)) {
        code |= DLGC_WANTMESSAGE;
    }
    return code;
}

// ---- The month calendar messages --------------------------------------------

bool GetCurSel(const Control& c, SYSTEMTIME* st) {
    if (st == nullptr) return false;
    *st = ToSystemTime(c.model.selected());
    return true;
}

bool GetToday(const Control& c, SYSTEMTIME* st) {
    if (st == nullptr) return false;
    *st = ToSystemTime(Today(c));
    return true;
}

// A date overrides the clock's today; NULL goes back to the clock.
void SetToday(Control& c, const SYSTEMTIME* st) {
    const a11y::Snapshot before = Before(c);
    if (st == nullptr) {
        c.today_override.reset();
    } else if (const std::optional<Date> d = FromSystemTime(st)) {
        c.today_override = *d;
    }
    Changed(c, before);
}

bool SetCurrentView(Control& c, LPARAM view) {
    if (view < MCMV_MONTH || view > MCMV_CENTURY) return false;
    const a11y::Snapshot before = Before(c);
    c.model.SetView(static_cast<View>(view));
    Changed(c, before);
    return true;
}

bool SetCurSel(Control& c, const SYSTEMTIME* st) {
    const std::optional<Date> date = FromSystemTime(st);
    const a11y::Snapshot before = Before(c);
    if (!date || !c.model.Select(*date)) return false;
    Changed(c, before);
    return true;
}

bool SetRange(Control& c, WPARAM flags, const SYSTEMTIME* limits) {
    if ((flags & ~static_cast<WPARAM>(GDTR_MIN | GDTR_MAX)) != 0) return false;
    if (flags != 0 && limits == nullptr) return false;
    Date first = cal::kEarliestDate;
    Date last = cal::kLatestDate;
    if (flags & GDTR_MIN) {
        const std::optional<Date> d = FromSystemTime(&limits[0]);
        if (!d) return false;
        first = *d;
    }
    if (flags & GDTR_MAX) {
        const std::optional<Date> d = FromSystemTime(&limits[1]);
        if (!d) return false;
        last = *d;
    }
    const std::optional<cal::DateRange> range = cal::MakeRange(first, last);
    const a11y::Snapshot before = Before(c);
    if (!range || !c.model.SetRange(*range)) return false;
    c.range_flags = flags;
    Changed(c, before);
    return true;
}

LRESULT GetRange(const Control& c, SYSTEMTIME* limits) {
    if (limits != nullptr) {
        limits[0] = (c.range_flags & GDTR_MIN) ? ToSystemTime(c.model.range().first) : SYSTEMTIME{};
        limits[1] = (c.range_flags & GDTR_MAX) ? ToSystemTime(c.model.range().last) : SYSTEMTIME{};
    }
    return static_cast<LRESULT>(c.range_flags);
}

LRESULT GetMonthRange(const Control& c, WPARAM which, SYSTEMTIME* dates) {
    if (which != GMR_VISIBLE && which != GMR_DAYSTATE) return 0;
    const auto [first, last] = which == GMR_VISIBLE ? c.model.VisibleDates() : c.model.GridDates();
    if (dates != nullptr) {
        dates[0] = ToSystemTime(first);
        dates[1] = ToSystemTime(last);
    }
    return cal::MonthsSpanned(first, last);
}

bool ValidColourValue(LPARAM value) {
    const auto v = static_cast<std::uint64_t>(value);
    if (v > 0xFFFFFFFFu) return false;
    if (IsSystemColour(static_cast<ColourValue>(v))) {
        return (v & 0x7FFFFF00u) == 0 &&
               SystemColourIndex(static_cast<ColourValue>(v)) <= COLOR_MENUBAR;
    }
    return (v & 0xFF000000u) == 0;
}

LRESULT SetColour(Control& c, WPARAM slot, LPARAM value) {
    const std::optional<cal::ColourPart> part = cal::PartForSlot(static_cast<int>(slot));
    if (!part || slot > MCSC_TRAILINGTEXT || !ValidColourValue(value)) return -1;
    ColourValue& stored = c.palette[static_cast<std::size_t>(*part)];
    const ColourValue previous = stored;
    stored = static_cast<ColourValue>(value);
    InvalidateRect(c.window, nullptr, FALSE);
    return static_cast<LRESULT>(previous);
}

LRESULT GetColour(const Control& c, WPARAM slot) {
    const std::optional<cal::ColourPart> part = cal::PartForSlot(static_cast<int>(slot));
    if (!part || slot > MCSC_TRAILINGTEXT) return -1;
    return static_cast<LRESULT>(c.palette[static_cast<std::size_t>(*part)]);
}

LRESULT GetFirstDayOfWeek(const Control& c) {
    const int day = cal::LocaleNumberOf(c.model.first_day());
    return MAKELONG(day, c.first_day_set && day != c.texts.first_day_of_week ? 1 : 0);
}

LRESULT SetFirstDayOfWeek(Control& c, LPARAM day) {
    const LRESULT previous = GetFirstDayOfWeek(c);
    const a11y::Snapshot before = Before(c);
    if (day == -1) {
        c.first_day_set = false;
        c.model.SetFirstDay(cal::WeekdayFromLocaleNumber(c.texts.first_day_of_week));
    } else if (day >= 0 && day <= 6) {
        c.first_day_set = true;
        c.model.SetFirstDay(cal::WeekdayFromLocaleNumber(static_cast<int>(day)));
    } else {
        return previous;
    }
    Changed(c, before);
    return previous;
}

UINT HitCode(const cal::Hit& hit) {
    const auto by_kind = [&hit]() -> UINT {
        switch (hit.kind) {
            case cal::CellKind::Leading:
                return MCHT_CALENDARDATEPREV;
            case cal::CellKind::Trailing:
                return MCHT_CALENDARDATENEXT;
            case cal::CellKind::Current:
                break;
        }
        return MCHT_CALENDARDATE;
    };
    switch (hit.part) {
        case cal::HitPart::Nowhere:
            return MCHT_NOWHERE;
        case cal::HitPart::TitleBackground:
            return MCHT_TITLEBK;
        case cal::HitPart::PrevButton:
            return MCHT_TITLEBTNPREV;
        case cal::HitPart::NextButton:
            return MCHT_TITLEBTNNEXT;
        case cal::HitPart::TitleMonth:
            return MCHT_TITLEMONTH;
        case cal::HitPart::TitleYear:
            return MCHT_TITLEYEAR;
        case cal::HitPart::WeekdayRow:
            return MCHT_CALENDARDAY;
        case cal::HitPart::Background:
            return MCHT_CALENDARBK;
        case cal::HitPart::Day:
        case cal::HitPart::ZoomCell:
            return by_kind();
    }
    return MCHT_NOWHERE;
}

LRESULT HitTestMessage(Control& c, MCHITTESTINFO* info) {
    if (info == nullptr) return -1;
    const bool full = info->cbSize == sizeof(MCHITTESTINFO);
    if (!full && info->cbSize != MCHITTESTINFO_V1_SIZE) return -1;
    EnsureLayout(c, nullptr);
    const cal::Hit hit = cal::HitTest(c.model, c.layout, info->pt.x, info->pt.y);
    info->uHit = HitCode(hit);
    info->st = hit.first ? ToSystemTime(*hit.first) : SYSTEMTIME{};
    if (hit.part == cal::HitPart::WeekdayRow) {
        const chr::weekday day = c.model.first_day() + chr::days{hit.column};
        info->st.wDayOfWeek = static_cast<WORD>(day.c_encoding());
    }
    if (full) {
        info->rc = ToRECT(hit.rect);
        info->iOffset = 0;
        info->iRow = hit.row;
        info->iCol = hit.column;
    }
    return static_cast<LRESULT>(info->uHit);
}

LRESULT GetMinReqRect(Control& c, RECT* rect) {
    if (rect == nullptr) return FALSE;
    WindowDC dc(c.window);
    if (dc.get() == nullptr) return FALSE;
    cal::TextWidths widths;
    {
        ScopedSelect select(dc.get(), c.font);
        for (unsigned day = 1; day <= 31; ++day) {
            const std::wstring text = kDayNumbers[day];
            widths.day = std::max(widths.day, TextWidth(dc.get(), text, 0, text.size()));
        }
        for (const std::wstring& name : c.texts.day_names) {
            widths.weekday = std::max(widths.weekday, TextWidth(dc.get(), name, 0, name.size()));
        }
        for (const std::wstring& name : c.texts.short_month_names) {
            widths.zoom_cell =
                std::max(widths.zoom_cell, TextWidth(dc.get(), name, 0, name.size()));
        }
        const std::wstring decade = cal::YearText(2000) + L'\x2013';
        widths.zoom_cell =
            std::max(widths.zoom_cell, TextWidth(dc.get(), decade, 0, decade.size()));
    }
    ScopedSelect select(dc.get(), BoldFont(c));
    for (unsigned month = 1; month <= 12; ++month) {
        const std::wstring title = cal::FormatMonthTitle(kUserLocale, 2000, month).text;
        widths.title = std::max(widths.title, TextWidth(dc.get(), title, 0, title.size()));
    }
    const std::wstring century = cal::YearSpanText(2000, 2099);
    widths.title = std::max(widths.title, TextWidth(dc.get(), century, 0, century.size()));
    const cal::Size size = cal::MinimumSize(c.metrics, widths);
    *rect = {0, 0, size.width, size.height};
    return TRUE;
}

// ---- The accessible object's view of the control ---------------------------

HWND AccessSource::Window() const { return c_.window; }

const cal::Calendar& AccessSource::Model() const { return c_.model; }

const cal::Layout& AccessSource::CurrentLayout() {
    EnsureLayout(c_, nullptr);
    return c_.layout;
}

Date AccessSource::Today() const { return tk::Today(c_); }

std::wstring AccessSource::TitleText() { return TitleOf(c_).text; }

void AccessSource::Page(int direction) {
    const a11y::Snapshot before = Before(c_);
    Apply(c_, before, c_.model.Page(direction));
}

void AccessSource::ZoomOut() {
    const a11y::Snapshot before = Before(c_);
    Apply(c_, before, c_.model.ZoomOut());
}

void AccessSource::ClickAt(int x, int y) {
    EnsureLayout(c_, nullptr);
    const a11y::Snapshot before = Before(c_);
    Apply(c_, before, c_.model.Click(c_.layout, x, y));
}

void AccessSource::Press(cal::Key key) {
    const a11y::Snapshot before = Before(c_);
    Apply(c_, before, c_.model.Press(key));
}

// A new selection the user asked for: told as a change, not as a pick.
void AccessSource::Select(Date day) {
    const a11y::Snapshot before = Before(c_);
    cal::Outcome outcome;
    if (day != c_.model.selected() && c_.model.Select(day))
        outcome.changed = outcome.selection_changed = true;
    Apply(c_, before, outcome);
}

// ---- Life cycle ------------------------------------------------------------

bool OnNcCreate(HWND window) {
    Control* c = new (std::nothrow) Control(window);
    if (c == nullptr) return false;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(c));
    // Owned by the window from here on: WM_NCDESTROY deletes it.
    return true;  // NOLINT(clang-analyzer-cplusplus.NewDeleteLeaks)
}

bool FocusHiddenByUiState(HWND window) {
    return (SendMessageW(window, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0;
}

void OnUpdateUiState(Control& c, WORD action, WORD flags) {
    if ((flags & UISF_HIDEFOCUS) == 0) return;
    if (action == UIS_SET) c.hide_focus = true;
    if (action == UIS_CLEAR) c.hide_focus = false;
    if (action == UIS_INITIALIZE) c.hide_focus = FocusHiddenByUiState(c.window);
    InvalidateRect(c.window, nullptr, FALSE);
}

void OnCreate(Control& c) {
    c.hide_focus = FocusHiddenByUiState(c.window);
    c.high_contrast = HighContrastOn();
    LoadLocale(c);
    UseFont(c, nullptr);
    ArmMidnightTimer(c);
}

void OnNcDestroy(HWND window, Control* c) {
    if (c->timer_running) KillTimer(window, kMidnightTimer);
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    delete c;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NCCREATE) {
        if (!OnNcCreate(window)) return FALSE;
        return DefWindowProcW(window, message, wp, lp);
    }
    Control* c = StateOf(window);
    if (c == nullptr) return DefWindowProcW(window, message, wp, lp);

    switch (message) {
        case WM_CREATE:
            OnCreate(*c);
            return 0;
        case WM_NCDESTROY:
            OnNcDestroy(window, c);
            return DefWindowProcW(window, message, wp, lp);
        case WM_ERASEBKGND:
            return 1;
        case WM_PAINT: {
            PaintScope paint(window);
            if (paint.dc() != nullptr) Paint(*c, paint.dc(), paint.dirty());
            return 0;
        }
        case WM_PRINTCLIENT: {
            RECT client{};
            GetClientRect(window, &client);
            Paint(*c, reinterpret_cast<HDC>(wp), client);
            return 0;
        }
        case WM_SIZE:
            Relayout(*c);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_SETFONT:
            UseFont(*c, reinterpret_cast<HFONT>(wp));
            if (LOWORD(lp)) InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_GETFONT:
            return reinterpret_cast<LRESULT>(c->font);
        case WM_DPICHANGED_AFTERPARENT:
            if (c->own_font) UseFont(*c, nullptr);
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            c->focused = message == WM_SETFOCUS;
            InvalidateRect(window, nullptr, FALSE);
            if (c->focused) a11y::RaiseFocus(window, c->model);
            return 0;
        case WM_ENABLE:
        case WM_STYLECHANGED:
        case WM_SYSCOLORCHANGE:
            c->high_contrast = HighContrastOn();
            InvalidateRect(window, nullptr, FALSE);
            return 0;
        case WM_SETTINGCHANGE: {  // also WM_WININICHANGE, the same message
            const a11y::Snapshot before = Before(*c);
            c->high_contrast = HighContrastOn();
            LoadLocale(*c);
            Changed(*c, before, true);  // the locale's words may be others now
            return 0;
        }
        case WM_UPDATEUISTATE: {
            const LRESULT result = DefWindowProcW(window, message, wp, lp);
            OnUpdateUiState(*c, LOWORD(wp), HIWORD(wp));
            return result;
        }
        case WM_TIMER:
            if (wp != kMidnightTimer) break;
            [[fallthrough]];
        case WM_TIMECHANGE: {
            const a11y::Snapshot before = Before(*c);
            if (c->timer_running) KillTimer(window, kMidnightTimer);
            ArmMidnightTimer(*c);
            Changed(*c, before);
            return 0;
        }
        case WM_GETDLGCODE:
            return OnGetDlgCode(*c, reinterpret_cast<const MSG*>(lp));
        case WM_GETOBJECT:
            if (const LRESULT answer = c->accessible.Answer(c->access, wp, lp)) return answer;
            break;
        case WM_DESTROY:
            c->accessible.Disconnect();
            break;
        case WM_LBUTTONDOWN:
            OnLButtonDown(*c, GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
            return 0;
        case WM_MOUSEWHEEL:
            OnWheel(*c, GET_WHEEL_DELTA_WPARAM(wp));
            return 0;
        case WM_KEYDOWN:
            if (OnKeyDown(*c, wp)) return 0;
            break;

        case MCM_GETCURSEL:
            return GetCurSel(*c, reinterpret_cast<SYSTEMTIME*>(lp));
        case MCM_SETCURSEL:
            return SetCurSel(*c, reinterpret_cast<const SYSTEMTIME*>(lp));
        case MCM_GETMAXSELCOUNT:
            return 1;
        case MCM_GETRANGE:
            return GetRange(*c, reinterpret_cast<SYSTEMTIME*>(lp));
        case MCM_SETRANGE:
            return SetRange(*c, wp, reinterpret_cast<const SYSTEMTIME*>(lp));
        case MCM_GETMONTHRANGE:
            return GetMonthRange(*c, wp, reinterpret_cast<SYSTEMTIME*>(lp));
        case MCM_GETMINREQRECT:
            return GetMinReqRect(*c, reinterpret_cast<RECT*>(lp));
        case MCM_SETCOLOR:
            return SetColour(*c, wp, lp);
        case MCM_GETCOLOR:
            return GetColour(*c, wp);
        case MCM_GETFIRSTDAYOFWEEK:
            return GetFirstDayOfWeek(*c);
        case MCM_SETFIRSTDAYOFWEEK:
            return SetFirstDayOfWeek(*c, lp);
        case MCM_GETTODAY:
            return GetToday(*c, reinterpret_cast<SYSTEMTIME*>(lp));
        case MCM_SETTODAY:
            SetToday(*c, reinterpret_cast<const SYSTEMTIME*>(lp));
            return 0;
        case MCM_GETCURRENTVIEW:
            return static_cast<LRESULT>(MessageView(c->model.view()));
        case MCM_SETCURRENTVIEW:
            return SetCurrentView(*c, lp);
        case MCM_GETCALENDARCOUNT:
            return 1;
        case MCM_HITTEST:
            return HitTestMessage(*c, reinterpret_cast<MCHITTESTINFO*>(lp));
        case MCM_GETUNICODEFORMAT:
            return TRUE;
        default:
            break;
    }
    return DefWindowProcW(window, message, wp, lp);
}

Control* CalendarState(HWND window) {
    if (window == nullptr || !IsWindow(window)) return nullptr;
    if (GetWindowLongPtrW(window, GWLP_WNDPROC) != reinterpret_cast<LONG_PTR>(&WindowProc))
        return nullptr;
    return StateOf(window);
}

}  // namespace

bool RegisterMonthCalendarClass(HINSTANCE instance) {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, kMonthCalendarClassName, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);  // shared: never freed
    wc.lpszClassName = kMonthCalendarClassName;
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool ApplyMonthCalendarSettings(HWND calendar, const MonthCalendarSettings& settings) {
    Control* c = CalendarState(calendar);
    if (c == nullptr) return false;
    const a11y::Snapshot before = Before(*c);
    bool all_taken = true;
    const std::optional<Date> first = FromCalendarDate(settings.min_date);
    const std::optional<Date> last = FromCalendarDate(settings.max_date);
    if (first && last) {
        const SYSTEMTIME limits[2] = {ToSystemTime(*first), ToSystemTime(*last)};
        all_taken &= SetRange(*c, GDTR_MIN | GDTR_MAX, limits);
    } else {
        all_taken = false;
    }
    const std::optional<Date> selected = FromCalendarDate(settings.selected);
    all_taken &= selected && c->model.Select(*selected);
    c->model.SetView(View::Month);
    c->palette = cal::PaletteFromStored(settings.stored_colours);
    Changed(*c, before);
    return all_taken;
}

std::vector<MonthCalendarText> MonthCalendarPaintedTexts(HWND calendar) {
    const Control* c = CalendarState(calendar);
    return c != nullptr ? c->painted : std::vector<MonthCalendarText>{};
}

}  // namespace tk
