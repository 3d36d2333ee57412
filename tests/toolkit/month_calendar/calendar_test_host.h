// A real top-level window holding one month calendar, real input through
// SendInput, and rendering into memory for pixel checks.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <optional>
#include <vector>

#include "toolkit/handles.h"
#include "toolkit/month_calendar/month_calendar.h"

namespace tk::test {

MonthCalendarSettings ProgramSettings();

SYSTEMTIME Day(int year, int month, int day);
bool SameDay(const SYSTEMTIME& a, const SYSTEMTIME& b);

struct Notification {
    UINT code;
    SYSTEMTIME selected;
};

// The calendar at the form's size for the DPI, with the dialog font and,
// unless told otherwise, the program's settings.
class CalendarHost {
public:
    explicit CalendarHost(unsigned dpi = 96, bool apply_settings = true);
    ~CalendarHost();
    CalendarHost(const CalendarHost&) = delete;
    CalendarHost& operator=(const CalendarHost&) = delete;

    HWND host() const { return host_; }
    HWND calendar() const { return calendar_; }
    HFONT font() const { return font_.get(); }

    SYSTEMTIME Selection() const;
    int View() const;
    // Makes the host the foreground window and the calendar the focus.
    bool Activate();

    std::vector<Notification> notifications;

private:
    static LRESULT CALLBACK HostProc(HWND, UINT, WPARAM, LPARAM);

    HWND host_ = nullptr;
    HWND calendar_ = nullptr;
    UniqueFont font_;
};

// Pumps this thread's messages until `done` holds or the time is up.
bool PumpUntil(const std::function<bool()>& done, int timeout_ms = 3000);
void PumpFor(int ms);

// Real input; each returns once the window has taken the input from its
// queue (false if it never arrived).
bool ClickAt(HWND window, POINT client_point);
bool WheelAt(HWND window, POINT client_point, int delta);
bool PressKey(WORD key, bool with_control = false);

// A point whose MCM_HITTEST answer satisfies `wanted` (the centre of the
// answered rectangle), scanning the whole client area.
std::optional<POINT> FindHit(HWND calendar,
                             const std::function<bool(const MCHITTESTINFO&)>& wanted);
std::optional<POINT> FindDate(HWND calendar, const SYSTEMTIME& date);
std::optional<POINT> FindPart(HWND calendar, UINT hit);

struct Image {
    int width = 0;
    int height = 0;
    std::vector<COLORREF> pixels;

    COLORREF At(int x, int y) const { return pixels[static_cast<size_t>(y * width + x)]; }
    int Count(const RECT& area, COLORREF colour) const;
    bool operator==(const Image&) const = default;
};

// Renders the window's client area through WM_PRINTCLIENT.
Image Render(HWND window);

// The rectangle MCM_HITTEST gives for a point.
RECT HitRect(HWND calendar, POINT point);

}  // namespace tk::test
