// The calendar's accessible object, read back in-process as a screen reader
// reads it (WM_GETOBJECT, ObjectFromLresult, the IAccessible properties),
// and the WinEvents it raises, caught with an out-of-context hook.
#include <windows.h>
#include <gtest/gtest.h>
#include <ole2.h>
#include <oleacc.h>

#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "calendar_test_host.h"
#include "toolkit/month_calendar/calendar_accessible.h"
#include "toolkit/month_calendar/calendar_locale.h"

namespace tk::test {
namespace {

std::string Utf8(const std::wstring& text) {
    if (text.empty()) return {};
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<size_t>(size), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                        nullptr, nullptr);
    return out;
}

std::string Text(const SYSTEMTIME& st) {
    return std::to_string(st.wYear) + "-" + std::to_string(st.wMonth) + "-" +
           std::to_string(st.wDay);
}

// An owned interface pointer.
template <typename T>
class Com {
public:
    Com() = default;
    ~Com() { reset(); }
    Com(const Com&) = delete;
    Com& operator=(const Com&) = delete;

    T* get() const { return p_; }
    T* operator->() const { return p_; }
    T** put() {
        reset();
        return &p_;
    }
    explicit operator bool() const { return p_ != nullptr; }
    void reset() {
        if (p_ != nullptr) p_->Release();
        p_ = nullptr;
    }
    // Gives the reference up, for a test that counts them itself.
    T* release() {
        T* p = p_;
        p_ = nullptr;
        return p;
    }

private:
    T* p_ = nullptr;
};

VARIANT Child(LONG id) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = id;
    return v;
}

// A BSTR property as text; `result` gets the call's HRESULT.
template <typename Getter>
std::wstring Read(Getter getter, HRESULT* result = nullptr) {
    BSTR text = nullptr;
    const HRESULT hr = getter(&text);
    if (result != nullptr) *result = hr;
    std::wstring out = text != nullptr ? std::wstring(text, SysStringLen(text)) : std::wstring();
    SysFreeString(text);
    return out;
}

std::wstring Name(IAccessible* object, LONG child, HRESULT* hr = nullptr) {
    return Read([&](BSTR* out) { return object->get_accName(Child(child), out); }, hr);
}

std::wstring Value(IAccessible* object, LONG child, HRESULT* hr = nullptr) {
    return Read([&](BSTR* out) { return object->get_accValue(Child(child), out); }, hr);
}

std::wstring Description(IAccessible* object, LONG child) {
    return Read([&](BSTR* out) { return object->get_accDescription(Child(child), out); });
}

std::wstring DefaultAction(IAccessible* object, LONG child) {
    return Read([&](BSTR* out) { return object->get_accDefaultAction(Child(child), out); });
}

LONG Role(IAccessible* object, LONG child) {
    VARIANT v;
    VariantInit(&v);
    return SUCCEEDED(object->get_accRole(Child(child), &v)) && v.vt == VT_I4 ? v.lVal : -1;
}

LONG State(IAccessible* object, LONG child) {
    VARIANT v;
    VariantInit(&v);
    return SUCCEEDED(object->get_accState(Child(child), &v)) && v.vt == VT_I4 ? v.lVal : -1;
}

LONG Count(IAccessible* object) {
    LONG count = -1;
    return SUCCEEDED(object->get_accChildCount(&count)) ? count : -1;
}

RECT Location(IAccessible* object, LONG child) {
    long left = 0, top = 0, width = 0, height = 0;
    if (FAILED(object->accLocation(&left, &top, &width, &height, Child(child)))) return {};
    return {left, top, left + width, top + height};
}

// The child a navigation leads to: 0 for none, -1 for a failure.
LONG Navigate(IAccessible* object, long direction, LONG from) {
    VARIANT end;
    VariantInit(&end);
    const HRESULT hr = object->accNavigate(direction, Child(from), &end);
    if (hr == S_FALSE && end.vt == VT_EMPTY) return 0;
    return hr == S_OK && end.vt == VT_I4 ? end.lVal : -1;
}

LONG HitTest(IAccessible* object, POINT screen) {
    VARIANT v;
    VariantInit(&v);
    if (object->accHitTest(screen.x, screen.y, &v) != S_OK || v.vt != VT_I4) return -1;
    return v.lVal;
}

// The date the control itself puts under the middle of a child's rectangle.
std::optional<SYSTEMTIME> DateUnder(HWND calendar, const RECT& screen) {
    POINT middle{(screen.left + screen.right) / 2, (screen.top + screen.bottom) / 2};
    ScreenToClient(calendar, &middle);
    MCHITTESTINFO info{};
    info.cbSize = sizeof(info);
    info.pt = middle;
    SendMessageW(calendar, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&info));
    if ((info.uHit & MCHT_CALENDARDATE) != MCHT_CALENDARDATE) return std::nullopt;
    return info.st;
}

// The child whose rectangle holds the control's cell for a date.
LONG ChildOfDate(IAccessible* object, HWND calendar, const SYSTEMTIME& date) {
    const std::optional<POINT> point = FindDate(calendar, date);
    if (!point) return -1;
    POINT screen = *point;
    ClientToScreen(calendar, &screen);
    return HitTest(object, screen);
}

std::wstring LongDate(int y, int m, int d) {
    return cal::FormatLongDate(LOCALE_NAME_USER_DEFAULT, y, static_cast<unsigned>(m),
                               static_cast<unsigned>(d));
}

// What an MSAA client does to get a window's object.
bool ObjectOf(HWND window, Com<IAccessible>& object) {
    const LRESULT answer = SendMessageW(window, WM_GETOBJECT, 0, static_cast<LPARAM>(OBJID_CLIENT));
    if (answer <= 0) return false;
    return SUCCEEDED(ObjectFromLresult(answer, __uuidof(IAccessible), 0,
                                       reinterpret_cast<void**>(object.put())));
}

// ---- WinEvents -------------------------------------------------------------

struct Event {
    DWORD event;
    LONG object;
    LONG child;
    std::wstring name;  // the child's name, read when the event came
};

std::vector<Event>* g_events = nullptr;
HWND g_watched = nullptr;

void CALLBACK OnWinEvent(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD,
                         DWORD) {
    if (g_events == nullptr || window != g_watched) return;
    Event e{event, object, child, {}};
    Com<IAccessible> accessible;
    VARIANT v;
    VariantInit(&v);
    if (event != EVENT_OBJECT_DESTROY &&
        SUCCEEDED(AccessibleObjectFromEvent(window, static_cast<DWORD>(object),
                                            static_cast<DWORD>(child), accessible.put(), &v))) {
        e.name = Read([&](BSTR* out) { return accessible->get_accName(v, out); });
    }
    g_events->push_back(e);
}

// Hooks every object event raised for one window, out of context: the
// callback runs from this thread's message loop.
class EventLog {
public:
    explicit EventLog(HWND window) {
        g_events = &events;
        g_watched = window;
        hook_ = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_END, nullptr, OnWinEvent,
                                GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    }
    ~EventLog() {
        if (hook_ != nullptr) UnhookWinEvent(hook_);
        g_events = nullptr;
        g_watched = nullptr;
    }
    EventLog(const EventLog&) = delete;
    EventLog& operator=(const EventLog&) = delete;

    bool hooked() const { return hook_ != nullptr; }

    // Pumps until an event of the kind arrived, then a little more for the
    // ones raised with it.
    bool WaitFor(DWORD event, LONG child) {
        const bool seen = PumpUntil([&] { return Find(event, child) != nullptr; }, 2000);
        PumpFor(30);
        return seen;
    }

    const Event* Find(DWORD event, LONG child) const {
        for (const Event& e : events) {
            if (e.event == event && e.object == OBJID_CLIENT && e.child == child) return &e;
        }
        return nullptr;
    }

    bool Has(DWORD event, LONG child) const { return Find(event, child) != nullptr; }
    int CountOf(DWORD event) const {
        int n = 0;
        for (const Event& e : events)
            n += e.event == event && e.object == OBJID_CLIENT;
        return n;
    }

    std::vector<Event> events;

private:
    HWINEVENTHOOK hook_ = nullptr;
};

// ---- The fixture -----------------------------------------------------------

class CalendarAccessible : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        host_ = std::make_unique<CalendarHost>();
        ASSERT_NE(calendar(), nullptr);
        ASSERT_TRUE(host_->Activate());
        ASSERT_TRUE(ObjectOf(calendar(), object_)) << "no object for WM_GETOBJECT";
        host_->notifications.clear();
    }

    void TearDown() override {
        object_.reset();
        host_.reset();
        CoUninitialize();
    }

    HWND calendar() const { return host_->calendar(); }
    IAccessible* object() const { return object_.get(); }

    void Select(int y, int m, int d) {
        const SYSTEMTIME st = Day(y, m, d);
        ASSERT_TRUE(SendMessageW(calendar(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&st)));
    }

    void SetView(int view) { ASSERT_TRUE(SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, view)); }

    // Every cell child in order, with the date the control shows there.
    std::vector<SYSTEMTIME> CellDates() {
        std::vector<SYSTEMTIME> dates;
        for (LONG child = a11y::kFirstCellId; child <= Count(object()); ++child) {
            const std::optional<SYSTEMTIME> date = DateUnder(calendar(), Location(object(), child));
            dates.push_back(date.value_or(SYSTEMTIME{}));
        }
        return dates;
    }

    bool Notified(UINT code) const {
        for (const Notification& n : host_->notifications) {
            if (n.code == code) return true;
        }
        return false;
    }

    std::unique_ptr<CalendarHost> host_;
    Com<IAccessible> object_;
};

TEST_F(CalendarAccessible, ChildrenAreTheTitleTheButtonsAndTheDaysOnShow) {
    EXPECT_EQ(Count(object()), 3 + 42);
    EXPECT_EQ(Role(object(), CHILDID_SELF), ROLE_SYSTEM_CLIENT);
    for (LONG child : {a11y::kTitleId, a11y::kPreviousId, a11y::kNextId})
        EXPECT_EQ(Role(object(), child), ROLE_SYSTEM_PUSHBUTTON) << child;
    EXPECT_EQ(Value(object(), CHILDID_SELF), LongDate(2004, 7, 19));

    // Each day child sits on the control's own cell for its date, is named
    // by that date and is hit where it lies; the first row starts in June.
    const std::vector<SYSTEMTIME> dates = CellDates();
    ASSERT_EQ(dates.size(), 42u);
    EXPECT_PRED2(SameDay, dates.front(), Day(2004, 6, 27)) << Text(dates.front());
    EXPECT_PRED2(SameDay, dates.back(), Day(2004, 8, 7)) << Text(dates.back());
    for (LONG child = a11y::kFirstCellId; child < a11y::kFirstCellId + 42; ++child) {
        const SYSTEMTIME& date = dates[static_cast<size_t>(child - a11y::kFirstCellId)];
        SCOPED_TRACE(Text(date));
        EXPECT_EQ(Role(object(), child), ROLE_SYSTEM_CELL);
        EXPECT_EQ(Name(object(), child), LongDate(date.wYear, date.wMonth, date.wDay));
        const RECT r = Location(object(), child);
        EXPECT_EQ(HitTest(object(), {(r.left + r.right) / 2, (r.top + r.bottom) / 2}), child);
        const LONG state = State(object(), child);
        const bool selected = SameDay(date, Day(2004, 7, 19));
        EXPECT_EQ((state & STATE_SYSTEM_SELECTED) != 0, selected);
        EXPECT_EQ((state & STATE_SYSTEM_FOCUSED) != 0, selected);
        EXPECT_NE(state & STATE_SYSTEM_SELECTABLE, 0);
        EXPECT_NE(state & STATE_SYSTEM_FOCUSABLE, 0);
    }
    // The buttons and the title lie on the control's own.
    const auto same_rect = [this](LONG child, UINT part) {
        RECT r = HitRect(calendar(), *FindPart(calendar(), part));
        MapWindowPoints(calendar(), nullptr, reinterpret_cast<POINT*>(&r), 2);
        const RECT location = Location(object(), child);
        return EqualRect(&r, &location) != FALSE;
    };
    EXPECT_TRUE(same_rect(a11y::kPreviousId, MCHT_TITLEBTNPREV));
    EXPECT_TRUE(same_rect(a11y::kNextId, MCHT_TITLEBTNNEXT));
    const RECT title = Location(object(), a11y::kTitleId);
    EXPECT_EQ(HitTest(object(), {(title.left + title.right) / 2, (title.top + title.bottom) / 2}),
              a11y::kTitleId);

    VARIANT v;
    VariantInit(&v);
    ASSERT_EQ(object()->get_accSelection(&v), S_OK);
    EXPECT_EQ(v.vt, VT_I4);
    EXPECT_EQ(v.lVal, ChildOfDate(object(), calendar(), Day(2004, 7, 19)));
    VariantInit(&v);
    ASSERT_EQ(object()->get_accFocus(&v), S_OK);
    EXPECT_EQ(v.lVal, ChildOfDate(object(), calendar(), Day(2004, 7, 19)));
    // The client area itself is focused: the standard object says so.
    EXPECT_NE(State(object(), CHILDID_SELF) & STATE_SYSTEM_FOCUSED, 0);
    // Its parent is the window's own object; the window is found from it.
    Com<IDispatch> parent;
    EXPECT_EQ(object()->get_accParent(parent.put()), S_OK);
    EXPECT_TRUE(parent);
    HWND window = nullptr;
    EXPECT_EQ(WindowFromAccessibleObject(object(), &window), S_OK);
    EXPECT_EQ(window, calendar());
    // The same object answers every time.
    Com<IAccessible> again;
    ASSERT_TRUE(ObjectOf(calendar(), again));
    Com<IUnknown> a, b;
    object()->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(a.put()));
    again->QueryInterface(__uuidof(IUnknown), reinterpret_cast<void**>(b.put()));
    EXPECT_EQ(a.get(), b.get());
}

TEST_F(CalendarAccessible, ChildrenAreSimpleElementsAndWrongIdsAreRefused) {
    Com<IDispatch> dispatch;
    EXPECT_EQ(object()->get_accChild(Child(a11y::kTitleId), dispatch.put()), S_FALSE);
    EXPECT_FALSE(dispatch);
    EXPECT_EQ(object()->get_accChild(Child(3 + 42), dispatch.put()), S_FALSE);
    for (LONG wrong : {3 + 43, -1, 1000000}) {
        HRESULT hr = S_OK;
        Name(object(), wrong, &hr);
        EXPECT_EQ(hr, E_INVALIDARG) << wrong;
        EXPECT_EQ(object()->get_accChild(Child(wrong), dispatch.put()), E_INVALIDARG);
        EXPECT_EQ(object()->accDoDefaultAction(Child(wrong)), E_INVALIDARG);
    }
    VARIANT text;
    VariantInit(&text);
    text.vt = VT_BSTR;
    text.bstrVal = nullptr;
    BSTR out = nullptr;
    EXPECT_EQ(object()->get_accName(text, &out), E_INVALIDARG);
    EXPECT_EQ(object()->get_accName(Child(1), nullptr), E_POINTER);
    EXPECT_EQ(object()->get_accChildCount(nullptr), E_POINTER);
    // Days without a description say so with S_FALSE and no string.
    HRESULT hr = S_OK;
    EXPECT_EQ(Read([&](BSTR* o) { return object()->get_accDescription(Child(5), o); }, &hr), L"");
    EXPECT_EQ(hr, S_FALSE);
}

// The first and last months of a range show no day outside it, and their
// buttons cannot page out of it.
TEST_F(CalendarAccessible, DaysOutsideTheRangeAreNotExposed) {
    struct Case {
        SYSTEMTIME range[2];
        SYSTEMTIME select;
        SYSTEMTIME first, last;  // the first and last day exposed
        bool previous_unavailable;
        bool next_unavailable;
    };
    const Case cases[] = {
        {{Day(1753, 1, 1), Day(9999, 12, 31)},
         Day(1753, 1, 5),
         Day(1753, 1, 1),
         Day(1753, 2, 10),  // 31 December 1752 leads the grid, blank
         true,
         false},
        {{Day(1753, 1, 1), Day(9999, 12, 31)},
         Day(9999, 12, 31),
         Day(9999, 11, 28),
         Day(9999, 12, 31),
         false,
         true},
        {{Day(2004, 7, 10), Day(2004, 7, 25)},
         Day(2004, 7, 19),
         Day(2004, 7, 10),
         Day(2004, 7, 25),
         true,
         true},
    };
    SendMessageW(calendar(), MCM_SETFIRSTDAYOFWEEK, 0, 6);  // weeks from Sunday
    for (const Case& c : cases) {
        SCOPED_TRACE(Text(c.select));
        ASSERT_TRUE(SendMessageW(calendar(), MCM_SETRANGE, GDTR_MIN | GDTR_MAX,
                                 reinterpret_cast<LPARAM>(c.range)));
        Select(c.select.wYear, c.select.wMonth, c.select.wDay);
        const std::vector<SYSTEMTIME> dates = CellDates();
        ASSERT_FALSE(dates.empty());
        EXPECT_PRED2(SameDay, dates.front(), c.first) << Text(dates.front());
        EXPECT_PRED2(SameDay, dates.back(), c.last) << Text(dates.back());
        for (const SYSTEMTIME& date : dates)
            EXPECT_NE(date.wYear, 0) << "a child on no date";
        EXPECT_EQ((State(object(), a11y::kPreviousId) & STATE_SYSTEM_UNAVAILABLE) != 0,
                  c.previous_unavailable);
        EXPECT_EQ((State(object(), a11y::kNextId) & STATE_SYSTEM_UNAVAILABLE) != 0,
                  c.next_unavailable);
        // A button that cannot page leaves everything as it was.
        const LONG count = Count(object());
        if (c.previous_unavailable) {
            EXPECT_EQ(object()->accDoDefaultAction(Child(a11y::kPreviousId)), S_OK);
            EXPECT_EQ(Count(object()), count);
            EXPECT_PRED2(SameDay, host_->Selection(), c.select);
        }
    }
    EXPECT_EQ(Name(object(), Count(object())), LongDate(2004, 7, 25));
}

TEST_F(CalendarAccessible, ZoomedViewsExposeTheirTwelveCells) {
    struct Case {
        int view;
        const wchar_t* title;
        const wchar_t* first;  // the first and the highlighted cell's names
        const wchar_t* selected;
    };
    const Case cases[] = {
        {MCMV_DECADE,
         L"2000\x2013"
         L"2009",
         L"1999", L"2004"},
        {MCMV_CENTURY,
         L"2000\x2013"
         L"2099",
         L"1990\x2013"
         L"1999",
         L"2000\x2013"
         L"2009"},
    };
    for (const Case& c : cases) {
        SetView(c.view);
        SCOPED_TRACE(Utf8(c.title));
        EXPECT_EQ(Count(object()), 3 + 12);
        EXPECT_EQ(Name(object(), a11y::kTitleId), c.title);
        EXPECT_EQ(Name(object(), a11y::kFirstCellId), c.first);
        VARIANT v;
        VariantInit(&v);
        ASSERT_EQ(object()->get_accSelection(&v), S_OK);
        EXPECT_EQ(Name(object(), v.lVal), c.selected);
        EXPECT_NE(State(object(), v.lVal) & STATE_SYSTEM_SELECTED, 0);
        EXPECT_EQ(Role(object(), v.lVal), ROLE_SYSTEM_CELL);
        // The value stays the selected day.
        EXPECT_EQ(Value(object(), CHILDID_SELF), LongDate(2004, 7, 19));
    }
    // At the range's start the spans name only the years in it.
    Select(1753, 1, 1);
    SetView(MCMV_CENTURY);
    EXPECT_EQ(Count(object()), 3 + 6);  // the 1750s to the 1790s, and the 1800s after
    EXPECT_EQ(Name(object(), a11y::kFirstCellId),
              L"1753\x2013"
              L"1759");
    EXPECT_NE(State(object(), a11y::kPreviousId) & STATE_SYSTEM_UNAVAILABLE, 0);
}

TEST_F(CalendarAccessible, DefaultActionsDoWhatClicksDo) {
    EXPECT_EQ(object()->accDoDefaultAction(Child(a11y::kNextId)), S_OK);
    EXPECT_PRED2(SameDay, host_->Selection(), Day(2004, 8, 19));
    EXPECT_TRUE(Notified(MCN_SELCHANGE));
    EXPECT_EQ(object()->accDoDefaultAction(Child(a11y::kPreviousId)), S_OK);
    EXPECT_PRED2(SameDay, host_->Selection(), Day(2004, 7, 19));

    // A day selects it, as a click does: a leading day moves the month.
    host_->notifications.clear();
    ASSERT_EQ(
        object()->accDoDefaultAction(Child(ChildOfDate(object(), calendar(), Day(2004, 7, 5)))),
        S_OK);
    EXPECT_PRED2(SameDay, host_->Selection(), Day(2004, 7, 5));
    EXPECT_TRUE(Notified(MCN_SELECT));
    ASSERT_EQ(object()->accDoDefaultAction(Child(a11y::kFirstCellId)), S_OK);  // 27 June
    EXPECT_PRED2(SameDay, host_->Selection(), Day(2004, 6, 27));

    // The title zooms out; a cell opens its period again.
    ASSERT_EQ(object()->accDoDefaultAction(Child(a11y::kTitleId)), S_OK);
    EXPECT_EQ(host_->View(), MCMV_YEAR);
    ASSERT_EQ(object()->accDoDefaultAction(Child(a11y::kTitleId)), S_OK);
    EXPECT_EQ(host_->View(), MCMV_DECADE);
    const LONG year_2007 = ChildOfDate(object(), calendar(), Day(2007, 1, 1));
    EXPECT_EQ(Name(object(), year_2007), L"2007");
    ASSERT_EQ(object()->accDoDefaultAction(Child(year_2007)), S_OK);
    EXPECT_EQ(host_->View(), MCMV_YEAR);
    ASSERT_EQ(
        object()->accDoDefaultAction(Child(ChildOfDate(object(), calendar(), Day(2007, 3, 1)))),
        S_OK);
    EXPECT_EQ(host_->View(), MCMV_MONTH);
    EXPECT_PRED2(SameDay, host_->Selection(), Day(2007, 3, 27));

    // The outermost view's title has nowhere to go.
    for (int i = 0; i < 5; ++i)
        object()->accDoDefaultAction(Child(a11y::kTitleId));
    EXPECT_NE(State(object(), a11y::kTitleId) & STATE_SYSTEM_UNAVAILABLE, 0);
    EXPECT_EQ(State(object(), a11y::kPreviousId) & STATE_SYSTEM_UNAVAILABLE,
              STATE_SYSTEM_UNAVAILABLE);

    // A disabled calendar refuses them all.
    EnableWindow(calendar(), FALSE);
    EXPECT_HRESULT_FAILED(object()->accDoDefaultAction(Child(a11y::kFirstCellId)));
    EXPECT_NE(State(object(), a11y::kFirstCellId) & STATE_SYSTEM_UNAVAILABLE, 0);
    EnableWindow(calendar(), TRUE);
}

TEST_F(CalendarAccessible, SelectMovesTheSelectionAsTheKeysWould) {
    const LONG july_21 = ChildOfDate(object(), calendar(), Day(2004, 7, 21));
    ASSERT_EQ(object()->accSelect(SELFLAG_TAKESELECTION, Child(july_21)), S_OK);
    EXPECT_PRED2(SameDay, host_->Selection(), Day(2004, 7, 21));
    EXPECT_TRUE(Notified(MCN_SELCHANGE));
    EXPECT_FALSE(Notified(MCN_SELECT)) << "selecting is not picking";
    EXPECT_NE(State(object(), july_21) & STATE_SYSTEM_SELECTED, 0);

    // Only one day can be selected; the buttons are not selectable.
    EXPECT_EQ(object()->accSelect(SELFLAG_ADDSELECTION, Child(july_21 + 1)), E_INVALIDARG);
    EXPECT_EQ(object()->accSelect(SELFLAG_EXTENDSELECTION, Child(july_21 + 1)), E_INVALIDARG);
    EXPECT_EQ(object()->accSelect(SELFLAG_TAKESELECTION, Child(a11y::kNextId)),
              DISP_E_MEMBERNOTFOUND);
    EXPECT_PRED2(SameDay, host_->Selection(), Day(2004, 7, 21));

    // Taking the focus brings the focus to the calendar.
    SetFocus(nullptr);
    ASSERT_EQ(object()->accSelect(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION, Child(july_21 + 2)),
              S_OK);
    EXPECT_EQ(GetFocus(), calendar());
    EXPECT_PRED2(SameDay, host_->Selection(), Day(2004, 7, 23));
    EXPECT_NE(State(object(), july_21 + 2) & STATE_SYSTEM_FOCUSED, 0);

    // In a zoomed view the highlighted cell moves, and the view stays.
    SetView(MCMV_DECADE);
    const LONG year_2008 = ChildOfDate(object(), calendar(), Day(2008, 1, 1));
    ASSERT_EQ(object()->accSelect(SELFLAG_TAKESELECTION, Child(year_2008)), S_OK);
    EXPECT_EQ(host_->View(), MCMV_DECADE);
    EXPECT_NE(State(object(), year_2008) & STATE_SYSTEM_SELECTED, 0);
    const LONG year_2001 = ChildOfDate(object(), calendar(), Day(2001, 1, 1));
    ASSERT_EQ(object()->accSelect(SELFLAG_TAKESELECTION, Child(year_2001)), S_OK);
    EXPECT_NE(State(object(), year_2001) & STATE_SYSTEM_SELECTED, 0);
    EXPECT_EQ(State(object(), year_2008) & STATE_SYSTEM_SELECTED, 0);
}

TEST_F(CalendarAccessible, NavigationFollowsTheOrderAndTheGrid) {
    const LONG last = Count(object());
    EXPECT_EQ(Navigate(object(), NAVDIR_FIRSTCHILD, CHILDID_SELF), a11y::kTitleId);
    EXPECT_EQ(Navigate(object(), NAVDIR_LASTCHILD, CHILDID_SELF), last);
    EXPECT_EQ(Navigate(object(), NAVDIR_NEXT, a11y::kTitleId), a11y::kPreviousId);
    EXPECT_EQ(Navigate(object(), NAVDIR_NEXT, last), 0);
    EXPECT_EQ(Navigate(object(), NAVDIR_PREVIOUS, a11y::kTitleId), 0);

    const auto of = [this](int y, int m, int d) {
        return ChildOfDate(object(), calendar(), Day(y, m, d));
    };
    struct Case {
        long direction;
        LONG from, to;
    };
    const Case cases[] = {
        {NAVDIR_RIGHT, of(2004, 7, 19), of(2004, 7, 20)},
        {NAVDIR_LEFT, of(2004, 7, 19), of(2004, 7, 18)},
        {NAVDIR_DOWN, of(2004, 7, 19), of(2004, 7, 26)},
        {NAVDIR_UP, of(2004, 7, 19), of(2004, 7, 12)},
        {NAVDIR_LEFT, a11y::kTitleId, a11y::kPreviousId},
        {NAVDIR_RIGHT, a11y::kTitleId, a11y::kNextId},
        {NAVDIR_LEFT, a11y::kPreviousId, 0},
        {NAVDIR_LEFT, of(2004, 6, 27), 0},  // the first column
        {NAVDIR_DOWN, of(2004, 8, 7), 0},   // the last row
        {NAVDIR_RIGHT, of(2004, 7, 3), 0},  // the end of a row does not wrap
        {NAVDIR_NEXT, of(2004, 7, 3), of(2004, 7, 4)},
        {NAVDIR_UP, of(2004, 6, 27), a11y::kPreviousId},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Navigate(object(), c.direction, c.from), c.to)
            << "from " << c.from << " direction " << c.direction;
    }
    EXPECT_EQ(Navigate(object(), NAVDIR_FIRSTCHILD, a11y::kTitleId), -1) << "no children";
}

TEST_F(CalendarAccessible, TodaySaysSoInItsDescription) {
    const SYSTEMTIME today = Day(2004, 7, 21);
    SendMessageW(calendar(), MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(&today));
    const LONG child = ChildOfDate(object(), calendar(), today);
    int described = 0;
    for (LONG c = a11y::kFirstCellId; c <= Count(object()); ++c)
        described += !Description(object(), c).empty();
    EXPECT_EQ(described, 1);
    EXPECT_FALSE(Description(object(), child).empty());
    // The year view's July, the decade view's 2004 hold it.
    SetView(MCMV_DECADE);
    EXPECT_FALSE(Description(object(), ChildOfDate(object(), calendar(), Day(2004, 1, 1))).empty());
    EXPECT_TRUE(Description(object(), ChildOfDate(object(), calendar(), Day(2005, 1, 1))).empty());
}

// ---- Events ----------------------------------------------------------------

TEST_F(CalendarAccessible, KeysRaiseTheEventsAScreenReaderFollows) {
    EventLog log(calendar());
    ASSERT_TRUE(log.hooked());
    ASSERT_TRUE(PressKey(VK_RIGHT));
    const LONG july_20 = ChildOfDate(object(), calendar(), Day(2004, 7, 20));
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_FOCUS, july_20)) << "no focus event under this Wine";
    EXPECT_TRUE(log.Has(EVENT_OBJECT_SELECTION, july_20));
    EXPECT_TRUE(log.Has(EVENT_OBJECT_VALUECHANGE, CHILDID_SELF));
    EXPECT_EQ(log.Find(EVENT_OBJECT_FOCUS, july_20)->name, LongDate(2004, 7, 20))
        << "the new date, read back when the event came";
    EXPECT_FALSE(log.Has(EVENT_OBJECT_REORDER, CHILDID_SELF)) << "the same page";

    // Another month: the children are others, the title is renamed.
    log.events.clear();
    ASSERT_TRUE(PressKey(VK_NEXT));
    const LONG august_20 = ChildOfDate(object(), calendar(), Day(2004, 8, 20));
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_FOCUS, august_20));
    EXPECT_TRUE(log.Has(EVENT_OBJECT_REORDER, CHILDID_SELF));
    EXPECT_TRUE(log.Has(EVENT_OBJECT_NAMECHANGE, a11y::kTitleId));
    EXPECT_EQ(log.Find(EVENT_OBJECT_NAMECHANGE, a11y::kTitleId)->name,
              cal::FormatMonthTitle(LOCALE_NAME_USER_DEFAULT, 2004, 8).text);
    EXPECT_EQ(log.Find(EVENT_OBJECT_FOCUS, august_20)->name, LongDate(2004, 8, 20));
    // The focus follows the newest selection: it is the last focus event.
    std::vector<LONG> focused;
    for (const Event& e : log.events) {
        if (e.event == EVENT_OBJECT_FOCUS) focused.push_back(e.child);
    }
    ASSERT_FALSE(focused.empty());
    EXPECT_EQ(focused.back(), august_20);

    // Zooming out renames the buttons and highlights a month.
    log.events.clear();
    ASSERT_EQ(object()->accDoDefaultAction(Child(a11y::kTitleId)), S_OK);
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_NAMECHANGE, a11y::kPreviousId));
    EXPECT_TRUE(log.Has(EVENT_OBJECT_NAMECHANGE, a11y::kNextId));
    EXPECT_FALSE(log.Has(EVENT_OBJECT_VALUECHANGE, CHILDID_SELF)) << "the day did not change";
    log.events.clear();
    ASSERT_TRUE(PressKey(VK_RIGHT));  // September
    const LONG september = a11y::kFirstCellId + 8;
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_FOCUS, september));
    EXPECT_TRUE(log.Has(EVENT_OBJECT_SELECTION, september));
    EXPECT_EQ(log.Find(EVENT_OBJECT_FOCUS, september)->name,
              cal::FormatMonthTitle(LOCALE_NAME_USER_DEFAULT, 2004, 9).text);
}

TEST_F(CalendarAccessible, ProgrammaticChangesAndTheFocusAreAnnounced) {
    EventLog log(calendar());
    ASSERT_TRUE(log.hooked());
    Select(2004, 7, 30);
    const LONG july_30 = ChildOfDate(object(), calendar(), Day(2004, 7, 30));
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_VALUECHANGE, CHILDID_SELF));
    EXPECT_TRUE(log.Has(EVENT_OBJECT_SELECTION, july_30));
    EXPECT_TRUE(log.Has(EVENT_OBJECT_FOCUS, july_30));

    // A change of settings may rename everything, but the focus stays put
    // and is not announced again.
    log.events.clear();
    SendMessageW(calendar(), WM_SETTINGCHANGE, 0, 0);
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_REORDER, CHILDID_SELF));
    EXPECT_TRUE(log.Has(EVENT_OBJECT_NAMECHANGE, a11y::kTitleId));
    EXPECT_EQ(log.CountOf(EVENT_OBJECT_FOCUS), 0);
    EXPECT_EQ(log.CountOf(EVENT_OBJECT_VALUECHANGE), 0);

    // The focus coming back lands on the selected day, after the window's
    // own event (user32 raises that one before WM_SETFOCUS, Wine too).
    SetFocus(host_->host());
    PumpFor(20);
    log.events.clear();
    SetFocus(calendar());
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_FOCUS, july_30));
    const Event* window_focus = log.Find(EVENT_OBJECT_FOCUS, CHILDID_SELF);
    ASSERT_NE(window_focus, nullptr);
    EXPECT_LT(window_focus, log.Find(EVENT_OBJECT_FOCUS, july_30)) << "the day's focus came first";

    // Without the focus there is a selection event but no focus event.
    SetFocus(host_->host());
    PumpFor(20);
    log.events.clear();
    Select(2004, 7, 29);
    const LONG july_29 = ChildOfDate(object(), calendar(), Day(2004, 7, 29));
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_SELECTION, july_29));
    EXPECT_FALSE(log.Has(EVENT_OBJECT_FOCUS, july_29));

    // Paging to the end of the range greys the button out.
    log.events.clear();
    Select(9999, 11, 30);
    object()->accDoDefaultAction(Child(a11y::kNextId));
    ASSERT_TRUE(log.WaitFor(EVENT_OBJECT_STATECHANGE, a11y::kNextId));
    EXPECT_NE(State(object(), a11y::kNextId) & STATE_SYSTEM_UNAVAILABLE, 0);

    // A new today is described anew.
    log.events.clear();
    const SYSTEMTIME today = Day(9999, 12, 24);
    SendMessageW(calendar(), MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(&today));
    const LONG christmas_eve = ChildOfDate(object(), calendar(), today);
    EXPECT_TRUE(log.WaitFor(EVENT_OBJECT_DESCRIPTIONCHANGE, christmas_eve));
}

// ---- Lifetime --------------------------------------------------------------

TEST_F(CalendarAccessible, AnObjectHeldPastTheWindowFailsAndIsFreed) {
    Com<IAccessible> held;
    ASSERT_TRUE(ObjectOf(calendar(), held));
    object_.reset();
    host_.reset();  // destroys the calendar
    BSTR name = nullptr;
    EXPECT_EQ(held->get_accName(Child(a11y::kFirstCellId), &name), RPC_E_DISCONNECTED);
    EXPECT_EQ(name, nullptr);
    LONG count = 5;
    EXPECT_EQ(held->get_accChildCount(&count), RPC_E_DISCONNECTED);
    EXPECT_EQ(held->accDoDefaultAction(Child(a11y::kNextId)), RPC_E_DISCONNECTED);
    EXPECT_EQ(held->accSelect(SELFLAG_TAKESELECTION, Child(a11y::kFirstCellId)),
              RPC_E_DISCONNECTED);
    VARIANT v;
    VariantInit(&v);
    EXPECT_EQ(held->accHitTest(200, 200, &v), RPC_E_DISCONNECTED);
    EXPECT_EQ(held->get_accState(Child(CHILDID_SELF), &v), RPC_E_DISCONNECTED);
    Com<IDispatch> parent;
    EXPECT_EQ(held->get_accParent(parent.put()), RPC_E_DISCONNECTED);
    HWND window = reinterpret_cast<HWND>(1);
    EXPECT_HRESULT_FAILED(WindowFromAccessibleObject(held.get(), &window));
    // Ours was the last reference: the object goes with it.
    EXPECT_EQ(held.release()->Release(), 0u);
    EXPECT_EQ(a11y::LiveAccessibleObjects(), 0);
}

HWND g_victim = nullptr;
WNDPROC g_host_proc = nullptr;

// A parent that destroys the calendar as soon as it is told anything.
LRESULT CALLBACK DestroyingParent(HWND window, UINT message, WPARAM wp, LPARAM lp) {
    if (message == WM_NOTIFY && IsWindow(g_victim)) DestroyWindow(g_victim);
    return CallWindowProcW(g_host_proc, window, message, wp, lp);
}

// The object, still in the middle of the action when the parent destroys
// the calendar, touches nothing of the gone control.
TEST_F(CalendarAccessible, AParentMayDestroyTheCalendarDuringAnAction) {
    g_victim = calendar();
    const HWND host = host_->host();
    g_host_proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(host, GWLP_WNDPROC));
    SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&DestroyingParent));
    for (LONG child : {ChildOfDate(object(), calendar(), Day(2004, 7, 21)), a11y::kNextId}) {
        if (!IsWindow(g_victim)) break;
        EXPECT_EQ(object()->accDoDefaultAction(Child(child)), S_OK);
    }
    EXPECT_FALSE(IsWindow(g_victim));
    EXPECT_EQ(Count(object()), -1);
    SetWindowLongPtrW(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(g_host_proc));
}

// A client in another apartment, as a screen reader in another process is:
// the calendar's thread has no COM of its own and gets an apartment on the
// first WM_GETOBJECT; the calls come back to it through its message loop.
// When the calendar goes, the client's proxy is cut off and the object is
// freed although the client still holds the proxy.
TEST(CalendarAccessibleAcrossThreads, AClientInAnotherApartmentReadsTheCalendar) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    const long live_before = a11y::LiveAccessibleObjects();
    HWND calendar = nullptr;
    HANDLE ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE destroy = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE destroyed = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    HANDLE done = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    std::thread server([&] {
        const auto serve_until = [](HANDLE event) {
            while (MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_ALLINPUT) !=
                   WAIT_OBJECT_0)
                PumpFor(1);
        };
        auto host = std::make_unique<CalendarHost>();
        calendar = host->calendar();
        SetEvent(ready);
        serve_until(destroy);
        host.reset();
        SetEvent(destroyed);
        serve_until(done);
    });
    // A wait that still answers this apartment's messages.
    const auto wait = [](HANDLE event) {
        return PumpUntil([event] { return WaitForSingleObject(event, 0) == WAIT_OBJECT_0; }, 5000);
    };
    const auto client = [&] {
        ASSERT_TRUE(wait(ready));
        ASSERT_NE(calendar, nullptr);
        Com<IAccessible> object;
        ASSERT_EQ(AccessibleObjectFromWindow(calendar, static_cast<DWORD>(OBJID_CLIENT),
                                             __uuidof(IAccessible),
                                             reinterpret_cast<void**>(object.put())),
                  S_OK);
        EXPECT_EQ(Count(object.get()), 3 + 42);
        EXPECT_EQ(Value(object.get(), CHILDID_SELF), LongDate(2004, 7, 19));
        EXPECT_EQ(Role(object.get(), a11y::kNextId), ROLE_SYSTEM_PUSHBUTTON);
        EXPECT_EQ(object->accDoDefaultAction(Child(a11y::kNextId)), S_OK);
        EXPECT_EQ(Value(object.get(), CHILDID_SELF), LongDate(2004, 8, 19));
        EXPECT_EQ(a11y::LiveAccessibleObjects(), live_before + 1);

        SetEvent(destroy);
        ASSERT_TRUE(wait(destroyed));
        EXPECT_EQ(a11y::LiveAccessibleObjects(), live_before) << "the proxy kept the object alive";
        LONG count = 0;
        EXPECT_HRESULT_FAILED(object->get_accChildCount(&count));
    };
    client();
    SetEvent(destroy);
    SetEvent(done);
    server.join();
    for (HANDLE event : {ready, destroy, destroyed, done})
        CloseHandle(event);
    CoUninitialize();
}

// ---- Start-up ----------------------------------------------------------------

// The DLLs a PE file imports, read from its import directory.
std::vector<std::string> ImportedDlls(const char* path) {
    std::ifstream file(path, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(file)),
                                  std::istreambuf_iterator<char>());
    std::vector<std::string> names;
    const auto at = [&](size_t offset, size_t size) {
        return offset + size <= bytes.size() ? bytes.data() + offset : nullptr;
    };
    const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(at(0, sizeof(IMAGE_DOS_HEADER)));
    if (dos == nullptr) return names;
    const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS64*>(
        at(static_cast<size_t>(dos->e_lfanew), sizeof(IMAGE_NT_HEADERS64)));
    if (nt == nullptr || nt->OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR64_MAGIC) return names;
    const auto* sections = reinterpret_cast<const IMAGE_SECTION_HEADER*>(
        at(static_cast<size_t>(dos->e_lfanew) + offsetof(IMAGE_NT_HEADERS64, OptionalHeader) +
               nt->FileHeader.SizeOfOptionalHeader,
           sizeof(IMAGE_SECTION_HEADER) * nt->FileHeader.NumberOfSections));
    if (sections == nullptr) return names;
    const auto file_offset = [&](DWORD rva) -> size_t {
        for (WORD i = 0; i < nt->FileHeader.NumberOfSections; ++i) {
            const IMAGE_SECTION_HEADER& s = sections[i];
            if (rva >= s.VirtualAddress && rva < s.VirtualAddress + s.SizeOfRawData)
                return rva - s.VirtualAddress + s.PointerToRawData;
        }
        return SIZE_MAX;
    };
    const DWORD imports =
        nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT].VirtualAddress;
    for (size_t offset = file_offset(imports);; offset += sizeof(IMAGE_IMPORT_DESCRIPTOR)) {
        const auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(
            at(offset, sizeof(IMAGE_IMPORT_DESCRIPTOR)));
        if (d == nullptr || d->Name == 0) break;
        const size_t begin = file_offset(d->Name);
        size_t end = begin;
        while (end < bytes.size() && bytes[end] != 0)
            ++end;
        if (end >= bytes.size()) break;
        names.emplace_back(bytes.data() + begin, end - begin);
    }
    return names;
}

TEST(CalendarAccessibleStartup, TheProgramDoesNotImportTheAccessibilityDlls) {
    const std::vector<std::string> dlls = ImportedDlls(TIMBUS_EXE_PATH);
    ASSERT_FALSE(dlls.empty()) << "no import table read from " << TIMBUS_EXE_PATH;
    bool has_user32 = false;
    for (std::string name : dlls) {
        for (char& ch : name)
            ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        has_user32 |= name == "user32.dll";
        EXPECT_NE(name, "oleacc.dll");
        EXPECT_NE(name, "oleaut32.dll");
        EXPECT_NE(name, "ole32.dll");
    }
    EXPECT_TRUE(has_user32) << "the table was not read right";
}

// ---- In the user's locale ----------------------------------------------------

// Runs once per user locale (see CMakeLists.txt): the names a screen reader
// speaks, in that locale's words.
struct AccessibleLocaleCase {
    const wchar_t* locale;
    const wchar_t* july_19_2004;
    const wchar_t* january_1_1753;
    const wchar_t* december_31_9999;
    const wchar_t* year_view_july;  // the year view's cell
    const wchar_t* previous_month;  // the button
    const wchar_t* today;
};

const AccessibleLocaleCase kLocales[] = {
    {L"en-US", L"Monday, July 19, 2004", L"Monday, January 1, 1753", L"Friday, December 31, 9999",
     L"July 2004", L"Previous month", L"Today"},
    {L"ru-RU", L"понедельник, 19 июля 2004\x202Fг.", L"понедельник, 1 января 1753\x202Fг.",
     L"пятница, 31 декабря 9999\x202Fг.", L"июль 2004\x202Fг.", L"Предыдущий месяц", L"Сегодня"},
    {L"en-GB", L"Monday, 19 July 2004", L"Monday, 1 January 1753", L"Friday, 31 December 9999",
     L"July 2004", L"Previous month", L"Today"},
    {L"de-DE", L"Montag, 19. Juli 2004", L"Montag, 1. Januar 1753", L"Freitag, 31. Dezember 9999",
     L"Juli 2004", L"Previous month", L"Today"},
    {L"hu-HU", L"2004. július 19., hétfő", L"1753. január 1., hétfő", L"9999. december 31., péntek",
     L"2004. július", L"Previous month", L"Today"},
};

const AccessibleLocaleCase* ExpectedLocale() {
    const char* name = std::getenv("TIMBUS_EXPECT_LOCALE");
    if (name == nullptr) return nullptr;
    for (const AccessibleLocaleCase& c : kLocales) {
        if (std::wstring(c.locale) == std::wstring(name, name + std::strlen(name))) return &c;
    }
    return nullptr;
}

TEST(AccessibleInUserLocale, NamesAreTheLocalesLongDatesWithTheWeekday) {
    const AccessibleLocaleCase* expected = ExpectedLocale();
    ASSERT_NE(expected, nullptr) << "TIMBUS_EXPECT_LOCALE names no known locale";
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    {
        CalendarHost host;
        ASSERT_TRUE(host.Activate());
        Com<IAccessible> object;
        ASSERT_TRUE(ObjectOf(host.calendar(), object));
        const auto name_of = [&](const SYSTEMTIME& day) {
            SendMessageW(host.calendar(), MCM_SETCURSEL, 0, reinterpret_cast<LPARAM>(&day));
            return Name(object.get(), ChildOfDate(object.get(), host.calendar(), day));
        };
        EXPECT_EQ(Value(object.get(), CHILDID_SELF), expected->july_19_2004)
            << Utf8(Value(object.get(), CHILDID_SELF));
        EXPECT_EQ(name_of(Day(2004, 7, 19)), expected->july_19_2004);
        EXPECT_EQ(Name(object.get(), a11y::kPreviousId), expected->previous_month);
        const SYSTEMTIME today = Day(2004, 7, 19);
        SendMessageW(host.calendar(), MCM_SETTODAY, 0, reinterpret_cast<LPARAM>(&today));
        EXPECT_EQ(Description(object.get(), ChildOfDate(object.get(), host.calendar(), today)),
                  expected->today);
        EXPECT_EQ(name_of(Day(1753, 1, 1)), expected->january_1_1753)
            << Utf8(name_of(Day(1753, 1, 1)));
        EXPECT_EQ(name_of(Day(9999, 12, 31)), expected->december_31_9999)
            << Utf8(name_of(Day(9999, 12, 31)));
        EXPECT_EQ(Value(object.get(), CHILDID_SELF), expected->december_31_9999);

        name_of(Day(2004, 7, 19));
        SendMessageW(host.calendar(), MCM_SETCURRENTVIEW, 0, MCMV_YEAR);
        const LONG july = ChildOfDate(object.get(), host.calendar(), Day(2004, 7, 1));
        EXPECT_EQ(Name(object.get(), july), expected->year_view_july)
            << Utf8(Name(object.get(), july));
        EXPECT_FALSE(DefaultAction(object.get(), july).empty());
        EXPECT_FALSE(DefaultAction(object.get(), a11y::kNextId).empty());
    }
    CoUninitialize();
}

}  // namespace
}  // namespace tk::test
