// Both windows laid out at the screen's DPI: places and sizes follow the twips,
// the picture keeps its pixel size, and no text is cut. ctest runs this at 96,
// 120 and 144 DPI (one Wine prefix each) and names the DPI it expects in
// TIMBUS_EXPECT_DPI, so a prefix at the wrong DPI fails instead of passing.
#include "toolkit/dpi.h"
#include "about_window/about_window.h"
#include "calendar_window/calendar_window.h"
#include "tests/support/driver.h"
#include "toolkit/form.h"
#include "toolkit/month_calendar/month_calendar.h"
#include "toolkit/picture_box.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <iterator>
#include <memory>

namespace {

struct Layout {
    unsigned dpi;
    SIZE calendar_client;
    POINT calendar_origin;
    RECT picture1, a, month_view1;  // in their parents' client coordinates
    SIZE about_client;
    POINT about_origin;
    RECT ok, label3;
};

// Worked out by hand from the twips: pixels = twips * dpi / 1440, rounded.
constexpr Layout kLayouts[] = {
    {96,
     {353, 393},
     {151, 130},
     {0, 0, 353, 401},
     {264, 0, 353, 17},
     {80, 56, 246, 214},
     {335, 157},
     {398, 209},
     {280, 8, 332, 31},
     {8, 120, 337, 137}},
    {120,
     {441, 491},
     {189, 163},
     {0, 0, 441, 501},
     {330, 0, 441, 21},
     {100, 70, 308, 268},
     {419, 196},
     {498, 261},
     {350, 10, 415, 39},
     {10, 150, 421, 171}},
    {144,
     {530, 590},
     {227, 195},
     {0, 0, 530, 602},
     {396, 0, 530, 26},
     {120, 84, 369, 321},
     {503, 236},
     {597, 314},
     {420, 12, 498, 47},
     {12, 180, 506, 206}},
};

class DpiTest : public ::testing::Test {
protected:
    void SetUp() override {
        app_ = std::make_unique<tk::App>(GetModuleHandleW(nullptr));
        ASSERT_TRUE(app_->Init());
        calendar_ = calendar_window::Open(*app_);
        about_ = about_window::Open(*app_);
        ASSERT_NE(calendar_, nullptr);
        ASSERT_NE(about_, nullptr);
        app_->PumpPending();
        const unsigned dpi = tk::DpiForWindow(calendar_->hwnd());
        if (const char* expected = std::getenv("TIMBUS_EXPECT_DPI")) {
            ASSERT_EQ(dpi, static_cast<unsigned>(std::atoi(expected)));
        }
        for (const auto& layout : kLayouts) {
            if (layout.dpi == dpi) layout_ = &layout;
        }
        ASSERT_NE(layout_, nullptr) << "no layout worked out for " << dpi << " DPI";
    }

    static RECT PlaceIn(HWND control, HWND parent) {
        RECT r;
        GetWindowRect(control, &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }

    static void ExpectRect(const RECT& actual, const RECT& expected, const char* what) {
        EXPECT_TRUE(EqualRect(&actual, &expected))
            << what << ": " << actual.left << "," << actual.top << "," << actual.right << ","
            << actual.bottom << " instead of " << expected.left << "," << expected.top << ","
            << expected.right << "," << expected.bottom;
    }

    static void ExpectClient(HWND window, SIZE size, POINT origin) {
        const RECT expected{origin.x, origin.y, origin.x + size.cx, origin.y + size.cy};
        ExpectRect(driver::ClientRectOnScreen(window), expected, "client area");
    }

    std::unique_ptr<tk::App> app_;
    tk::Form* calendar_ = nullptr;
    tk::Form* about_ = nullptr;
    const Layout* layout_ = nullptr;
};

TEST_F(DpiTest, WindowsAndControlsFollowTheirTwips) {
    ExpectClient(calendar_->hwnd(), layout_->calendar_client, layout_->calendar_origin);
    HWND panel = calendar_->Control(L"Picture1");
    ExpectRect(PlaceIn(panel, calendar_->hwnd()), layout_->picture1, "Picture1");
    ExpectRect(PlaceIn(calendar_->Control(L"A"), panel), layout_->a, "A");
    ExpectRect(PlaceIn(calendar_->Control(L"MonthView1"), panel), layout_->month_view1,
               "MonthView1");
    ExpectClient(about_->hwnd(), layout_->about_client, layout_->about_origin);
    ExpectRect(PlaceIn(about_->Control(L"cmdOK"), about_->hwnd()), layout_->ok, "cmdOK");
    ExpectRect(PlaceIn(about_->Control(L"Label3"), about_->hwnd()), layout_->label3, "Label3");
}

TEST_F(DpiTest, PicturesKeepTheirPixelSize) {
    const SIZE monitor = tk::PictureBoxPictureSize(calendar_->Control(L"Picture1"));
    EXPECT_EQ(monitor.cx, 405);
    EXPECT_EQ(monitor.cy, 390);
    const SIZE computer = tk::PictureBoxPictureSize(about_->Control(L"picIcon"));
    EXPECT_EQ(computer.cx, 33);
    EXPECT_EQ(computer.cy, 32);
}

TEST_F(DpiTest, FontFollowsTheDpiAndNoTextIsCut) {
    HDC dc = GetDC(about_->hwnd());
    struct Text {
        tk::Form* form;
        const wchar_t* name;
        int indent;  // a frame's caption starts after its edge
    };
    const Text texts[] = {
        {about_, L"lblDescription", 0}, {about_, L"lblVersion", 0}, {about_, L"Frame1", 12},
        {about_, L"Label1", 0},         {about_, L"Label2", 0},     {about_, L"Label3", 0},
        {about_, L"cmdOK", 8},
    };
    for (const auto& t : texts) {
        HWND control = t.form->Control(t.name);
        auto* font = reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0));
        ASSERT_NE(font, nullptr) << t.name;
        LOGFONTW face{};
        GetObjectW(font, sizeof face, &face);
        EXPECT_EQ(face.lfHeight, -MulDiv(8, static_cast<int>(layout_->dpi), 72)) << t.name;
        HGDIOBJ old = SelectObject(dc, font);
        wchar_t text[128] = {};
        const int length = GetWindowTextW(control, text, 128);
        SIZE extent{};
        GetTextExtentPoint32W(dc, text, length, &extent);
        SelectObject(dc, old);
        RECT box = PlaceIn(control, GetParent(control));
        RECT client;
        GetClientRect(GetParent(control), &client);
        EXPECT_LE(extent.cx + t.indent, std::min(box.right, client.right) - box.left) << t.name;
        EXPECT_LE(extent.cy, box.bottom - box.top) << t.name;
    }
    ReleaseDC(about_->hwnd(), dc);
}

// The calendar's title is bold and its days regular, both of the DPI's size.
TEST_F(DpiTest, CalendarFontsFollowTheDpi) {
    HWND calendar = calendar_->Control(L"MonthView1");
    RedrawWindow(calendar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    const std::vector<tk::MonthCalendarText> texts = tk::MonthCalendarPaintedTexts(calendar);
    ASSERT_GT(texts.size(), 8u);
    const auto face_of = [](HFONT font) {
        LOGFONTW face{};
        GetObjectW(font, sizeof face, &face);
        return face;
    };
    const LOGFONTW title = face_of(texts[0].font);
    const LOGFONTW day = face_of(texts.back().font);
    EXPECT_EQ(title.lfWeight, FW_BOLD);
    EXPECT_EQ(day.lfWeight, FW_NORMAL);
    EXPECT_EQ(title.lfHeight, -MulDiv(8, static_cast<int>(layout_->dpi), 72));
    EXPECT_EQ(day.lfHeight, title.lfHeight);
}

TEST_F(DpiTest, MovingToAnotherDpiLaysTheWindowsOutAgain) {
    // What Windows sends when a window moves to a monitor of another DPI: the
    // new DPI and a suggested window rectangle.
    const Layout& next = kLayouts[(layout_ - kLayouts + 1) % std::size(kLayouts)];
    struct Case {
        tk::Form* form;
        SIZE client;
    };
    for (const Case& c : {Case{calendar_, next.calendar_client}, Case{about_, next.about_client}}) {
        RECT suggested{100, 100, 100 + c.client.cx, 100 + c.client.cy};
        AdjustWindowRectEx(&suggested,
                           static_cast<DWORD>(GetWindowLongPtrW(c.form->hwnd(), GWL_STYLE)), FALSE,
                           static_cast<DWORD>(GetWindowLongPtrW(c.form->hwnd(), GWL_EXSTYLE)));
        SendMessageW(c.form->hwnd(), WM_DPICHANGED, MAKEWPARAM(next.dpi, next.dpi),
                     reinterpret_cast<LPARAM>(&suggested));
        RECT window;
        GetWindowRect(c.form->hwnd(), &window);
        ExpectRect(window, suggested, "window");
    }
    HWND panel = calendar_->Control(L"Picture1");
    ExpectRect(PlaceIn(panel, calendar_->hwnd()), next.picture1, "Picture1");
    ExpectRect(PlaceIn(calendar_->Control(L"A"), panel), next.a, "A");
    ExpectRect(PlaceIn(calendar_->Control(L"MonthView1"), panel), next.month_view1, "MonthView1");
    ExpectRect(PlaceIn(about_->Control(L"cmdOK"), about_->hwnd()), next.ok, "cmdOK");
    ExpectRect(PlaceIn(about_->Control(L"Label3"), about_->hwnd()), next.label3, "Label3");
    auto* font =
        reinterpret_cast<HFONT>(SendMessageW(about_->Control(L"Label1"), WM_GETFONT, 0, 0));
    LOGFONTW face{};
    GetObjectW(font, sizeof face, &face);
    EXPECT_EQ(face.lfHeight, -MulDiv(8, static_cast<int>(next.dpi), 72));
    EXPECT_EQ(
        reinterpret_cast<HFONT>(SendMessageW(calendar_->Control(L"MonthView1"), WM_GETFONT, 0, 0)),
        reinterpret_cast<HFONT>(SendMessageW(calendar_->Control(L"A"), WM_GETFONT, 0, 0)));
}

}  // namespace
