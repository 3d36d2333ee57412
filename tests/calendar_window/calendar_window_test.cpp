#include "calendar_window/calendar_window.h"

#include "assets/resource_ids.h"
#include "tests/support/driver.h"
#include "toolkit/form.h"

#include <gtest/gtest.h>
#include <oleacc.h>

#include <memory>
#include <string>

namespace {

class CalendarWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_ = std::make_unique<tk::App>(GetModuleHandleW(nullptr));
        ASSERT_TRUE(app_->Init());
        baseline_ = tk::LiveHandleCounts();
        form_ = calendar_window::Open(*app_);
        ASSERT_NE(form_, nullptr);
        driver::Settle(100);
    }
    void TearDown() override { app_.reset(); }

    HWND window() const { return form_->hwnd(); }

    std::unique_ptr<tk::App> app_;
    tk::Form* form_ = nullptr;
    tk::HandleCounts baseline_;
};

TEST_F(CalendarWindowTest, HasAFixedDialogFrameAndNoTaskbarButton) {
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(window(), GWL_STYLE));
    const auto ex_style = static_cast<DWORD>(GetWindowLongPtrW(window(), GWL_EXSTYLE));
    EXPECT_EQ(style & WS_CAPTION, static_cast<DWORD>(WS_CAPTION));
    EXPECT_TRUE(style & WS_SYSMENU);
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    EXPECT_TRUE(ex_style & WS_EX_DLGMODALFRAME);
    EXPECT_FALSE(ex_style & (WS_EX_APPWINDOW | WS_EX_TOOLWINDOW));

    // Owned by a window that is never shown: no taskbar button.
    HWND owner = GetWindow(window(), GW_OWNER);
    ASSERT_NE(owner, nullptr);
    EXPECT_FALSE(IsWindowVisible(owner));

    HMENU menu = GetSystemMenu(window(), FALSE);
    ASSERT_NE(menu, nullptr);
    for (UINT command : {SC_SIZE, SC_MINIMIZE, SC_MAXIMIZE, SC_RESTORE}) {
        EXPECT_EQ(GetMenuState(menu, command, MF_BYCOMMAND), static_cast<UINT>(-1)) << command;
    }
    EXPECT_NE(GetMenuState(menu, SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));

    wchar_t caption[64] = {};
    GetWindowTextW(window(), caption, 64);
    EXPECT_STREQ(caption, L"Тимбус V 1.3");
    EXPECT_NE(SendMessageW(window(), WM_GETICON, ICON_SMALL, 0), 0);
}

TEST_F(CalendarWindowTest, ClientAreaHasItsSizeAndScreenPlace) {
    const RECT client = driver::ClientRectOnScreen(window());
    const RECT expected{151, 130, 151 + 353, 130 + 393};
    EXPECT_TRUE(EqualRect(&client, &expected));
    const POINT origin{client.left, client.top};

    // A resize request from outside changes nothing the user sees as size.
    const LRESULT hit =
        SendMessageW(window(), WM_NCHITTEST, 0, MAKELPARAM(origin.x + 352 + 3, origin.y + 392 + 3));
    EXPECT_NE(hit, HTBOTTOMRIGHT);
}

struct ControlPlace {
    const wchar_t* name;
    const wchar_t* parent;  // nullptr: the window
    RECT window_px;         // in the parent's client coordinates
    RECT client_px;         // the control's own client size
};

TEST_F(CalendarWindowTest, ControlsSitWhereTheTableSays) {
    const ControlPlace places[] = {
        {L"Picture1", nullptr, {0, 0, 353, 401}, {0, 0, 349, 397}},
        {L"A", L"Picture1", {264, 0, 353, 17}, {0, 0, 89, 17}},
        {L"MonthView1", L"Picture1", {80, 56, 246, 214}, {0, 0, 166, 158}},
    };
    for (const auto& place : places) {
        HWND control = form_->Control(place.name);
        ASSERT_NE(control, nullptr) << place.name;
        HWND parent = place.parent ? form_->Control(place.parent) : window();
        EXPECT_EQ(GetParent(control), parent) << place.name;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(EqualRect(&r, &place.window_px))
            << place.name << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
        GetClientRect(control, &r);
        EXPECT_TRUE(EqualRect(&r, &place.client_px))
            << place.name << ": " << r.right << "x" << r.bottom;
    }
    wchar_t text[64] = {};
    GetWindowTextW(form_->Control(L"A"), text, 64);
    EXPECT_STREQ(text, L"О программе !");
    EXPECT_TRUE(GetWindowLongPtrW(form_->Control(L"Picture1"), GWL_EXSTYLE) & WS_EX_CLIENTEDGE);
}

TEST_F(CalendarWindowTest, TabFollowsTabIndicesAcrossThePanel) {
    const wchar_t* order[] = {L"MonthView1", L"A", L"Picture1"};
    SetFocus(form_->Control(L"Picture1"));
    for (const wchar_t* next : order) {
        driver::PressKey(VK_TAB);
        for (int i = 0; i < 20 && GetFocus() != form_->Control(next); ++i) {
            Sleep(10);
            app_->PumpPending();
        }
        EXPECT_EQ(GetFocus(), form_->Control(next)) << next;
    }
    driver::PressKey(VK_TAB, /*shift=*/true);
    for (int i = 0; i < 20 && GetFocus() != form_->Control(L"A"); ++i) {
        Sleep(10);
        app_->PumpPending();
    }
    EXPECT_EQ(GetFocus(), form_->Control(L"A"));

    // Screen readers walk the panel's children in z-order: the same order.
    HWND first = GetWindow(form_->Control(L"Picture1"), GW_CHILD);
    EXPECT_EQ(first, form_->Control(L"MonthView1"));
    EXPECT_EQ(GetWindow(first, GW_HWNDNEXT), form_->Control(L"A"));
}

// Screen readers name the picture panel by what it shows and the calendar as
// a calendar, though neither shows text of its own.
TEST_F(CalendarWindowTest, PanelAndCalendarHaveAccessibleNames) {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    struct Case {
        const wchar_t* control;
        const wchar_t* name;
    };
    const Case cases[] = {
        {L"Picture1", L"Монитор в деревянном корпусе, на экране календарь"},
        {L"MonthView1", L"Календарь"},
    };
    for (const Case& c : cases) {
        IAccessible* object = nullptr;
        ASSERT_EQ(
            AccessibleObjectFromWindow(form_->Control(c.control), OBJID_CLIENT,
                                       __uuidof(IAccessible), reinterpret_cast<void**>(&object)),
            S_OK)
            << c.control;
        VARIANT self{};
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr;
        EXPECT_EQ(object->get_accName(self, &name), S_OK) << c.control;
        EXPECT_EQ(std::wstring(name != nullptr ? name : L""), c.name);
        SysFreeString(name);
        object->Release();
    }
    CoUninitialize();
}

// The panel as it paints itself, 0x00RRGGBB pixels.
driver::Image RenderControl(HWND control) {
    RECT client{};
    GetClientRect(control, &client);
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, client.right, client.bottom);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old = SelectObject(dc, bitmap);
    SendMessageW(control, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
    SelectObject(dc, old);
    DeleteDC(dc);
    driver::Image image = driver::ImageOfBitmap(bitmap);
    DeleteObject(bitmap);
    return image;
}

// Pixels of the top row that differ between two renderings.
int TopRowChanges(const driver::Image& a, const driver::Image& b) {
    int changes = 0;
    for (int x = 0; x < a.width && x < b.width; ++x)
        changes += a.At(x, 0) != b.At(x, 0);
    return changes;
}

// The system's "always show keyboard cues" for the length of a test (Wine
// has it on), put back afterwards.
class KeyboardCues {
public:
    explicit KeyboardCues(bool on) {
        SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &saved_, 0);
        set_ = SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, IntToPtr(on ? TRUE : FALSE), 0);
    }
    ~KeyboardCues() { SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, IntToPtr(saved_), 0); }
    KeyboardCues(const KeyboardCues&) = delete;
    KeyboardCues& operator=(const KeyboardCues&) = delete;
    bool set() const { return set_ != FALSE; }

private:
    BOOL saved_ = FALSE;
    BOOL set_ = FALSE;
};

// Focus cues stay hidden while only the mouse (or the program) moves the
// focus, and show once the keyboard does, as in dialogs; with the system set
// to show them always, they show from the start.
TEST_F(CalendarWindowTest, FocusCuesFollowTheKeyboardAndTheSystemSetting) {
    HWND panel = form_->Control(L"Picture1");
    const auto focus_and_render = [&](HWND target) {
        SetFocus(target);
        app_->PumpPending();
        return RenderControl(panel);
    };
    const driver::Image unfocused = focus_and_render(form_->Control(L"A"));

    {
        KeyboardCues always(true);
        ASSERT_TRUE(always.set());
        SendMessageW(window(), WM_SETTINGCHANGE, SPI_SETKEYBOARDCUES, 0);
        EXPECT_GT(TopRowChanges(unfocused, focus_and_render(panel)), 50) << "always on, not shown";
    }

    KeyboardCues hidden(false);
    ASSERT_TRUE(hidden.set());
    SendMessageW(window(), WM_SETTINGCHANGE, SPI_SETKEYBOARDCUES, 0);
    focus_and_render(form_->Control(L"A"));
    EXPECT_EQ(TopRowChanges(unfocused, focus_and_render(panel)), 0) << "shown before any key";
    EXPECT_EQ(SendMessageW(window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, UISF_HIDEFOCUS);

    SetFocus(form_->Control(L"A"));
    driver::PressKey(VK_TAB);  // from the last control round to the panel
    for (int i = 0; i < 20 && GetFocus() != panel; ++i) {
        Sleep(10);
        app_->PumpPending();
    }
    ASSERT_EQ(GetFocus(), panel);
    EXPECT_GT(TopRowChanges(unfocused, RenderControl(panel)), 50) << "no focus rectangle";
    EXPECT_EQ(SendMessageW(window(), WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS, 0);
}

// The monitor picture as 0x00RRGGBB pixels, rows top-down.
driver::Image LoadMonitorPicture() {
    auto* bitmap =
        static_cast<HBITMAP>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDB_MONITOR),
                                        IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
    driver::Image image = driver::ImageOfBitmap(bitmap);
    if (bitmap != nullptr) DeleteObject(bitmap);
    return image;
}

std::uint32_t ToRgb(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

TEST_F(CalendarWindowTest, PanelShowsThePictureUnscaledAndClippedToItsInnerArea) {
    // Keep the panel's focus rectangle out of the picture.
    SetFocus(form_->Control(L"MonthView1"));
    const driver::Image picture = LoadMonitorPicture();
    ASSERT_EQ(picture.width, 405);
    ASSERT_EQ(picture.height, 390);

    const RECT client = driver::ClientRectOnScreen(window());
    const driver::Image screen = driver::CaptureWhenSettled(client, 3000);
    ASSERT_EQ(screen.width, 353);
    ASSERT_EQ(screen.height, 393);

    // The inner area starts 2 px in; only its left 349 columns and the 391
    // rows inside the client area show.
    constexpr int kBorder = 2;
    auto covered = [](int x, int y) {
        const bool button = x >= 264 && y < 17;
        const bool calendar = x >= 80 && x < 246 && y >= 56 && y < 214;
        return button || calendar;
    };
    int mismatches = 0;
    for (int y = 0; y < 390 && y + kBorder < screen.height; ++y) {
        for (int x = 0; x < 349; ++x) {
            if (covered(x, y)) continue;
            if (screen.At(x + kBorder, y + kBorder) != picture.At(x, y)) ++mismatches;
        }
    }
    EXPECT_EQ(mismatches, 0);

    // The one inner row below the picture is button face, across the panel.
    const std::uint32_t face = ToRgb(GetSysColor(COLOR_BTNFACE));
    for (int x = 0; x < 349; x += 7)
        EXPECT_EQ(screen.At(x + kBorder, 390 + kBorder), face) << x;

    // The sunken border: the panel's right border sits in the client's last
    // two columns, not picture column 349.
    EXPECT_NE(screen.At(kBorder + 349, 100), picture.At(349, 100 - kBorder));
}

TEST_F(CalendarWindowTest, AboutButtonIsCutOffAtThePanelsInnerEdge) {
    SetFocus(form_->Control(L"MonthView1"));
    HWND button = form_->Control(L"A");
    const RECT client = driver::ClientRectOnScreen(window());
    const driver::Image screen = driver::CaptureWhenSettled(client, 3000);

    // Render the whole button off-screen to learn what its right edge looks like.
    HDC screen_dc = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen_dc);
    HBITMAP canvas = CreateCompatibleBitmap(screen_dc, 89, 17);
    HGDIOBJ old = SelectObject(memory, canvas);
    SendMessageW(button, WM_PRINT, reinterpret_cast<WPARAM>(memory),
                 PRF_CLIENT | PRF_NONCLIENT | PRF_ERASEBKGND);
    const COLORREF right_edge = GetPixel(memory, 88, 8);
    const COLORREF fifth_from_right = GetPixel(memory, 84, 8);
    SelectObject(memory, old);
    DeleteObject(canvas);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen_dc);

    // On screen, inner column 348 (client 350) shows button column 84: the
    // last 4 columns, with the button's right edge, are hidden.
    EXPECT_EQ(screen.At(2 + 348, 2 + 8), ToRgb(fifth_from_right));
    EXPECT_NE(ToRgb(right_edge), ToRgb(fifth_from_right))
        << "the button's edge must differ from its face for this check to mean anything";
    EXPECT_NE(screen.At(2 + 349, 2 + 8), ToRgb(right_edge));
}

TEST_F(CalendarWindowTest, ClosingTheWindowDestroysItAndFreesItsHandles) {
    EXPECT_EQ(app_->open_form_count(), 1u);
    // The font, the picture and the icons are counted while the window lives.
    EXPECT_GT(tk::LiveHandleCounts().gdi, baseline_.gdi);
    EXPECT_GT(tk::LiveHandleCounts().user, baseline_.user);
    SendMessageW(window(), WM_SYSCOMMAND, SC_CLOSE, 0);
    app_->PumpPending();
    EXPECT_EQ(app_->open_form_count(), 0u);
    EXPECT_EQ(tk::LiveHandleCounts().gdi, baseline_.gdi);
    EXPECT_EQ(tk::LiveHandleCounts().user, baseline_.user);
}

}  // namespace
