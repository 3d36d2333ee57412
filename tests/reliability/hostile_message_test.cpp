// Messages no user sends but any program may: impossible dates and ranges,
// wrong struct sizes and null pointers to the calendar, every key with every
// modifier and the mouse far outside to every control. Each is refused or
// clamped as the platform's month calendar documents, nothing crashes, and
// the calendar's state stays valid.
#include "tests/reliability/program_windows.h"

#include <commctrl.h>

#include <climits>
#include <cstring>
#include <functional>
#include <vector>

namespace reliability {
namespace {

SYSTEMTIME Day(int year, int month, int day) {
    SYSTEMTIME st{};
    st.wYear = static_cast<WORD>(year);
    st.wMonth = static_cast<WORD>(month);
    st.wDay = static_cast<WORD>(day);
    return st;
}

const char* const kModifierNames[] = {"",     "Shift+",     "Ctrl+",     "Shift+Ctrl+",
                                      "Alt+", "Shift+Alt+", "Ctrl+Alt+", "Shift+Ctrl+Alt+"};

// The key message's lParam: one press, the key's scan code, Alt as context.
LPARAM KeyDownParam(UINT vk, bool alt) {
    const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
    return static_cast<LPARAM>(1 | (scan & 0xFF) << 16 | (alt ? 1u << 29 : 0u));
}

class HostileMessages : public ProgramWindows {
protected:
    // Everything a refused message must leave as it was.
    struct Snapshot {
        std::string selected;
        LRESULT range_flags;
        std::string range;
        LRESULT view;
        LRESULT first_day;
        std::string today;

        bool operator==(const Snapshot&) const = default;
    };

    Snapshot Take() {
        HWND cal = calendar();
        SYSTEMTIME st{};
        SendMessageW(cal, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&st));
        SYSTEMTIME limits[2]{};
        const LRESULT flags = SendMessageW(cal, MCM_GETRANGE, 0, reinterpret_cast<LPARAM>(limits));
        SYSTEMTIME today{};
        SendMessageW(cal, MCM_GETTODAY, 0, reinterpret_cast<LPARAM>(&today));
        return {Text(st),
                flags,
                Text(limits[0]) + " " + Text(limits[1]),
                SendMessageW(cal, MCM_GETCURRENTVIEW, 0, 0),
                SendMessageW(cal, MCM_GETFIRSTDAYOFWEEK, 0, 0),
                Text(today)};
    }

    // The program's windows' other controls, and the windows themselves, by
    // name ("" is the window); the About window is opened for its own.
    HWND Target(bool about, const wchar_t* name) {
        tk::Form* form = about ? (about_window::Instance() ? about_window::Instance() : OpenAbout())
                               : CalendarForm();
        if (form == nullptr) return nullptr;
        return *name ? form->Control(name) : form->hwnd();
    }

    int AboutWindowCount() {
        int count = 0;
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND w, LPARAM p) {
                wchar_t text[32] = {};
                GetWindowTextW(w, text, 32);
                if (lstrcmpW(text, L"О программе !") == 0) ++*reinterpret_cast<int*>(p);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&count));
        return count;
    }

    // After anything: at most one About window, a valid calendar.
    std::string ProgramFaults() {
        if (AboutWindowCount() > 1) return std::to_string(AboutWindowCount()) + " About windows";
        return CalendarFaults();
    }
};

struct Refused {
    const char* name;
    std::function<LRESULT(HWND calendar)> send;
    LRESULT expected;
};

template <typename T>
LPARAM Ptr(T* p) {
    return reinterpret_cast<LPARAM>(p);
}

LRESULT SetCurSel(HWND cal, SYSTEMTIME st) { return SendMessageW(cal, MCM_SETCURSEL, 0, Ptr(&st)); }

LRESULT SetRange(HWND cal, WPARAM flags, SYSTEMTIME min, SYSTEMTIME max) {
    SYSTEMTIME limits[2] = {min, max};
    return SendMessageW(cal, MCM_SETRANGE, flags, Ptr(limits));
}

TEST_F(HostileMessages, CalendarRefusesWhatItCannotTake) {
    constexpr WPARAM kBoth = GDTR_MIN | GDTR_MAX;
    const Refused cases[] = {
        {"MCM_SETCURSEL month 0", [](HWND c) { return SetCurSel(c, Day(2004, 0, 1)); }, FALSE},
        {"MCM_SETCURSEL month 13", [](HWND c) { return SetCurSel(c, Day(2004, 13, 1)); }, FALSE},
        {"MCM_SETCURSEL day 0", [](HWND c) { return SetCurSel(c, Day(2004, 7, 0)); }, FALSE},
        {"MCM_SETCURSEL day 32", [](HWND c) { return SetCurSel(c, Day(2004, 7, 32)); }, FALSE},
        {"MCM_SETCURSEL 31 April", [](HWND c) { return SetCurSel(c, Day(2004, 4, 31)); }, FALSE},
        {"MCM_SETCURSEL 29 February 2003", [](HWND c) { return SetCurSel(c, Day(2003, 2, 29)); },
         FALSE},
        {"MCM_SETCURSEL 29 February 1900", [](HWND c) { return SetCurSel(c, Day(1900, 2, 29)); },
         FALSE},
        {"MCM_SETCURSEL year 0", [](HWND c) { return SetCurSel(c, Day(0, 1, 1)); }, FALSE},
        {"MCM_SETCURSEL year 65535", [](HWND c) { return SetCurSel(c, Day(65535, 12, 31)); },
         FALSE},
        {"MCM_SETCURSEL before the range", [](HWND c) { return SetCurSel(c, Day(1752, 12, 31)); },
         FALSE},
        {"MCM_SETCURSEL after the range", [](HWND c) { return SetCurSel(c, Day(10000, 1, 1)); },
         FALSE},
        {"MCM_SETCURSEL NULL", [](HWND c) { return SendMessageW(c, MCM_SETCURSEL, 0, 0); }, FALSE},
        {"MCM_SETRANGE min after max",
         [](HWND c) { return SetRange(c, kBoth, Day(2005, 1, 1), Day(2004, 12, 31)); }, FALSE},
        {"MCM_SETRANGE min before 1753",
         [](HWND c) { return SetRange(c, kBoth, Day(1752, 12, 31), Day(2004, 12, 31)); }, FALSE},
        {"MCM_SETRANGE max after 9999",
         [](HWND c) { return SetRange(c, kBoth, Day(2004, 1, 1), Day(10000, 1, 1)); }, FALSE},
        {"MCM_SETRANGE year 0 to 65535",
         [](HWND c) { return SetRange(c, kBoth, Day(0, 1, 1), Day(65535, 12, 31)); }, FALSE},
        {"MCM_SETRANGE min only, 1752",
         [](HWND c) { return SetRange(c, GDTR_MIN, Day(1752, 1, 1), Day(0, 0, 0)); }, FALSE},
        {"MCM_SETRANGE max only, month 13",
         [](HWND c) { return SetRange(c, GDTR_MAX, Day(0, 0, 0), Day(2004, 13, 1)); }, FALSE},
        {"MCM_SETRANGE unknown flags",
         [](HWND c) { return SetRange(c, 0x10 | kBoth, Day(2004, 1, 1), Day(2004, 2, 1)); }, FALSE},
        {"MCM_SETRANGE NULL", [](HWND c) { return SendMessageW(c, MCM_SETRANGE, kBoth, 0); },
         FALSE},
        {"MCM_GETCURSEL NULL", [](HWND c) { return SendMessageW(c, MCM_GETCURSEL, 0, 0); }, FALSE},
        {"MCM_GETTODAY NULL", [](HWND c) { return SendMessageW(c, MCM_GETTODAY, 0, 0); }, FALSE},
        {"MCM_GETMINREQRECT NULL", [](HWND c) { return SendMessageW(c, MCM_GETMINREQRECT, 0, 0); },
         FALSE},
        {"MCM_GETRANGE NULL", [](HWND c) { return SendMessageW(c, MCM_GETRANGE, 0, 0); }, kBoth},
        {"MCM_GETMONTHRANGE NULL",
         [](HWND c) { return SendMessageW(c, MCM_GETMONTHRANGE, GMR_VISIBLE, 0); }, 1},
        {"MCM_GETMONTHRANGE unknown flag",
         [](HWND c) {
             SYSTEMTIME r[2]{};
             return SendMessageW(c, MCM_GETMONTHRANGE, 7, Ptr(r));
         },
         0},
        {"MCM_HITTEST NULL", [](HWND c) { return SendMessageW(c, MCM_HITTEST, 0, 0); }, -1},
        {"MCM_SETCURRENTVIEW 4", [](HWND c) { return SendMessageW(c, MCM_SETCURRENTVIEW, 0, 4); },
         FALSE},
        {"MCM_SETCURRENTVIEW -1", [](HWND c) { return SendMessageW(c, MCM_SETCURRENTVIEW, 0, -1); },
         FALSE},
        {"MCM_SETCURRENTVIEW INT_MAX",
         [](HWND c) { return SendMessageW(c, MCM_SETCURRENTVIEW, 0, INT_MAX); }, FALSE},
        {"MCM_SETTODAY month 13",
         [](HWND c) {
             SYSTEMTIME st = Day(2004, 13, 1);
             return SendMessageW(c, MCM_SETTODAY, 0, Ptr(&st));
         },
         0},
    };
    for (const Refused& c : cases) {
        const Snapshot before = Take();
        EXPECT_EQ(c.send(calendar()), c.expected) << c.name;
        Pump();
        EXPECT_EQ(Take(), before) << c.name << " changed the state";
        EXPECT_EQ(CalendarFaults(), "") << c.name;
    }

    // Outside a narrower range, and a range that would leave the selection
    // outside: the selection moves into it.
    ASSERT_EQ(SetRange(calendar(), kBoth, Day(2004, 7, 10), Day(2004, 8, 5)), TRUE);
    EXPECT_EQ(SetCurSel(calendar(), Day(2004, 7, 9)), FALSE);
    EXPECT_EQ(SetCurSel(calendar(), Day(2004, 8, 6)), FALSE);
    EXPECT_EQ(Take().selected, "2004-07-19");
    ASSERT_EQ(SetRange(calendar(), kBoth, Day(2005, 1, 1), Day(2005, 1, 31)), TRUE);
    EXPECT_EQ(Take().selected, "2005-01-01");
    EXPECT_EQ(CalendarFaults(), "");
    ASSERT_EQ(SetRange(calendar(), kBoth, Day(1753, 1, 1), Day(9999, 12, 31)), TRUE);
}

TEST_F(HostileMessages, HitTestWritesOnlyWhatTheSizeAllows) {
    constexpr unsigned char kUntouched = 0xA5;
    RECT client;
    GetClientRect(calendar(), &client);
    struct Case {
        UINT size;
        POINT point;
        LRESULT expected;     // -1: refused, writes nothing
        std::size_t written;  // bytes it may fill
    };
    const UINT full = sizeof(MCHITTESTINFO);
    const POINT inside{client.right / 2, client.bottom / 2};
    const Case cases[] = {
        {0, inside, -1, 0},
        {1, inside, -1, 0},
        {MCHITTESTINFO_V1_SIZE - 1, inside, -1, 0},
        {MCHITTESTINFO_V1_SIZE + 1, inside, -1, 0},
        {full + 1, inside, -1, 0},
        {0xFFFFFFFFu, inside, -1, 0},
        {MCHITTESTINFO_V1_SIZE, {-32768, -32768}, MCHT_NOWHERE, MCHITTESTINFO_V1_SIZE},
        {full, {INT_MIN, INT_MIN}, MCHT_NOWHERE, full},
        {full, {INT_MAX, INT_MAX}, MCHT_NOWHERE, full},
        {full, {-1, 0}, MCHT_NOWHERE, full},
        {full, {0, -1}, MCHT_NOWHERE, full},
        {full, {client.right, 0}, MCHT_NOWHERE, full},
        {full, {0, client.bottom}, MCHT_NOWHERE, full},
    };
    for (const Case& c : cases) {
        unsigned char bytes[sizeof(MCHITTESTINFO) + 16];
        std::memset(bytes, kUntouched, sizeof bytes);
        MCHITTESTINFO info;
        std::memcpy(&info, bytes, sizeof info);
        info.cbSize = c.size;
        info.pt = c.point;
        std::memcpy(bytes, &info, sizeof info);
        const std::string what = "cbSize " + std::to_string(c.size) + " at " +
                                 std::to_string(c.point.x) + "," + std::to_string(c.point.y);
        EXPECT_EQ(SendMessageW(calendar(), MCM_HITTEST, 0, Ptr(bytes)), c.expected) << what;
        const std::size_t kept_from = c.written == 0 ? offsetof(MCHITTESTINFO, uHit) : c.written;
        for (std::size_t i = kept_from; i < sizeof bytes; ++i) {
            ASSERT_EQ(bytes[i], kUntouched) << what << ": byte " << i << " written";
        }
    }
    // The corners inside are parts of the calendar.
    for (const POINT p : {POINT{0, 0}, POINT{client.right - 1, client.bottom - 1}}) {
        MCHITTESTINFO info{};
        info.cbSize = sizeof info;
        info.pt = p;
        EXPECT_NE(SendMessageW(calendar(), MCM_HITTEST, 0, Ptr(&info)), MCHT_NOWHERE)
            << p.x << "," << p.y;
    }
}

// Each key from every start: each view, at both ends of the range and on a
// leap day, with every combination of Shift, Ctrl and Alt held.
TEST_F(HostileMessages, EveryKeyWithEveryModifierLeavesTheCalendarValid) {
    const SYSTEMTIME starts[] = {Day(1753, 1, 1), Day(9999, 12, 31), Day(2004, 2, 29)};
    HWND cal = calendar();
    const auto same = [](const CalendarState& a, const CalendarState& b) {
        return Text(a.selected) == Text(b.selected) && Text(a.shown[0]) == Text(b.shown[0]) &&
               Text(a.shown[1]) == Text(b.shown[1]) && a.view == b.view;
    };
    for (int view = MCMV_MONTH; view <= MCMV_CENTURY; ++view) {
        for (const SYSTEMTIME& start : starts) {
            const auto reset = [&] {
                SYSTEMTIME st = start;
                SendMessageW(cal, MCM_SETCURSEL, 0, Ptr(&st));
                SendMessageW(cal, MCM_SETCURRENTVIEW, 0, view);
                UpdateWindow(cal);
                return ReadCalendar(cal);
            };
            const CalendarState initial = reset();
            ASSERT_EQ(Faults(initial), "");
            for (int mods = 0; mods < 8; ++mods) {
                for (UINT vk = 0; vk < 256; ++vk) {
                    {
                        HeldModifiers held(mods & 1, mods & 2, mods & 4);
                        SendMessageW(cal, WM_KEYDOWN, vk, KeyDownParam(vk, mods & 4));
                    }
                    UpdateWindow(cal);
                    const CalendarState after = ReadCalendar(cal);
                    ASSERT_EQ(Faults(after), "") << kModifierNames[mods] << "key " << vk
                                                 << " in view " << view << " from " << Text(start);
                    // Each key from the same start; most keys change nothing.
                    if (!same(after, initial)) reset();
                }
            }
        }
    }
}

struct Control {
    bool in_about;
    const wchar_t* name;  // "" is the window itself
};

// Every kind of control of both windows; of the About window's five labels,
// which differ only in their text, one.
const Control kControls[] = {
    {false, L""},           {false, L"Picture1"}, {false, L"A"},
    {false, L"MonthView1"}, {true, L""},          {true, L"cmdOK"},
    {true, L"picIcon"},     {true, L"Frame1"},    {true, L"lblDescription"},
};

std::string Name(const Control& c) {
    std::string name = c.in_about ? "About window" : "calendar window";
    if (*c.name) name += " " + std::string(c.name, c.name + lstrlenW(c.name));
    return name;
}

// Through the message loop, as typed keys come: the Tab order, the dialog
// keys and the characters they make all take part. Keys may open and close
// the About window; its own controls are found again after each.
TEST_F(HostileMessages, EveryKeyWithEveryModifierToEveryControl) {
    for (const Control& control : kControls) {
        for (int mods = 0; mods < 8; ++mods) {
            for (UINT vk = 0; vk < 256; ++vk) {
                HWND target = Target(control.in_about, control.name);
                ASSERT_NE(target, nullptr) << Name(control);
                {
                    HeldModifiers held(mods & 1, mods & 2, mods & 4);
                    PostMessageW(target, WM_KEYDOWN, vk, KeyDownParam(vk, mods & 4));
                    app_->PumpPending();
                }
                const std::string fault = ProgramFaults();
                ASSERT_EQ(fault, "")
                    << kModifierNames[mods] << "key " << vk << " to the " << Name(control);
                // Keys for the calendar window go to it alone, as they would
                // while it is in front (Enter on its button opens About).
                if (!control.in_about && about_window::Instance()) {
                    ASSERT_TRUE(CloseAbout());
                }
            }
            Pump();
        }
    }
}

TEST_F(HostileMessages, MouseFarOutsideEveryControl) {
    const POINT points[] = {{-32768, -32768}, {-1, -1},   {-1, 5},    {5, -1},        {0, 0},
                            {32767, 32767},   {32767, 0}, {0, 32767}, {-32768, 32767}};
    struct Mouse {
        const char* name;
        UINT down;
        UINT up;  // 0: none
    };
    const Mouse mice[] = {
        {"move", WM_MOUSEMOVE, 0},
        {"left click", WM_LBUTTONDOWN, WM_LBUTTONUP},
        {"left double-click", WM_LBUTTONDBLCLK, WM_LBUTTONUP},
        {"right click", WM_RBUTTONDOWN, WM_RBUTTONUP},
        {"middle click", WM_MBUTTONDOWN, WM_MBUTTONUP},
    };
    const short wheels[] = {WHEEL_DELTA, -WHEEL_DELTA, 1, -1, SHRT_MAX, SHRT_MIN};
    for (const Control& control : kControls) {
        for (const POINT& p : points) {
            const LPARAM at = MAKELPARAM(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
            for (const Mouse& mouse : mice) {
                HWND target = Target(control.in_about, control.name);
                ASSERT_NE(target, nullptr) << Name(control);
                SendMessageW(target, mouse.down, mouse.down == WM_MOUSEMOVE ? 0 : MK_LBUTTON, at);
                if (mouse.up != 0) SendMessageW(target, mouse.up, 0, at);
                Pump();
                ASSERT_EQ(ProgramFaults(), "")
                    << mouse.name << " at " << p.x << "," << p.y << " on the " << Name(control);
            }
            for (const short delta : wheels) {
                for (const UINT wheel :
                     {static_cast<UINT>(WM_MOUSEWHEEL), static_cast<UINT>(WM_MOUSEHWHEEL)}) {
                    HWND target = Target(control.in_about, control.name);
                    ASSERT_NE(target, nullptr) << Name(control);
                    SendMessageW(target, wheel, MAKEWPARAM(0, static_cast<WORD>(delta)), at);
                    Pump();
                    ASSERT_EQ(ProgramFaults(), "") << "wheel " << delta << " at " << p.x << ","
                                                   << p.y << " on the " << Name(control);
                }
            }
        }
    }
}

}  // namespace
}  // namespace reliability
