#include "about_window/about_window.h"

#include "calendar_window/calendar_window.h"
#include "tests/support/driver.h"
#include "toolkit/form.h"

#include <commctrl.h>
#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace {

class AboutWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_ = std::make_unique<tk::App>(GetModuleHandleW(nullptr));
        ASSERT_TRUE(app_->Init());
        calendar_ = calendar_window::Open(*app_);
        ASSERT_NE(calendar_, nullptr);
        about_ = about_window::Open(*app_);
        ASSERT_NE(about_, nullptr);
        Pump(100);
    }
    void TearDown() override {
        app_.reset();
        EXPECT_EQ(about_window::Instance(), nullptr);
    }

    void Pump(DWORD ms) {
        const DWORD start = GetTickCount();
        do {
            app_->PumpPending();
            Sleep(5);
        } while (GetTickCount() - start < ms);
    }

    // Pumps until the condition holds, for at most a second.
    template <typename Condition>
    bool PumpUntil(Condition condition) {
        for (int i = 0; i < 100 && !condition(); ++i)
            Pump(10);
        return condition();
    }

    HWND about() const { return about_->hwnd(); }

    std::unique_ptr<tk::App> app_;
    tk::Form* calendar_ = nullptr;
    tk::Form* about_ = nullptr;
};

struct ControlRow {
    const wchar_t* name;
    const wchar_t* text;
    RECT place_px;  // in the window's client coordinates
};

TEST_F(AboutWindowTest, ControlsCarryTheirTextsAndPlaces) {
    const ControlRow rows[] = {
        {L"cmdOK", L"OK", {280, 8, 332, 31}},
        // A picture's window text is its name for screen readers.
        {L"picIcon", L"Компьютер: монитор и системный блок", {8, 8, 45, 44}},
        {L"lblDescription", L"Программа тимбус для просмотра дней недели.", {8, 48, 331, 62}},
        {L"lblVersion", L"Тимбус V 1.3 Final", {56, 32, 315, 47}},
        {L"Frame1", L"Vortimex - Программы для вас!", {56, 8, 273, 25}},
        {L"Label1", L"Автор: Олег Николаевич Воронцов (Vortex)", {8, 72, 329, 89}},
        {L"Label2", L"Сайт: http://www.vortimex.example/", {8, 96, 337, 113}},
        {L"Label3", L"e-mail: timbus@vortimex.example", {8, 120, 337, 137}},
    };
    for (const auto& row : rows) {
        HWND control = about_->Control(row.name);
        ASSERT_NE(control, nullptr) << row.name;
        EXPECT_EQ(GetParent(control), about()) << row.name;
        wchar_t text[128] = {};
        GetWindowTextW(control, text, 128);
        EXPECT_STREQ(text, row.text) << row.name;
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, about(), reinterpret_cast<POINT*>(&r), 2);
        EXPECT_TRUE(EqualRect(&r, &row.place_px))
            << row.name << ": " << r.left << "," << r.top << "," << r.right << "," << r.bottom;
    }
    // The picture box is sized to its 33 x 32 picture inside the 2-px border.
    RECT inner;
    GetClientRect(about_->Control(L"picIcon"), &inner);
    EXPECT_EQ(inner.right, 33);
    EXPECT_EQ(inner.bottom, 32);
    EXPECT_TRUE(GetWindowLongPtrW(about_->Control(L"cmdOK"), GWL_STYLE) & BS_DEFPUSHBUTTON);
}

TEST_F(AboutWindowTest, WindowHasItsFrameSizePlaceAndNoOwnerButTheHiddenOne) {
    wchar_t caption[64] = {};
    GetWindowTextW(about(), caption, 64);
    EXPECT_STREQ(caption, L"О программе !");
    const RECT client = driver::ClientRectOnScreen(about());
    const RECT expected{398, 209, 398 + 335, 209 + 157};
    EXPECT_TRUE(EqualRect(&client, &expected));
    const auto style = static_cast<DWORD>(GetWindowLongPtrW(about(), GWL_STYLE));
    EXPECT_FALSE(style & (WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX));
    HWND owner = GetWindow(about(), GW_OWNER);
    EXPECT_NE(owner, calendar_->hwnd());
    EXPECT_EQ(owner, app_->owner());
    EXPECT_FALSE(IsWindowVisible(owner));
    EXPECT_NE(SendMessageW(about(), WM_GETICON, ICON_BIG, 0), 0);
}

TEST_F(AboutWindowTest, EveryLabelTextFitsWhatShowsOfItsBox) {
    HDC dc = GetDC(about());
    for (const wchar_t* name :
         {L"lblDescription", L"lblVersion", L"Frame1", L"Label1", L"Label2", L"Label3"}) {
        HWND control = about_->Control(name);
        auto* font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << name;
        HGDIOBJ old = SelectObject(dc, font);
        wchar_t text[128] = {};
        const int length = GetWindowTextW(control, text, 128);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text, length, &extent);
        SelectObject(dc, old);
        RECT box;
        GetWindowRect(control, &box);
        MapWindowPoints(nullptr, about(), reinterpret_cast<POINT*>(&box), 2);
        RECT client;
        GetClientRect(about(), &client);
        const int visible_width = std::min(box.right, client.right) - box.left;
        // The frame draws its caption after an 8-px indent with a space each side.
        const int indent = std::wstring_view(name) == L"Frame1" ? 12 : 0;
        EXPECT_LE(extent.cx + indent, visible_width) << name;
        EXPECT_LE(extent.cy, box.bottom - box.top) << name;
    }
    ReleaseDC(about(), dc);
}

TEST_F(AboutWindowTest, DescriptionIsBlackAndOtherLabelsUseButtonText) {
    HDC dc = CreateCompatibleDC(nullptr);
    SendMessageW(about(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(about_->Control(L"lblDescription")));
    EXPECT_EQ(GetTextColor(dc), RGB(0, 0, 0));
    SendMessageW(about(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(about_->Control(L"Label1")));
    EXPECT_EQ(GetTextColor(dc), GetSysColor(COLOR_BTNTEXT));
    DeleteDC(dc);
}

TEST_F(AboutWindowTest, FrameInsideShowsTheWindowBackground) {
    // A frame paints only its edge and caption: inside, the window's own
    // background must show, not what was on the screen before.
    HWND frame = about_->Control(L"Frame1");
    RECT r;
    GetWindowRect(frame, &r);
    const driver::Image screen = driver::CaptureWhenSettled(r, 3000);
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t face_rgb =
        (GetRValue(face) << 16) | (GetGValue(face) << 8) | GetBValue(face);
    int wrong = 0;
    for (int x = screen.width - 40; x < screen.width - 4; ++x) {
        for (int y = 9; y < 14; ++y)
            wrong += screen.At(x, y) != face_rgb;
    }
    EXPECT_EQ(wrong, 0);
}

TEST_F(AboutWindowTest, OpeningAgainKeepsOneWindowAndBringsItToTheFront) {
    SetForegroundWindow(calendar_->hwnd());
    Pump(100);
    EXPECT_EQ(about_window::Open(*app_), about_);
    EXPECT_EQ(about_window::Open(*app_), about_);
    Pump(100);
    EXPECT_EQ(app_->open_form_count(), 2u);
    EXPECT_EQ(GetForegroundWindow(), about());
    // Above the calendar window in z-order.
    bool about_first = false;
    for (HWND w = GetTopWindow(nullptr); w != nullptr; w = GetWindow(w, GW_HWNDNEXT)) {
        if (w == about()) about_first = true;
        if (w == calendar_->hwnd()) break;
    }
    EXPECT_TRUE(about_first);
}

TEST_F(AboutWindowTest, FocusStartsOnOkAndTabCyclesOkAndPicture) {
    EXPECT_EQ(GetFocus(), about_->Control(L"cmdOK"));
    const wchar_t* order[] = {L"picIcon", L"cmdOK", L"picIcon"};
    for (const wchar_t* next : order) {
        driver::PressKey(VK_TAB);
        EXPECT_TRUE(PumpUntil([&] { return GetFocus() == about_->Control(next); })) << next;
    }
    driver::PressKey(VK_TAB, /*shift=*/true);
    EXPECT_TRUE(PumpUntil([&] { return GetFocus() == about_->Control(L"cmdOK"); }));
}

TEST_F(AboutWindowTest, EachWayOfClosingDestroysItAndTheNextOpenStartsAfresh) {
    struct Way {
        const char* name;
        void (*close)(tk::Form& about);
    };
    const Way ways[] = {
        {"click on OK", [](tk::Form& a) { driver::ClickCentre(a.Control(L"cmdOK")); }},
        {"Enter", [](tk::Form&) { driver::PressKey(VK_RETURN); }},
        {"Esc", [](tk::Form&) { driver::PressKey(VK_ESCAPE); }},
        {"Enter with the picture focused",
         [](tk::Form& a) {
             SetFocus(a.Control(L"picIcon"));
             driver::PressKey(VK_RETURN);
         }},
        {"close box", [](tk::Form& a) { PostMessageW(a.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0); }},
        {"Alt+F4", [](tk::Form&) { driver::PressKey(VK_F4, false, false, /*alt=*/true); }},
    };
    for (const auto& way : ways) {
        ASSERT_NE(about_window::Instance(), nullptr) << way.name;
        HWND window = about_window::Instance()->hwnd();
        EXPECT_TRUE(PumpUntil([&] { return GetForegroundWindow() == window; })) << way.name;
        way.close(*about_window::Instance());
        EXPECT_TRUE(PumpUntil([] { return about_window::Instance() == nullptr; })) << way.name;
        EXPECT_FALSE(IsWindow(window)) << way.name;
        EXPECT_TRUE(IsWindow(calendar_->hwnd())) << way.name;
        about_ = about_window::Open(*app_);
        ASSERT_NE(about_, nullptr);
        Pump(50);
    }
}

TEST_F(AboutWindowTest, OpensAtItsPlaceWhereverTheCalendarWindowIs) {
    about_->Close();
    ASSERT_TRUE(PumpUntil([] { return about_window::Instance() == nullptr; }));
    SetWindowPos(calendar_->hwnd(), nullptr, 500, 400, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    about_ = about_window::Open(*app_);
    ASSERT_NE(about_, nullptr);
    const RECT client = driver::ClientRectOnScreen(about());
    EXPECT_EQ(client.left, 398);
    EXPECT_EQ(client.top, 209);
}

TEST_F(AboutWindowTest, CalendarWindowStaysUsableWhileAboutIsOpen) {
    HWND month_view = calendar_->Control(L"MonthView1");
    SYSTEMTIME before{};
    ASSERT_TRUE(SendMessageW(month_view, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&before)));
    // A real click on the calendar's 20 July, then a key.
    MCHITTESTINFO hit{};
    hit.cbSize = sizeof hit;
    RECT client;
    GetClientRect(month_view, &client);
    bool clicked = false;
    for (int y = client.top; y < client.bottom && !clicked; y += 3) {
        for (int x = client.left; x < client.right && !clicked; x += 3) {
            hit.pt = {x, y};
            SendMessageW(month_view, MCM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.uHit == MCHT_CALENDARDATE && hit.st.wMonth == 7 && hit.st.wDay == 20) {
                POINT screen = hit.pt;
                ClientToScreen(month_view, &screen);
                driver::ClickAt(screen);
                clicked = true;
            }
        }
    }
    ASSERT_TRUE(clicked);
    SYSTEMTIME now{};
    EXPECT_TRUE(PumpUntil([&] {
        SendMessageW(month_view, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&now));
        return now.wDay == 20;
    }));
    driver::PressKey(VK_RIGHT);
    EXPECT_TRUE(PumpUntil([&] {
        SendMessageW(month_view, MCM_GETCURSEL, 0, reinterpret_cast<LPARAM>(&now));
        return now.wDay == 21;
    }));
    EXPECT_EQ(about_window::Instance(), about_);
    EXPECT_TRUE(IsWindowVisible(about()));
}

}  // namespace
