// Both windows under a high-contrast theme: everything painted in the
// system's colours and legible, and back to the stored colours when the theme
// goes off, each at once on the setting's change. Wine has no high-contrast
// themes, so the test sets a black scheme's system colours itself and stands
// in for the system's switch.
#include <windows.h>

#include <commctrl.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "about_window/about_window.h"
#include "calendar_window/calendar_window.h"
#include "tests/support/driver.h"
#include "toolkit/colour.h"
#include "toolkit/form.h"

namespace {

// A black high-contrast scheme.
struct SchemeColour {
    int index;
    COLORREF colour;
};
const SchemeColour kBlackScheme[] = {
    {COLOR_WINDOW, RGB(0, 0, 0)},
    {COLOR_WINDOWTEXT, RGB(255, 255, 255)},
    {COLOR_HIGHLIGHT, RGB(26, 235, 255)},
    {COLOR_HIGHLIGHTTEXT, RGB(0, 0, 0)},
    {COLOR_GRAYTEXT, RGB(63, 242, 63)},
    {COLOR_BTNFACE, RGB(0, 0, 0)},
    {COLOR_BTNTEXT, RGB(255, 255, 255)},
    {COLOR_BTNSHADOW, RGB(128, 128, 128)},
    {COLOR_BTNHIGHLIGHT, RGB(255, 255, 255)},
    {COLOR_3DDKSHADOW, RGB(255, 255, 255)},
    {COLOR_3DLIGHT, RGB(255, 255, 255)},
    {COLOR_ACTIVECAPTION, RGB(128, 0, 128)},
    {COLOR_CAPTIONTEXT, RGB(255, 255, 255)},
    {COLOR_HOTLIGHT, RGB(255, 255, 0)},
};

// The program's fixed colours: none may show under the theme.
const COLORREF kStoredColours[] = {RGB(192, 192, 255), RGB(60, 120, 99), RGB(192, 255, 192),
                                   RGB(0, 192, 0)};

std::uint32_t ToRgb(COLORREF c) {
    return (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
}

int Count(const driver::Image& image, const RECT& area, COLORREF colour) {
    int count = 0;
    for (int y = std::max<int>(area.top, 0); y < std::min<int>(area.bottom, image.height); ++y)
        for (int x = std::max<int>(area.left, 0); x < std::min<int>(area.right, image.width); ++x)
            count += image.At(x, y) == ToRgb(colour);
    return count;
}

// A window's rectangle inside a capture of `whole` (screen coordinates).
RECT Within(HWND window, const RECT& whole) {
    RECT r = driver::ClientRectOnScreen(window);
    OffsetRect(&r, -whole.left, -whole.top);
    return r;
}

class HighContrast : public ::testing::Test {
protected:
    void SetUp() override {
        for (const SchemeColour& c : kBlackScheme)
            saved_.push_back({c.index, GetSysColor(c.index)});
        app_ = std::make_unique<tk::App>(GetModuleHandleW(nullptr));
        ASSERT_TRUE(app_->Init());
        calendar_ = calendar_window::Open(*app_);
        ASSERT_NE(calendar_, nullptr);
        about_ = about_window::Open(*app_);
        ASSERT_NE(about_, nullptr);
        Pump();
    }
    void TearDown() override {
        SetTheme(false);
        app_.reset();
    }

    // Switches the theme as the system would: the colours, then the news of
    // the setting to every top-level window.
    void SetTheme(bool on) {
        std::vector<int> indices;
        std::vector<COLORREF> colours;
        for (const SchemeColour& c :
             on ? std::vector<SchemeColour>(std::begin(kBlackScheme), std::end(kBlackScheme))
                : saved_) {
            indices.push_back(c.index);
            colours.push_back(c.colour);
        }
        SetSysColors(static_cast<int>(indices.size()), indices.data(), colours.data());

        tk::HighContrastOverrideForTests() =
            on ? tk::HighContrastOverride::On : tk::HighContrastOverride::None;
        for (tk::Form* form : {calendar_, about_}) {
            if (form == nullptr) continue;
            SendMessageW(form->hwnd(), WM_THEMECHANGED, 0, 0);
            SendMessageW(form->hwnd(), WM_SYSCOLORCHANGE, 0, 0);
            SendMessageW(form->hwnd(), WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0);
        }
        Pump();
    }

    void Pump() {
        for (int i = 0; i < 20; ++i) {
            app_->PumpPending();
            Sleep(10);
        }
    }

    RECT Whole() const { return driver::UnionRect({calendar_->hwnd(), about_->hwnd()}); }

    driver::Image Capture() {
        Pump();
        return driver::CaptureWhenSettled(Whole(), 3000);
    }

    std::vector<SchemeColour> saved_;
    std::unique_ptr<tk::App> app_;
    tk::Form* calendar_ = nullptr;
    tk::Form* about_ = nullptr;
};

TEST_F(HighContrast, BothWindowsTakeTheSystemsColoursAndGiveThemBack) {
    const RECT whole = Whole();
    HWND month_view = calendar_->Control(L"MonthView1");
    const RECT calendar = Within(month_view, whole);
    const RECT description = Within(about_->Control(L"lblDescription"), whole);

    SetTheme(true);
    const driver::Image themed = Capture();
    for (COLORREF stored : kStoredColours) {
        EXPECT_EQ(Count(themed, calendar, stored), 0) << std::hex << stored;
    }
    // The body in the window colour, the day numbers in its text colour, the
    // selected day (the 19th) on the highlight.
    const int area = (calendar.right - calendar.left) * (calendar.bottom - calendar.top);
    EXPECT_GT(Count(themed, calendar, RGB(0, 0, 0)), area / 2);
    EXPECT_GT(Count(themed, calendar, RGB(255, 255, 255)), 300);
    EXPECT_GT(Count(themed, calendar, RGB(26, 235, 255)), 50);
    // The description is stored black: on the black face it would vanish, so
    // it takes the button-text colour.
    EXPECT_GT(Count(themed, description, RGB(255, 255, 255)), 30);
    // The system's own controls paint with what the form hands them: the
    // frame's caption in the button-text colour on the face. (Wine keeps its
    // visual style on and draws that caption in the style's colour; Windows
    // turns the styles off under a high-contrast theme.)
    HDC dc = CreateCompatibleDC(nullptr);
    const auto brush = reinterpret_cast<HBRUSH>(
        SendMessageW(about_->hwnd(), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                     reinterpret_cast<LPARAM>(about_->Control(L"Frame1"))));
    EXPECT_EQ(GetTextColor(dc), RGB(255, 255, 255));
    EXPECT_EQ(brush, GetSysColorBrush(COLOR_BTNFACE));
    DeleteDC(dc);

    if (const char* dir = std::getenv("TIMBUS_SCREENSHOT_DIR")) {
        const std::string path = std::string(dir) + "\\high-contrast.png";
        EXPECT_TRUE(driver::WritePng(std::wstring(path.begin(), path.end()), themed));
    }

    SetTheme(false);
    const driver::Image plain = Capture();
    EXPECT_GT(Count(plain, calendar, RGB(192, 192, 255)), area / 4) << "stored colours not back";
    EXPECT_EQ(Count(plain, calendar, RGB(26, 235, 255)), 0);
}

}  // namespace
