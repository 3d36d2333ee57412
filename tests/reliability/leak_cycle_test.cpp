// Cycles that a long session goes through, each of which must give back
// everything it took: the About window opened and closed, the calendar paged
// across its whole range in every view, and the system's notifications of
// colour, setting, theme and DPI changes.
#include "tests/reliability/measures.h"
#include "tests/reliability/program_windows.h"
#include "toolkit/month_calendar/month_calendar.h"

#include <commctrl.h>

#include <cstdlib>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace reliability {
namespace {

// TIMBUS_LEAK_SCALE multiplies the cycle counts (tools/soak runs more).
int Scaled(int count) {
    const char* scale = std::getenv("TIMBUS_LEAK_SCALE");
    const int factor = scale ? std::atoi(scale) : 1;
    return count * (factor > 0 ? factor : 1);
}

TEST(LeakMeasure, SeesABrushBeingCreatedAndDeleted) {
    // The cycles below rely on it; GdiObjectCount checks itself this way.
    EXPECT_TRUE(GdiObjectCount().has_value())
        << "neither GetGuiResources nor the handle-slot probe counts GDI objects here";
}

class LeakCycles : public ProgramWindows {
protected:
    void SetUp() override {
        ProgramWindows::SetUp();
        if (HasFatalFailure()) return;
        // Once first: Wine makes some things once per process or thread (its
        // caches, the input method's window), which are not ours to give back.
        ASSERT_NE(OpenAbout(), nullptr);
        ASSERT_TRUE(CloseAbout());
        baseline_ = HoldingsNow();
    }

    // A key as the calendar gets it while it has the focus.
    void Press(WORD vk, bool ctrl = false) {
        HeldModifiers modifiers(false, ctrl, false);
        SendMessageW(calendar(), WM_KEYDOWN, vk, 1);
        UpdateWindow(calendar());
    }

    SYSTEMTIME FirstShown() {
        SYSTEMTIME shown[2]{};
        SendMessageW(calendar(), MCM_GETMONTHRANGE, GMR_VISIBLE, reinterpret_cast<LPARAM>(shown));
        return shown[0];
    }

    // Presses the key until the shown dates stop moving; the presses it took.
    int PressUntilStill(WORD vk, bool ctrl) {
        int presses = 0;
        for (std::string before = Text(FirstShown());; ++presses) {
            Press(vk, ctrl);
            const std::string after = Text(FirstShown());
            if (after == before || presses > 20000) break;
            before = after;
        }
        return presses;
    }

    Holdings baseline_;
};

TEST_F(LeakCycles, AboutWindowOpenedAndClosedAThousandTimes) {
    const int cycles = Scaled(1000);
    for (int i = 1; i <= cycles; ++i) {
        ASSERT_NE(OpenAbout(), nullptr) << "cycle " << i;
        ASSERT_TRUE(CloseAbout()) << "cycle " << i;
        if (i % 100 == 0) {
            ASSERT_TRUE(SameHoldings(HoldingsNow(), baseline_)) << "after cycle " << i;
        }
    }
    EXPECT_TRUE(SameHoldings(HoldingsNow(), baseline_));
}

TEST_F(LeakCycles, CalendarPagedAcrossTheWholeRangeInEveryView) {
    struct Sweep {
        int view;
        bool ctrl;
        int presses;          // from one end to the other
        int last_first_year;  // the first year on show at the far end
    };
    // A year at a time in the month view (a month at a time is 99,000
    // paints), ten years in the year view, a decade or a century in the others.
    const Sweep sweeps[] = {
        {MCMV_MONTH, true, 8246, 9999},
        {MCMV_YEAR, true, 825, 9999},
        {MCMV_DECADE, false, 824, 9990},
        {MCMV_CENTURY, false, 82, 9900},
    };
    for (const Sweep& sweep : sweeps) {
        ASSERT_TRUE(Select(1753, 1, 31));
        SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, sweep.view);
        EXPECT_EQ(PressUntilStill(VK_NEXT, sweep.ctrl), sweep.presses) << "view " << sweep.view;
        EXPECT_EQ(FirstShown().wYear, sweep.last_first_year) << "view " << sweep.view;
        EXPECT_EQ(CalendarFaults(), "") << "view " << sweep.view;
        EXPECT_EQ(PressUntilStill(VK_PRIOR, sweep.ctrl), sweep.presses) << "view " << sweep.view;
        EXPECT_EQ(Text(FirstShown()), "1753-01-01") << "view " << sweep.view;
        EXPECT_EQ(CalendarFaults(), "") << "view " << sweep.view;
    }
    // The month view's ends a month at a time, past the last month both ways.
    SendMessageW(calendar(), MCM_SETCURRENTVIEW, 0, MCMV_MONTH);
    ASSERT_TRUE(Select(9998, 1, 31));
    EXPECT_EQ(PressUntilStill(VK_NEXT, false), 23);
    EXPECT_EQ(Text(FirstShown()), "9999-12-01");
    ASSERT_TRUE(Select(1754, 12, 31));
    EXPECT_EQ(PressUntilStill(VK_PRIOR, false), 23);
    EXPECT_EQ(Text(FirstShown()), "1753-01-01");
    ASSERT_TRUE(Select(2004, 7, 19));
    EXPECT_TRUE(SameHoldings(HoldingsNow(), baseline_));
}

constexpr std::size_t kNoLimit = 200000;

// Every GDI handle the process can still get, taken as brushes; they go back
// when the result is destroyed.
struct Brushes {
    std::vector<HBRUSH> taken;
    Brushes() = default;
    Brushes(Brushes&& other) noexcept : taken(std::move(other.taken)) { other.taken.clear(); }
    Brushes(const Brushes&) = delete;
    Brushes& operator=(const Brushes&) = delete;
    ~Brushes() {
        for (HBRUSH b : taken)
            DeleteObject(b);
    }
    std::size_t size() const { return taken.size(); }
};

Brushes GdiHandlesLeft() {
    Brushes brushes;
    for (HBRUSH b; brushes.size() < kNoLimit &&
                   (b = CreateSolidBrush(RGB(0, 0, brushes.size() & 255))) != nullptr;)
        brushes.taken.push_back(b);
    return brushes;
}

struct Notification {
    const char* name;
    UINT message;
    WPARAM wparam;
    LPARAM lparam;
};

TEST_F(LeakCycles, SystemNotificationsToBothWindows) {
    ASSERT_NE(OpenAbout(), nullptr);
    std::vector<HWND> windows = {form_->hwnd(), about_window::Instance()->hwnd()};
    // Each window's rectangle, then its controls' in z-order.
    const auto places = [&windows] {
        std::vector<std::vector<RECT>> all;
        for (HWND window : windows) {
            std::vector<RECT> rects(1);
            GetWindowRect(window, &rects[0]);
            EnumChildWindows(
                window,
                [](HWND c, LPARAM p) {
                    RECT r;
                    GetWindowRect(c, &r);
                    reinterpret_cast<std::vector<RECT>*>(p)->push_back(r);
                    return TRUE;
                },
                reinterpret_cast<LPARAM>(&rects));
            all.push_back(rects);
        }
        return all;
    };
    const std::vector<std::vector<RECT>> at_96 = places();

    static const wchar_t kIntl[] = L"intl";
    static const wchar_t kPolicy[] = L"Policy";
    const Notification notifications[] = {
        {"WM_SYSCOLORCHANGE", WM_SYSCOLORCHANGE, 0, 0},
        {"WM_SETTINGCHANGE intl", WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kIntl)},
        {"WM_SETTINGCHANGE Policy", WM_SETTINGCHANGE, 0, reinterpret_cast<LPARAM>(kPolicy)},
        {"WM_SETTINGCHANGE non-client metrics", WM_SETTINGCHANGE, SPI_SETNONCLIENTMETRICS, 0},
        {"WM_SETTINGCHANGE high contrast", WM_SETTINGCHANGE, SPI_SETHIGHCONTRAST, 0},
        {"WM_THEMECHANGED", WM_THEMECHANGED, 0, 0},
    };
    // One round first: the windows at 144 DPI are bigger, and Wine keeps
    // regions and DCs for window sizes it has met (its own, not ours).
    std::optional<Holdings> settled;
    Holdings closed;
    const auto check = [&settled](const std::string& after) {
        if (!settled) return ::testing::AssertionSuccess();
        return SameHoldings(HoldingsNow(), *settled) << " after " << after;
    };
    const int cycles = Scaled(20);
    for (int i = 0; i <= cycles; ++i) {
        const std::string round = ", round " + std::to_string(i);
        for (const Notification& n : notifications) {
            // To the windows, as the system sends them, and to every control,
            // as a window that passes them on would.
            for (HWND window : windows) {
                SendMessageW(window, n.message, n.wparam, n.lparam);
                for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                    SendMessageW(c, n.message, n.wparam, n.lparam);
                    for (HWND d = GetWindow(c, GW_CHILD); d; d = GetWindow(d, GW_HWNDNEXT))
                        SendMessageW(d, n.message, n.wparam, n.lparam);
                }
            }
            Pump();
            ASSERT_TRUE(check(n.name + round));
        }
        for (unsigned dpi : {144u, 96u}) {
            for (std::size_t w = 0; w < windows.size(); ++w) {
                RECT suggested = at_96[w][0];
                suggested.right =
                    suggested.left + MulDiv(suggested.right - suggested.left, dpi, 96);
                suggested.bottom =
                    suggested.top + MulDiv(suggested.bottom - suggested.top, dpi, 96);
                SendMessageW(windows[w], WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                             reinterpret_cast<LPARAM>(&suggested));
            }
            Pump();
            ASSERT_TRUE(check("WM_DPICHANGED to " + std::to_string(dpi) + round));
        }
        if (!settled) {
            // Settled with the About window closed, too.
            ASSERT_TRUE(CloseAbout());
            closed = HoldingsNow();
            ASSERT_NE(OpenAbout(), nullptr);
            windows[1] = about_window::Instance()->hwnd();
            settled = HoldingsNow();
        }
    }
    // Back at 96 DPI every window and control is where it was.
    const std::vector<std::vector<RECT>> after = places();
    for (std::size_t w = 0; w < after.size(); ++w) {
        ASSERT_EQ(after[w].size(), at_96[w].size());
        for (std::size_t i = 0; i < after[w].size(); ++i)
            EXPECT_TRUE(EqualRect(&after[w][i], &at_96[w][i]))
                << "window " << w << ", rectangle " << i;
    }
    EXPECT_EQ(CalendarFaults(), "");
    ASSERT_TRUE(CloseAbout());
    EXPECT_TRUE(SameHoldings(HoldingsNow(), closed));
}

// Wine refuses new GDI objects once a process holds about 65,500 (Windows
// at 10,000 by default): a leak that no counter sees makes creation fail
// long before the end of these cycles.
TEST_F(LeakCycles, CreationStillWorksAfterCyclingPastTheGdiHandleLimit) {
    const std::size_t limit = GdiHandlesLeft().size();
    RecordProperty("gdi_limit", static_cast<int>(limit));
    ASSERT_LT(limit, kNoLimit) << "no limit met";

    // Each font the window gives the calendar makes it build its bold font
    // anew: one GDI object a message, so this passes the limit.
    HWND cal = calendar();
    const auto font = static_cast<WPARAM>(SendMessageW(cal, WM_GETFONT, 0, 0));
    for (std::size_t i = 0; i < limit + 5000; ++i)
        SendMessageW(cal, WM_SETFONT, font, FALSE);
    // A DPI round trip makes the window's font, the calendar's bold font and
    // its back buffer anew, twice: costly (about 7 ms), so fewer of them.
    HWND window = form_->hwnd();
    RECT normal;
    GetWindowRect(window, &normal);
    RECT large = normal;
    large.right = large.left + (normal.right - normal.left) * 3 / 2;
    large.bottom = large.top + (normal.bottom - normal.top) * 3 / 2;
    for (int i = 0; i < Scaled(300); ++i) {
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&large));
        UpdateWindow(cal);
        SendMessageW(window, WM_DPICHANGED, MAKEWPARAM(96, 96), reinterpret_cast<LPARAM>(&normal));
        UpdateWindow(cal);
    }
    Pump();
    EXPECT_TRUE(SameHoldings(HoldingsNow(), baseline_));

    // The calendar still gets its bold title font, and a new window opens.
    InvalidateRect(cal, nullptr, FALSE);
    UpdateWindow(cal);
    bool bold_title = false;
    for (const tk::MonthCalendarText& text : tk::MonthCalendarPaintedTexts(cal)) {
        LOGFONTW lf{};
        if (GetObjectW(text.font, sizeof lf, &lf) == sizeof lf && lf.lfWeight == FW_BOLD)
            bold_title = true;
    }
    EXPECT_TRUE(bold_title);
    tk::Form* about = OpenAbout();
    ASSERT_NE(about, nullptr);
    LOGFONTW lf{};
    EXPECT_EQ(GetObjectW(
                  reinterpret_cast<HFONT>(SendMessageW(about->Control(L"cmdOK"), WM_GETFONT, 0, 0)),
                  sizeof lf, &lf),
              static_cast<int>(sizeof lf));
    EXPECT_TRUE(CloseAbout());
}

// With no GDI handle left a window cannot get its font: it is refused
// whole, the window on show still paints, and once handles come back
// everything is as before.
TEST_F(LeakCycles, NoGdiHandleLeftRefusesANewWindowCleanly) {
    {
        const Brushes all = GdiHandlesLeft();
        ASSERT_LT(all.size(), kNoLimit) << "no limit met";
        EXPECT_EQ(about_window::Open(*app_), nullptr);
        RedrawWindow(form_->hwnd(), nullptr, nullptr,
                     RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        Pump();
        EXPECT_EQ(about_window::Instance(), nullptr);
        EXPECT_EQ(CalendarFaults(), "");
    }
    Pump();
    EXPECT_TRUE(SameHoldings(HoldingsNow(), baseline_));
    EXPECT_NE(OpenAbout(), nullptr);
    EXPECT_TRUE(CloseAbout());
}

}  // namespace
}  // namespace reliability
