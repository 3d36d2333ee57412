// The two windows as a process: one About window however often it is asked
// for, and the process ends when the last window closes, whichever it is.
#include "tests/support/driver.h"
#include "tests/support/paths.h"

#include <gtest/gtest.h>

namespace {

constexpr wchar_t kFormClass[] = L"TimbusForm";

HWND FindForm(DWORD pid, const wchar_t* caption) {
    for (HWND w : driver::VisibleWindows(pid, kFormClass)) {
        wchar_t text[64] = {};
        GetWindowTextW(w, text, 64);
        if (lstrcmpW(text, caption) == 0) return w;
    }
    return nullptr;
}

class ProgramTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(program_.Start(driver::ProgramPath()));
        ASSERT_EQ(driver::WaitForWindows(program_.pid(), kFormClass, 1, 10000).size(), 1u);
        calendar_ = FindForm(program_.pid(), L"Тимбус V 1.3");
        ASSERT_NE(calendar_, nullptr);
        button_ = driver::FindChild(calendar_, L"Button", L"О программе !");
        ASSERT_NE(button_, nullptr);
        driver::Settle(200);
    }

    HWND OpenAbout() {
        driver::ClickCentre(button_);
        driver::WaitForWindows(program_.pid(), kFormClass, 2, 5000);
        return FindForm(program_.pid(), L"О программе !");
    }

    driver::Process program_;
    HWND calendar_ = nullptr;
    HWND button_ = nullptr;
};

TEST_F(ProgramTest, ManyClicksLeaveOneAboutWindowInFront) {
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    for (int i = 0; i < 3; ++i) {
        // Put the calendar window in front, then ask for About again.
        driver::ClickAt({160, 300});
        driver::Settle(150);
        EXPECT_EQ(GetForegroundWindow(), calendar_);
        EXPECT_EQ(OpenAbout(), about);
        driver::Settle(150);
        EXPECT_EQ(GetForegroundWindow(), about);
    }
    EXPECT_EQ(driver::VisibleWindows(program_.pid(), kFormClass).size(), 2u);
    program_.Stop();
}

TEST_F(ProgramTest, ClosingTheCalendarFirstLeavesTheProgramRunningUntilAboutCloses) {
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    PostMessageW(calendar_, WM_SYSCOMMAND, SC_CLOSE, 0);
    driver::Settle(500);
    EXPECT_TRUE(program_.running());
    EXPECT_TRUE(IsWindowVisible(about));
    PostMessageW(about, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program_.WaitForExit(10000), 0);
}

TEST_F(ProgramTest, ClosingAboutFirstLeavesTheCalendarUntilItCloses) {
    HWND about = OpenAbout();
    ASSERT_NE(about, nullptr);
    SetForegroundWindow(about);
    driver::Settle(150);
    driver::PressKey(VK_ESCAPE);
    driver::Settle(500);
    EXPECT_FALSE(IsWindow(about));
    EXPECT_TRUE(program_.running());
    PostMessageW(calendar_, WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_EQ(program_.WaitForExit(10000), 0);
}

}  // namespace
