// The month calendar as screen readers see it: an IAccessible for the
// control's client area, made on the first WM_GETOBJECT (oleacc, oleaut32
// and ole32 are loaded then, so a start pays nothing for them), and the
// WinEvents that announce a new selection or a new page.
//
// The object (the client area, role "client") has the selected day in full
// as its value: "Monday, July 19, 2004". Its children are simple elements,
// numbered by child id:
//   1   the title ("July 2004", "2004", "2000–2009"), a push button that
//       zooms out; unavailable in the outermost view
//   2   the previous page's button ("Previous month", "Previous decade"...)
//   3   the next page's button; either is unavailable at the range's end
//   4…  the cells on show in reading order, blank ones (outside the range)
//       skipped: the month view's days, each named by its date in full with
//       its weekday, or the zoomed views' months ("July 2004"), years
//       ("2004") or spans ("1990–1999"). Role "cell", selectable and
//       focusable; the selected day (or the zoomed views' highlighted cell)
//       is selected, and focused while the calendar has the focus.
// Today's cell, or the zoomed cell that holds today, says so in its
// description ("Today", "Includes today"): MSAA has no state bit for it.
// The words without a locale API (buttons, actions, today) are Russian when
// the user's UI language is, English otherwise.
//
// Default actions: the buttons page, the title zooms out, a cell does what a
// click on it does (selects a day, opens a month or a span). accSelect moves
// the selection to a cell as the keyboard would, and takes the focus for
// SELFLAG_TAKEFOCUS.
//
// Events (NotifyWinEvent, OBJID_CLIENT): EVENT_OBJECT_SELECTION and, while
// the calendar has the focus, EVENT_OBJECT_FOCUS on the newly selected cell;
// EVENT_OBJECT_VALUECHANGE on the object when the selected day changes;
// EVENT_OBJECT_REORDER and EVENT_OBJECT_NAMECHANGE (title, and the buttons
// when the view changes) when another page is shown; EVENT_OBJECT_STATECHANGE
// when a button becomes (un)available; EVENT_OBJECT_DESCRIPTIONCHANGE when
// today moves. On WM_SETFOCUS the control raises EVENT_OBJECT_FOCUS on the
// selected cell, after the system's own for the window.
//
// Lifetime: the window keeps one reference and disconnects the object on
// WM_DESTROY; from then on every method answers RPC_E_DISCONNECTED and
// touches nothing of the control.
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "toolkit/month_calendar/calendar_model.h"

namespace tk::a11y {

inline constexpr LONG kTitleId = 1;
inline constexpr LONG kPreviousId = 2;
inline constexpr LONG kNextId = 3;
inline constexpr LONG kFirstCellId = 4;

// The cells on show in the current view and the child ids they get.
class ShownCells {
public:
    explicit ShownCells(const cal::Calendar& calendar);

    bool month_view() const { return month_view_; }
    const cal::MonthGrid& month() const { return month_; }
    const cal::ZoomGrid& zoom() const { return zoom_; }
    int cells() const { return month_view_ ? cal::kDayCells : cal::kZoomCells; }
    bool blank(int cell) const;

    // 0 for a blank cell or an index out of range.
    LONG ChildId(int cell) const;
    // -1 for an id that names no cell.
    int CellOf(LONG child) const;
    // The title, the two buttons and the cells on show.
    LONG ChildCount() const;
    // The selected day's cell, or the zoomed views' highlighted cell.
    int FocusCell() const { return focus_cell_; }
    // The cell that shows `day`, or -1.
    int CellHolding(cal::Date day) const;
    // A cell's dates (one day in the month view).
    cal::Date First(int cell) const;
    cal::Date Last(int cell) const;

private:
    bool month_view_;
    cal::MonthGrid month_{};
    cal::ZoomGrid zoom_{};
    int first_shown_ = 0;  // blank cells can only lead or trail
    int shown_ = 0;
    int focus_cell_ = -1;
};

// What the accessible object reads from the window, and the user's actions
// it performs there: each is repainted, announced and told to the parent as
// input would be, and the parent may destroy the window while it is told.
class CalendarSource {
public:
    virtual HWND Window() const = 0;
    virtual const cal::Calendar& Model() const = 0;
    // The layout in client pixels, brought up to date with the window.
    virtual const cal::Layout& CurrentLayout() = 0;
    virtual cal::Date Today() const = 0;
    virtual std::wstring TitleText() = 0;

    virtual void Page(int direction) = 0;
    virtual void ZoomOut() = 0;
    virtual void ClickAt(int x, int y) = 0;
    virtual void Press(cal::Key key) = 0;
    virtual void Select(cal::Date day) = 0;

protected:
    ~CalendarSource() = default;
};

class CalendarAccessible;

// The window's reference to its accessible object.
class AccessibleHolder {
public:
    AccessibleHolder() = default;
    ~AccessibleHolder() { Disconnect(); }
    AccessibleHolder(const AccessibleHolder&) = delete;
    AccessibleHolder& operator=(const AccessibleHolder&) = delete;

    // The answer to WM_GETOBJECT for the client area, or 0 when the window
    // procedure should leave the message to DefWindowProc (another object
    // id, or no oleacc).
    LRESULT Answer(CalendarSource& source, WPARAM wp, LPARAM lp);
    // Cuts the object off the window (WM_DESTROY) and lets go of it.
    void Disconnect();

private:
    CalendarAccessible* object_ = nullptr;
    bool unavailable_ = false;  // oleacc could not be had: not tried again
};

// Objects alive in the process, for tests that prove none outlives its
// last reference.
long LiveAccessibleObjects();

// What the children depend on, taken before a change so that the events
// name only what did change.
struct Snapshot {
    cal::Date selected;
    cal::View view = cal::View::Month;
    cal::Month focus;
    cal::DateRange range;
    std::chrono::weekday first_day;
    bool can_previous = false;
    bool can_next = false;
    cal::Date today;

    static Snapshot Of(const cal::Calendar& calendar, cal::Date today);
};

// Raises the WinEvents for the difference; `renamed` when every name may
// have changed (the locale may have): the children are then announced as
// others, but the focus is not announced again.
void RaiseChanges(HWND window, const Snapshot& before, const cal::Calendar& now, cal::Date today,
                  bool renamed = false);
// The selected cell takes the focus event after the window's own.
void RaiseFocus(HWND window, const cal::Calendar& now);

}  // namespace tk::a11y
